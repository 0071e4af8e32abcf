#include "web/client_index.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <cstdio>
#include <system_error>
#include <tuple>

#include "check/findings.h"
#include "platform/files.h"
#include "text/cp1252.h"
#include "web/clients.h"

namespace qreport::web {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kCacheHeader = "qreport clients list 1";
// A cache file larger than this is not one this server wrote (some 150 bytes a client).
constexpr std::uintmax_t kMaxCacheBytes = 256u << 20;

// FNV-1a: the inputs of a row and the cache file's own check need only to change when their
// bytes do.
std::uint64_t Hash(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string HexOf(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

// A field of the cache file: tabs, line ends and backslashes escaped, so that a field never holds
// the separators.
void AppendField(std::string& line, std::string_view field) {
  for (char c : field) {
    switch (c) {
      case '\\': line += "\\\\"; break;
      case '\t': line += "\\t"; break;
      case '\n': line += "\\n"; break;
      case '\r': line += "\\r"; break;
      default: line += c;
    }
  }
  line += '\t';
}

// The fields of one line of the cache file, unescaped.
std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\' && i + 1 < line.size()) {
      char next = line[++i];
      fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

template <typename Number>
bool ParseNumber(const std::string& text, Number& value, int base = 10) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc() && end == text.data() + text.size();
}

std::string RowLine(const ClientRow& row) {
  std::string line;
  const std::string inputs = HexOf(row.inputs);
  for (std::string_view field : {std::string_view(row.name), std::string_view(inputs),
                                 std::string_view(row.employer), std::string_view(row.payroll_date),
                                 std::string_view(row.year)}) {
    AppendField(line, field);
  }
  for (long long number : {static_cast<long long>(row.quarter), static_cast<long long>(row.form_route),
                           static_cast<long long>(row.has_report), row.report_time,
                           static_cast<long long>(row.errors), static_cast<long long>(row.warnings)}) {
    AppendField(line, std::to_string(number));
  }
  line.back() = '\n';
  return line;
}

bool ParseRow(std::string_view line, ClientRow& row) {
  std::vector<std::string> fields = SplitFields(line);
  if (fields.size() != 11 || fields[0].empty()) return false;
  row.name = fields[0];
  row.employer = fields[2];
  row.payroll_date = fields[3];
  row.year = fields[4];
  int form_route = 0, has_report = 0;
  bool parsed = ParseNumber(fields[1], row.inputs, 16) && ParseNumber(fields[5], row.quarter) &&
                ParseNumber(fields[6], form_route) && ParseNumber(fields[7], has_report) &&
                ParseNumber(fields[8], row.report_time) && ParseNumber(fields[9], row.errors) &&
                ParseNumber(fields[10], row.warnings);
  row.form_route = form_route != 0;
  row.has_report = has_report != 0;
  row.ready = true;
  return parsed;
}

// The whole of `file` when it is a regular file (never through a link) of a plausible size.
std::optional<std::string> ReadCacheFile(const fs::path& file) {
  std::error_code ec;
  fs::file_status status = fs::symlink_status(file, ec);
  if (ec || !fs::is_regular_file(status)) return std::nullopt;
  std::uintmax_t size = fs::file_size(file, ec);
  if (ec || size > kMaxCacheBytes) return std::nullopt;
  std::FILE* stream = OpenRegularForReading(file);
  if (stream == nullptr) return std::nullopt;
  std::string bytes(size, '\0');
  std::size_t read = std::fread(bytes.data(), 1, bytes.size(), stream);
  std::fclose(stream);
  if (read != size) return std::nullopt;
  return bytes;
}

bool Matches(const ClientRow& row, const std::vector<std::string>& words) {
  auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  if (words.empty()) return true;
  const std::string text = lower(row.name + ' ' + row.employer);
  return std::all_of(words.begin(), words.end(), [&](const std::string& w) { return text.find(lower(w)) != text.npos; });
}

std::vector<std::string> Words(std::string_view filter) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < filter.size()) {
    std::size_t end = filter.find_first_of(" \t", at);
    if (end == filter.npos) end = filter.size();
    if (end > at) words.emplace_back(filter.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

// Whether `a` comes before `b` under the sort key; rows not yet computed come after the others
// under every key but the name.
bool Before(const ClientRow& a, const ClientRow& b, std::string_view sort, bool descending) {
  auto key = [sort](const ClientRow& row) {
    if (sort == "employer") return std::make_tuple(0LL, row.employer);
    if (sort == "quarter") return std::make_tuple(std::atoll(row.year.c_str()) * 10 + row.quarter, std::string());
    if (sort == "path") return std::make_tuple(static_cast<long long>(row.form_route), std::string());
    if (sort == "report") return std::make_tuple(row.has_report ? row.report_time : -1LL, std::string());
    if (sort == "findings") return std::make_tuple(row.errors * 100000LL + row.warnings, std::string());
    return std::make_tuple(0LL, std::string());
  };
  if (sort != "name" && a.ready != b.ready) return a.ready;
  auto ka = key(a), kb = key(b);
  if (ka != kb) return descending ? kb < ka : ka < kb;
  return descending && sort == "name" ? b.name < a.name : a.name < b.name;
}

}  // namespace

fs::path ListCacheFile(const fs::path& root, const fs::path& cache_dir) {
  if (cache_dir.empty()) return root / ".qreport-clients.cache";
  return cache_dir / ("clients-" + HexOf(Hash(root.string())) + ".cache");
}

bool IsListSort(std::string_view sort) {
  for (std::string_view known : {"name", "employer", "quarter", "path", "report", "findings"}) {
    if (sort == known) return true;
  }
  return false;
}

ClientIndex::ClientIndex(fs::path root, fs::path cache_file, std::string settings, ClientChecks& checks,
                         unsigned threads)
    : root_(std::move(root)),
      cache_file_(std::move(cache_file)),
      settings_(std::move(settings)),
      checks_(checks),
      threads_(threads != 0 ? threads : std::max(1u, std::thread::hardware_concurrency())) {}

ClientIndex::~ClientIndex() {
  stopping_ = true;
  if (pass_thread_.joinable()) pass_thread_.join();
}

void ClientIndex::SetComputeHookForTest(std::function<void(const fs::path&)> hook) { compute_hook_ = std::move(hook); }

void ClientIndex::Refresh() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopping_) return;
  if (running_) {
    // The pass under way may have read the folder before what the caller looks for came.
    again_ = true;
    return;
  }
  if (!cache_read_) {
    cache_read_ = true;
    LoadCache();
  }
  if (pass_thread_.joinable()) pass_thread_.join();
  running_ = true;
  first_ = !cache_found_ && rows_.empty();
  done_ = 0;
  pass_thread_ = std::thread([this] { Pass(); });
}

void ClientIndex::WaitForPass() {
  std::unique_lock<std::mutex> lock(mutex_);
  pass_ended_.wait(lock, [this] { return !running_; });
}

// Called with mutex_ held, before the first pass.
void ClientIndex::LoadCache() {
  if (cache_file_.empty()) return;
  std::optional<std::string> bytes = ReadCacheFile(cache_file_);
  if (!bytes) return;
  // The last line is "end", the number of rows and the hash of every byte before it.
  std::string_view text = *bytes;
  std::size_t last = text.size() >= 2 ? text.rfind('\n', text.size() - 2) : text.npos;
  if (last == text.npos || text.back() != '\n') return;
  std::vector<std::string> end = SplitFields(text.substr(last + 1, text.size() - last - 2));
  std::uint64_t hash = 0;
  std::size_t count = 0;
  if (end.size() != 3 || end[0] != "end" || !ParseNumber(end[1], count) || !ParseNumber(end[2], hash, 16) ||
      hash != Hash(text.substr(0, last + 1))) {
    return;
  }
  std::vector<ClientRow> rows;
  std::size_t at = 0;
  bool header = true;
  while (at <= last) {
    std::size_t eol = text.find('\n', at);
    std::string_view line = text.substr(at, eol - at);
    at = eol + 1;
    if (header) {
      std::string expected;
      AppendField(expected, kCacheHeader);
      AppendField(expected, root_.string());
      AppendField(expected, settings_);
      expected.pop_back();
      if (line != expected) return;
      header = false;
      continue;
    }
    ClientRow row;
    if (!ParseRow(line, row) || (!rows.empty() && !(rows.back().name < row.name))) return;
    rows.push_back(std::move(row));
  }
  if (rows.size() != count) return;
  rows_ = std::move(rows);
  cache_found_ = true;
}

void ClientIndex::SaveCache() {
  if (cache_file_.empty()) return;
  std::lock_guard<std::mutex> saving(save_mutex_);
  std::string bytes;
  AppendField(bytes, kCacheHeader);
  AppendField(bytes, root_.string());
  AppendField(bytes, settings_);
  bytes.back() = '\n';
  std::size_t count = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const ClientRow& row : rows_) {
      if (!row.ready || row.gone) continue;
      bytes += RowLine(row);
      ++count;
    }
  }
  std::uint64_t hash = Hash(bytes);
  bytes += "end\t" + std::to_string(count) + "\t" + HexOf(hash) + "\n";
  // A cache that cannot be written costs the next start its time, nothing else.
  ReplaceFileWith(cache_file_, bytes);
}

ClientRow ClientIndex::ComputeRow(const fs::path& folder, std::string name, std::uint64_t inputs) {
  ClientSummary summary = SummariseClient(folder, std::move(name));
  std::shared_ptr<const ClientCheck> check = checks_.Compute(folder);
  ClientRow row;
  row.name = std::move(summary.name);
  row.employer = Utf8FromCp1252(summary.employer);
  row.payroll_date = Utf8FromCp1252(summary.payroll_date);
  row.year = Utf8FromCp1252(summary.year);
  row.quarter = summary.quarter;
  row.form_route = summary.form_route;
  row.has_report = summary.has_report;
  row.report_time = summary.report_time;
  for (const Finding& finding : check->findings) ++(finding.severity == Severity::kError ? row.errors : row.warnings);
  row.inputs = inputs;
  row.ready = true;
  if (compute_hook_) compute_hook_(folder);
  return row;
}

ClientRow ClientIndex::Update(ClientRow row) {
  std::optional<fs::path> folder = ClientFolder(root_, row.name);
  if (!folder) {
    row.gone = true;
    return row;
  }
  const std::uint64_t inputs = Hash(checks_.Inputs(*folder));
  if (!row.ready || row.inputs != inputs) return ComputeRow(*folder, row.name, inputs);
  // The report is no input of the figures: only whether it is there, and when it was written.
  ClientSummary summary = SummariseClient(*folder, row.name);
  row.has_report = summary.has_report;
  row.report_time = summary.report_time;
  return row;
}

void ClientIndex::Pass() {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  {
    // The rows of the pass: those known already (from the cache or the last pass) kept as they
    // are until they are looked at, a bare name for a folder new to the list.
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<ClientRow> rows;
    rows.reserve(names.size());
    auto known = rows_.begin();
    for (std::string& name : names) {
      while (known != rows_.end() && known->name < name) ++known;
      if (known != rows_.end() && known->name == name) {
        rows.push_back(std::move(*known));
      } else {
        rows.emplace_back().name = std::move(name);
      }
    }
    rows_ = std::move(rows);
    of_ = rows_.size();
  }
  std::atomic<std::size_t> next{0};
  auto work = [this, &next] {
    while (!stopping_) {
      const std::size_t i = next++;
      if (i >= of_) break;
      ClientRow row;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        row = rows_[i];
      }
      try {
        row = Update(std::move(row));
      } catch (const std::exception&) {
        row.ready = true;  // shown with what is known; the next pass tries again
        row.inputs = 0;
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        rows_[i] = std::move(row);
      }
      ++done_;
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads_; ++t) pool.emplace_back(work);
  work();
  for (std::thread& thread : pool) thread.join();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(rows_, [](const ClientRow& row) { return row.gone; });
  }
  if (!stopping_) SaveCache();
  std::unique_lock<std::mutex> lock(mutex_);
  first_ = false;
  if (again_ && !stopping_) {
    again_ = false;
    done_ = 0;
    lock.unlock();
    return Pass();
  }
  running_ = false;
  pass_ended_.notify_all();
}

void ClientIndex::Recompute(const std::string& name) {
  std::optional<fs::path> folder = ClientFolder(root_, name);
  if (!folder) return;
  ClientRow row = ComputeRow(*folder, name, Hash(checks_.Inputs(*folder)));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto at = std::lower_bound(rows_.begin(), rows_.end(), name,
                               [](const ClientRow& r, const std::string& n) { return r.name < n; });
    if (at != rows_.end() && at->name == name) {
      *at = std::move(row);
    } else if (!running_) {
      // A pass holds its rows in place; a folder new to the list waits for the next one.
      rows_.insert(at, std::move(row));
    }
  }
  SaveCache();
}

ListPage ClientIndex::Query(const ListQuery& query) const {
  const std::vector<std::string> words = Words(query.filter);
  const std::string sort = IsListSort(query.sort) ? query.sort : "name";
  ListPage page;
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<const ClientRow*> matching;
  for (const ClientRow& row : rows_) {
    if (!row.gone && Matches(row, words)) matching.push_back(&row);
  }
  const std::size_t from = std::min(query.offset, matching.size());
  const std::size_t to = from + std::min(query.limit, matching.size() - from);
  // Only the rows up to the end of the page need their order.
  std::partial_sort(matching.begin(), matching.begin() + static_cast<std::ptrdiff_t>(to), matching.end(),
                    [&](const ClientRow* a, const ClientRow* b) { return Before(*a, *b, sort, query.descending); });
  for (std::size_t i = from; i < to; ++i) page.rows.push_back(*matching[i]);
  page.matching = matching.size();
  page.clients = rows_.size();
  page.running = running_;
  page.first = first_;
  page.done = done_;
  page.of = of_;
  return page;
}

}  // namespace qreport::web
