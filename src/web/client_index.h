// The clients list at a bureau's scale: one compact row per client folder under the root (its
// summary and the number of its findings, never the findings themselves), computed on a pool of
// threads the size of the machine and kept in a cache file that outlives the server. A row is
// computed again only when the inputs of its figures change (the folder's files' sizes and
// times, the rates folder's, the answers): a restart over an unchanged root reads the cache, shows
// its rows at once, and only looks at the folders again.
//
// The cache file is written whole through a replacement beside it, never through a link; one that
// is damaged, cut short or written for another root, rates folder or report is ignored and
// written anew after the next pass.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "web/client_checks.h"

namespace qreport::web {

// One row of the clients list.
struct ClientRow {
  std::string name;          // the folder's name
  std::string employer;      // UTF-8, trailing blanks dropped
  std::string payroll_date;  // MMDDYY as the client file has it (UTF-8)
  std::string year;          // "20YY"
  int quarter = 0;           // 1 to 4; 0 when the date marks none
  bool form_route = false;
  bool has_report = false;
  long long report_time = 0;  // when report.txt was last written, seconds since 1970
  int errors = 0, warnings = 0;  // the findings of the pre-filing checks by severity
  std::uint64_t inputs = 0;      // the hash of the inputs the row was computed from
  bool ready = false;   // computed, or read from the cache; false: only the name is known yet
  bool gone = false;    // the folder is no client any more (dropped at the end of the pass)
};

// What the page asks for: a page of the rows that match `filter` (every word of it in the name or
// the employer, without regard to case), in the order of `sort` (name, employer, quarter, path,
// report or findings; descending when `descending`), ties in name order.
struct ListQuery {
  std::size_t offset = 0;
  std::size_t limit = 50;
  std::string filter;
  std::string sort = "name";
  bool descending = false;
};

// The answer: the page's rows, how many match, how many there are, and how far the pass over the
// folders has come.
struct ListPage {
  std::vector<ClientRow> rows;
  std::size_t matching = 0;
  std::size_t clients = 0;
  bool running = false;       // a pass is under way
  bool first = false;         // it is the first computation (no cache was read)
  std::size_t done = 0;       // folders of the pass looked at so far
  std::size_t of = 0;         // folders in the pass
};

// Where the rows of the clients under `root` are kept between runs: a file in the root itself,
// or one named after the root in `cache_dir` when one is given.
std::filesystem::path ListCacheFile(const std::filesystem::path& root, const std::filesystem::path& cache_dir);

// The sort keys ListQuery takes.
bool IsListSort(std::string_view sort);

class ClientIndex {
 public:
  // `root` is canonical. `cache_file` is where the rows are kept between runs (empty: nowhere);
  // `settings` names what else the rows depend on (the rates folder, the report's kind): a cache
  // written under other settings is not used. `threads` is the pool's size (0: one a core).
  ClientIndex(std::filesystem::path root, std::filesystem::path cache_file, std::string settings,
              ClientChecks& checks, unsigned threads = 0);
  ~ClientIndex();
  ClientIndex(const ClientIndex&) = delete;
  ClientIndex& operator=(const ClientIndex&) = delete;

  // Reads the cache file (once) and starts a pass over the root's folders unless one is under
  // way. Returns at once; the pass runs on threads of its own.
  void Refresh();
  // Computes client `name`'s row again now (after a report was written from the pages) and
  // keeps the cache file up to date.
  void Recompute(const std::string& name);
  ListPage Query(const ListQuery& query) const;
  // Waits until no pass is under way (for tests and the benchmark).
  void WaitForPass();

  // Called with a client folder each time its row is computed rather than taken from the cache
  // (on a pool thread; for tests).
  void SetComputeHookForTest(std::function<void(const std::filesystem::path&)> hook);

 private:
  void LoadCache();
  void SaveCache();
  void Pass();
  // Brings row `row` of the pass up to date: from its cached self when its inputs are unchanged.
  ClientRow Update(ClientRow row);
  ClientRow ComputeRow(const std::filesystem::path& folder, std::string name, std::uint64_t inputs);

  const std::filesystem::path root_, cache_file_;
  const std::string settings_;
  ClientChecks& checks_;
  const unsigned threads_;
  std::function<void(const std::filesystem::path&)> compute_hook_;

  mutable std::mutex mutex_;
  std::condition_variable pass_ended_;
  std::vector<ClientRow> rows_;  // in name order
  bool cache_read_ = false, cache_found_ = false;
  bool running_ = false, first_ = false;
  bool again_ = false;  // asked for a pass while one was under way
  std::atomic<std::size_t> done_{0};
  std::size_t of_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread pass_thread_;
  std::mutex save_mutex_;
};

}  // namespace qreport::web
