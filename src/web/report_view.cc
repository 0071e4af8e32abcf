#include "web/report_view.h"

#include <sstream>
#include <system_error>
#include <vector>

#include "data/paths.h"
#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"
#include "escp/interpreter.h"
#include "platform/files.h"
#include "text/read_to_end.h"

namespace qreport::web {
namespace fs = std::filesystem;

namespace {

// Page counts remembered at most; past that they are counted again.
constexpr std::size_t kKeptPageCounts = 256;
// Files' locks kept past their use; unused ones go when there are more.
constexpr std::size_t kKeptFileLocks = 64;

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// A turn to draw, held until it goes.
template <typename Semaphore>
class Turn {
 public:
  explicit Turn(Semaphore& semaphore) : semaphore_(semaphore) { semaphore_.acquire(); }
  ~Turn() { semaphore_.release(); }
  Turn(const Turn&) = delete;
  Turn& operator=(const Turn&) = delete;

 private:
  Semaphore& semaphore_;
};

// Counts the pages it is handed and draws those of [first, end) as PNG files' bytes.
class PageDrawer : public escp::PageSink {
 public:
  PageDrawer(const escp::FontSet& fonts, std::size_t first, std::size_t end, double dpi)
      : fonts_(fonts), first_(first), end_(end), dpi_(dpi) {}

  void OnPage(escp::Page&& page) override {
    ++pages_;
    if (pages_ < first_ || pages_ >= end_) return;
    std::ostringstream png;
    escp::WritePng(escp::RasterizePage(page, fonts_, dpi_), png);
    pngs_[pages_] = std::make_shared<const std::string>(png.str());
  }

  std::size_t pages() const { return pages_; }
  std::map<std::size_t, std::shared_ptr<const std::string>>& pngs() { return pngs_; }

 private:
  const escp::FontSet& fonts_;
  std::size_t first_, end_;
  double dpi_;
  std::size_t pages_ = 0;
  std::map<std::size_t, std::shared_ptr<const std::string>> pngs_;
};

}  // namespace

std::string ReportViews::Version::Key() const {
  return path + '\0' + std::to_string(written.time_since_epoch().count()) + '\0' + std::to_string(size);
}

ReportViews::ReportViews(std::size_t budget) : budget_(budget) {}

std::optional<ReportViews::Version> ReportViews::Find(const fs::path& folder, std::string_view file) const {
  fs::path path = ResolveHostPath(folder.string(), file);
  std::error_code ec;
  // Only a regular file is read: a link or a device in its place is no report.
  if (!fs::is_regular_file(fs::symlink_status(path, ec))) return std::nullopt;
  Version v;
  v.path = path.string();
  v.written = fs::last_write_time(path, ec);
  if (ec) return std::nullopt;
  v.size = fs::file_size(path, ec);
  if (ec) return std::nullopt;
  return v;
}

ReportViews::Drawn ReportViews::Draw(const Version& version, std::size_t first, std::size_t count) {
  Turn turn(drawings_);
  std::function<void(const fs::path&)> hook;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    hook = draw_hook_;
  }
  if (hook) hook(version.path);
  FilePtr in(OpenRegularForReading(version.path), &std::fclose);
  if (!in) throw escp::RenderError("cannot open " + version.path);
  escp::FontSet fonts;
  PageDrawer drawer(fonts, first, first + count, kDpi);
  escp::StreamInterpreter interpreter(fonts, drawer);
  std::vector<char> block(64 * 1024);
  std::size_t n;
  while ((n = std::fread(block.data(), 1, block.size(), in.get())) > 0) {
    interpreter.Feed(std::string_view(block.data(), n));
  }
  if (std::ferror(in.get())) throw escp::RenderError("cannot read " + version.path);
  interpreter.Finish();
  return {drawer.pages(), std::move(drawer.pngs())};
}

std::shared_ptr<std::mutex> ReportViews::FileLock(const std::string& path) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (file_locks_.size() > kKeptFileLocks) {
    std::erase_if(file_locks_, [](const auto& entry) { return entry.second.use_count() == 1; });
  }
  auto& lock = file_locks_[path];
  if (!lock) lock = std::make_shared<std::mutex>();
  return lock;
}

std::shared_ptr<const std::string> ReportViews::Cached(const std::string& key) {
  auto it = page_index_.find(key);
  if (it == page_index_.end()) return nullptr;
  pages_.splice(pages_.begin(), pages_, it->second);
  return it->second->png;
}

void ReportViews::Keep(const std::string& key, std::shared_ptr<const std::string> png) {
  // A page larger than the whole budget is shown but not kept.
  if (page_index_.count(key) != 0 || png->size() > budget_) return;
  bytes_ += png->size();
  pages_.push_front({key, std::move(png)});
  page_index_[key] = pages_.begin();
  while (bytes_ > budget_) {
    bytes_ -= pages_.back().png->size();
    page_index_.erase(pages_.back().key);
    pages_.pop_back();
  }
}

std::optional<ReportViews::Drawn> ReportViews::DrawAndKeep(const Version& version, std::size_t first) {
  Drawn drawn;
  try {
    drawn = Draw(version, first, kPagesPerDrawing);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  std::lock_guard<std::mutex> guard(mutex_);
  if (page_counts_.size() >= kKeptPageCounts) page_counts_.clear();
  page_counts_[version.Key()] = drawn.pages;
  // The last page first, so that when the budget holds only some, the page asked for is kept.
  for (auto it = drawn.pngs.rbegin(); it != drawn.pngs.rend(); ++it) {
    Keep(version.Key() + '\0' + std::to_string(it->first), it->second);
  }
  return drawn;
}

std::optional<std::size_t> ReportViews::PageCount(const fs::path& folder, std::string_view file) {
  std::optional<Version> version = Find(folder, file);
  if (!version) return std::nullopt;
  auto counted = [&]() -> std::optional<std::size_t> {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = page_counts_.find(version->Key());
    return it == page_counts_.end() ? std::nullopt : std::optional<std::size_t>(it->second);
  };
  if (auto pages = counted()) return pages;
  std::shared_ptr<std::mutex> lock = FileLock(version->path);
  std::lock_guard<std::mutex> drawing(*lock);
  if (auto pages = counted()) return pages;  // counted while this request waited
  // The first pages are drawn with the count: the page that shows the count shows them next.
  std::optional<Drawn> drawn = DrawAndKeep(*version, 1);
  return drawn ? std::optional<std::size_t>(drawn->pages) : std::nullopt;
}

std::shared_ptr<const std::string> ReportViews::PagePng(const fs::path& folder, std::string_view file,
                                                        std::size_t number) {
  std::optional<Version> version = Find(folder, file);
  if (!version || number < 1) return nullptr;
  const std::string key = version->Key() + '\0' + std::to_string(number);
  // What is known without drawing: the page when it is kept, or that the file has fewer pages.
  struct Known {
    bool beyond_end = false;
    std::shared_ptr<const std::string> png;
  };
  auto known = [&]() -> Known {
    std::lock_guard<std::mutex> guard(mutex_);
    if (auto png = Cached(key)) return {false, png};
    auto it = page_counts_.find(version->Key());
    return {it != page_counts_.end() && number > it->second, nullptr};
  };
  if (Known k = known(); k.png || k.beyond_end) return k.png;
  std::shared_ptr<std::mutex> lock = FileLock(version->path);
  std::lock_guard<std::mutex> drawing(*lock);
  if (Known k = known(); k.png || k.beyond_end) return k.png;  // drawn while this request waited
  std::optional<Drawn> drawn = DrawAndKeep(*version, number);
  if (!drawn || drawn->pngs.count(number) == 0) return nullptr;
  return drawn->pngs[number];
}

std::optional<std::string> ReportViews::Pdf(const fs::path& folder, std::string_view file) {
  std::optional<Version> version = Find(folder, file);
  if (!version) return std::nullopt;
  try {
    Turn turn(drawings_);
    FilePtr in(OpenRegularForReading(version->path), &std::fclose);
    if (!in) return std::nullopt;
    escp::FontSet fonts;
    std::ostringstream pdf;
    escp::RenderStream(in.get(), fonts, &pdf);
    return pdf.str();
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<std::string> ReportViews::Text(const fs::path& folder, std::string_view file) {
  std::optional<Version> version = Find(folder, file);
  if (!version) return std::nullopt;
  FilePtr in(OpenRegularForReading(version->path), &std::fclose);
  if (!in) return std::nullopt;
  return ReadToEnd(in.get());
}

std::size_t ReportViews::cached_bytes() {
  std::lock_guard<std::mutex> guard(mutex_);
  return bytes_;
}

void ReportViews::SetDrawHookForTest(std::function<void(const fs::path&)> hook) {
  std::lock_guard<std::mutex> guard(mutex_);
  draw_hook_ = std::move(hook);
}

}  // namespace qreport::web
