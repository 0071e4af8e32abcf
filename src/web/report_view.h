// The finished report of a client as the pages show it: its PNG pages and its PDF, drawn by the
// printer-text renderer from report.txt (or from another printer-text file of the run, such as
// Schedule B's) and kept in memory until the file changes.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "data/report_writer.h"

namespace qreport::web {

struct RenderedReport {
  std::string text;              // report.txt's bytes
  std::vector<std::string> pngs;  // one PNG file's bytes a page
  std::string pdf;
};

class ReportViews {
 public:
  // The report of the client in `folder` drawn at kDpi, or null when it has none or it cannot be
  // drawn; `file` names another printer-text file of the folder as the run names it.
  std::shared_ptr<const RenderedReport> Get(const std::filesystem::path& folder,
                                            std::string_view file = kReportFileName);

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
