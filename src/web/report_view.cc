#include "web/report_view.h"

#include <sstream>
#include <system_error>

#include "data/paths.h"
#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"
#include "escp/interpreter.h"
#include "platform/files.h"
#include "text/read_to_end.h"

namespace qreport::web {
namespace fs = std::filesystem;

std::shared_ptr<const RenderedReport> ReportViews::Get(const fs::path& folder, std::string_view file) {
  fs::path path = ResolveHostPath(folder.string(), file);
  std::error_code ec;
  // Only a regular file is read: a link or a device in its place is no report.
  if (!fs::is_regular_file(fs::symlink_status(path, ec))) return nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  auto written = fs::last_write_time(path, ec);
  if (ec) return nullptr;
  std::uintmax_t size = fs::file_size(path, ec);
  if (ec) return nullptr;
  auto it = cache_.find(path.string());
  if (it != cache_.end() && it->second.written == written && it->second.size == size) return it->second.report;

  auto report = std::make_shared<RenderedReport>();
  std::FILE* in = OpenRegularForReading(path);
  if (in == nullptr) return nullptr;
  report->text = ReadToEnd(in);
  std::fclose(in);
  try {
    escp::FontSet fonts;
    escp::Document document = escp::Interpret(report->text, fonts);
    for (const escp::Page& page : document.pages) {
      std::ostringstream png;
      escp::WritePng(escp::RasterizePage(page, fonts, kDpi), png);
      report->pngs.push_back(png.str());
    }
    std::ostringstream pdf;
    escp::WritePdf(document, fonts, pdf);
    report->pdf = pdf.str();
  } catch (const std::exception&) {
    return nullptr;
  }
  // Pictures of a few dozen reports at most are kept; past that the cache starts again.
  if (cache_.size() >= kCachedReports) cache_.clear();
  cache_[path.string()] = {written, size, report};
  return report;
}

}  // namespace qreport::web
