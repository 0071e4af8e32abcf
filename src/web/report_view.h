// The finished report of a client as the pages show it: its pages as PNG pictures, drawn by the
// printer-text renderer from report.txt (or from another printer-text file of the run, such as
// Schedule B's) when they are asked for, and its PDF and printer text when they are downloaded.
//
// The memory of pages is bounded whatever the report's length: drawn pages are kept in one cache
// of a fixed size in bytes, the page shown least recently going first, a report is read a block
// at a time to count or draw its pages, and kDrawingsAtOnce drawings at most go on at once (the
// others wait for their turn). A download is made whole in memory, as large as the file's PDF
// or text, and counts as a drawing while it is drawn. Drawing one client's report never makes
// another client's pages wait for it: only requests for the same file wait for each other, so
// that it is drawn once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <string_view>
#include <unordered_map>

#include "data/report_writer.h"

namespace qreport::web {

class ReportViews {
 public:
  // `budget`: the bytes of drawn pages kept at most.
  explicit ReportViews(std::size_t budget);
  ReportViews(const ReportViews&) = delete;
  ReportViews& operator=(const ReportViews&) = delete;

  // The number of pages of the client's printer-text file `file` (as the run names it) in
  // `folder`, or nullopt when it is not a regular file or cannot be drawn.
  std::optional<std::size_t> PageCount(const std::filesystem::path& folder, std::string_view file = kReportFileName);

  // Page `number` (from 1) of that file as a PNG drawn at kDpi, or null when there is no such
  // page. A few pages after it are drawn with it, for a reader who goes on to them.
  std::shared_ptr<const std::string> PagePng(const std::filesystem::path& folder, std::string_view file,
                                             std::size_t number);

  // The whole file drawn as a PDF, and its printer text; nullopt as for PageCount. Neither is
  // kept once it is handed over.
  std::optional<std::string> Pdf(const std::filesystem::path& folder, std::string_view file);
  std::optional<std::string> Text(const std::filesystem::path& folder, std::string_view file);

  // The bytes of the drawn pages kept now; never more than the budget.
  std::size_t cached_bytes();

  // Called with the file's path each time a file is read to be counted or drawn, once it has
  // its turn and before it is read, on the thread that draws it (for tests of what waits on a
  // drawing).
  void SetDrawHookForTest(std::function<void(const std::filesystem::path&)> hook);

  static constexpr double kDpi = 100;
  // Pages drawn at once: the one asked for and those after it.
  static constexpr std::size_t kPagesPerDrawing = 4;
  // Drawings (of pages, or of a PDF) going on at once; each holds a few pages' pictures, or a
  // whole PDF, while it lasts.
  static constexpr std::ptrdiff_t kDrawingsAtOnce = 2;

 private:
  // One version of one file: its path with when it was written and its size.
  struct Version {
    std::string path;
    std::filesystem::file_time_type written;
    std::uintmax_t size = 0;
    std::string Key() const;
  };
  struct Drawn {
    std::size_t pages = 0;
    std::map<std::size_t, std::shared_ptr<const std::string>> pngs;
  };
  struct CachedPage {
    std::string key;
    std::shared_ptr<const std::string> png;
  };

  std::optional<Version> Find(const std::filesystem::path& folder, std::string_view file) const;
  // Waits for a turn to draw, then reads the file, counts its pages and draws pages
  // [first, first + count). Throws when the file cannot be read or drawn.
  Drawn Draw(const Version& version, std::size_t first, std::size_t count);
  // Draws as Draw does from page `first` on, with the file's own lock held, and keeps what was
  // drawn; nullopt when it fails.
  std::optional<Drawn> DrawAndKeep(const Version& version, std::size_t first);
  std::shared_ptr<std::mutex> FileLock(const std::string& path);
  // With mutex_ held:
  std::shared_ptr<const std::string> Cached(const std::string& key);
  void Keep(const std::string& key, std::shared_ptr<const std::string> png);

  const std::size_t budget_;
  std::counting_semaphore<kDrawingsAtOnce> drawings_{kDrawingsAtOnce};
  std::mutex mutex_;  // guards the maps below; never held while a file is read or drawn
  std::unordered_map<std::string, std::size_t> page_counts_;  // by Version::Key()
  std::list<CachedPage> pages_;                               // the most recently shown first
  std::unordered_map<std::string, std::list<CachedPage>::iterator> page_index_;
  std::size_t bytes_ = 0;
  std::map<std::string, std::shared_ptr<std::mutex>> file_locks_;
  std::function<void(const std::filesystem::path&)> draw_hook_;
};

}  // namespace qreport::web
