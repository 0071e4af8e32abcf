// The finished report of a client as the pages show it: its PNG pages and its PDF, drawn by the
// printer-text renderer from report.txt and kept in memory until the file changes.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qreport::web {

struct RenderedReport {
  std::string text;              // report.txt's bytes
  std::vector<std::string> pngs;  // one PNG file's bytes a page
  std::string pdf;
};

class ReportViews {
 public:
  // The report of the client in `folder` drawn at `dpi`, or null when it has none or it cannot
  // be drawn.
  std::shared_ptr<const RenderedReport> Get(const std::filesystem::path& folder);

  static constexpr double kDpi = 100;
  static constexpr std::size_t kCachedReports = 32;

 private:
  struct Entry {
    std::filesystem::file_time_type written;
    std::uintmax_t size = 0;
    std::shared_ptr<const RenderedReport> report;
  };
  std::mutex mutex_;  // drawing is done one report at a time: it is the heaviest work here
  std::map<std::string, Entry> cache_;
};

}  // namespace qreport::web
