// The clients list's rows: computed once, kept in the cache file across restarts, computed again
// only for the client whose files changed, a damaged or foreign cache ignored and rewritten, and
// the pages of rows the server answers (filter, sort, offset).
#include "web/client_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <set>

#include "cli/demo/demo_client.h"
#include "support/fixture.h"

namespace qreport::web {
namespace {

namespace fs = std::filesystem;
using qreport::testing::ReadFile;
using qreport::testing::TempDir;

class ListCache : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteDemoClient(work_ / "rates");
    for (const char* f : {"report.txt", "report.pdf", "answers"}) fs::remove(work_ / "rates" / f);
    fs::create_directories(root_);
    root_ = fs::canonical(root_);
    for (const char* name : {"alpha", "beta", "gamma"}) {
      fs::copy(work_ / "rates", root_ / name, fs::copy_options::recursive);
    }
    cache_ = ListCacheFile(root_, {});
  }

  // The folders whose rows one run of the server computes (rather than takes from the cache),
  // after its first pass over the root.
  std::set<std::string> ComputedByOneRun(const std::string& settings = "941") {
    ClientChecks checks((work_ / "rates").string(), "941");
    ClientIndex index(root_, cache_, settings, checks, 2);
    std::mutex mutex;
    std::set<std::string> computed;
    index.SetComputeHookForTest([&](const fs::path& folder) {
      std::lock_guard<std::mutex> lock(mutex);
      computed.insert(folder.filename().string());
    });
    index.Refresh();
    index.WaitForPass();
    EXPECT_EQ(index.Query({}).clients, 3u);
    return computed;
  }

  TempDir work_;
  fs::path root_ = work_ / "root";
  fs::path cache_;
  const std::set<std::string> all_ = {"alpha", "beta", "gamma"};
};

TEST_F(ListCache, ARestartComputesOnlyTheClientWhoseFileChanged) {
  EXPECT_EQ(ComputedByOneRun(), all_);
  EXPECT_EQ(ComputedByOneRun(), std::set<std::string>{});
  // One more day of liability in beta's file: only beta is computed again.
  std::ofstream(root_ / "beta" / "PRLIAB", std::ios::app) << "      1.00";
  EXPECT_EQ(ComputedByOneRun(), std::set<std::string>{"beta"});
  // A report written into a folder is no input of its figures; a new answers file is.
  std::ofstream(root_ / "gamma" / "report.txt") << "report";
  EXPECT_EQ(ComputedByOneRun(), std::set<std::string>{});
  std::ofstream(root_ / "gamma" / "answers") << "211=100\n401\n";
  EXPECT_EQ(ComputedByOneRun(), std::set<std::string>{"gamma"});
}

TEST_F(ListCache, RowsOfTheCacheShowBeforeThePassEnds) {
  ComputedByOneRun();
  ClientChecks checks((work_ / "rates").string(), "941");
  ClientIndex index(root_, cache_, "941", checks, 1);
  index.Refresh();
  ListPage page = index.Query({});
  ASSERT_EQ(page.rows.size(), 3u);
  EXPECT_FALSE(page.first);
  for (const ClientRow& row : page.rows) {
    EXPECT_TRUE(row.ready) << row.name;
    EXPECT_EQ(row.employer, "LAKESIDE HARDWARE & SUPPLY INC");
    EXPECT_GT(row.errors + row.warnings, 0);
  }
  index.WaitForPass();
}

TEST_F(ListCache, ADamagedOrForeignCacheIsIgnoredAndWrittenAnew) {
  struct Case {
    const char* what;
    std::function<void(const fs::path& cache)> damage;
    std::string settings = "941";
  };
  const std::vector<Case> cases = {
      {"cut short", [](const fs::path& f) { fs::resize_file(f, fs::file_size(f) / 2); }},
      {"a byte changed",
       [](const fs::path& f) {
         std::string bytes = ReadFile(f);
         bytes[bytes.find("alpha") + 80] ^= 1;
         std::ofstream(f, std::ios::binary) << bytes;
       }},
      {"empty", [](const fs::path& f) { std::ofstream(f, std::ios::trunc).flush(); }},
      {"written for another report", [](const fs::path&) {}, "944"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(cache_);
    ComputedByOneRun();
    c.damage(cache_);
    EXPECT_EQ(ComputedByOneRun(c.settings), all_);
    EXPECT_EQ(ComputedByOneRun(c.settings), std::set<std::string>{}) << "the cache was not written anew";
  }
}

TEST_F(ListCache, ALinkInPlaceOfTheCacheIsNeitherReadNorWrittenThrough) {
  ComputedByOneRun();
  const fs::path elsewhere = work_ / "elsewhere.cache";
  fs::rename(cache_, elsewhere);
  const std::string before = ReadFile(elsewhere);
  fs::create_symlink(elsewhere, cache_);
  EXPECT_EQ(ComputedByOneRun(), all_);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(cache_)));
  EXPECT_EQ(ReadFile(elsewhere), before);
}

TEST_F(ListCache, PagesOfRowsAreFilteredSortedAndCut) {
  // gamma's payroll date is in 2004: an earlier quarter, the short route.
  {
    std::string client = ReadFile(root_ / "gamma" / "CLIENT");
    client.replace(120, 6, "063004");
    std::ofstream(root_ / "gamma" / "CLIENT", std::ios::binary) << client;
  }
  fs::create_directories(root_ / "not-a-client");
  ClientChecks checks((work_ / "rates").string(), "941");
  ClientIndex index(root_, "", "941", checks, 2);
  index.Refresh();
  index.WaitForPass();
  auto names = [&](const ListQuery& query) {
    std::vector<std::string> listed;
    for (const ClientRow& row : index.Query(query).rows) listed.push_back(row.name);
    return listed;
  };
  struct Case {
    const char* what;
    std::size_t offset, limit;
    std::string filter, sort;
    bool descending;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"all by name", 0, 50, "", "name", false, {"alpha", "beta", "gamma"}},
      {"a page", 1, 1, "", "name", false, {"beta"}},
      {"past the end", 7, 50, "", "name", false, {}},
      {"by name, descending", 0, 50, "", "name", true, {"gamma", "beta", "alpha"}},
      {"every word, any case", 0, 50, " AL  pha ", "name", false, {"alpha"}},
      {"words of the employer", 0, 50, "lakeside bet", "name", false, {"beta"}},
      {"nothing matches", 0, 50, "zeta", "name", false, {}},
      {"by quarter", 0, 50, "", "quarter", false, {"gamma", "alpha", "beta"}},
      {"by path, descending", 0, 50, "", "path", true, {"alpha", "beta", "gamma"}},
  };
  for (const Case& c : cases) {
    ListQuery query;
    query.offset = c.offset;
    query.limit = c.limit;
    query.filter = c.filter;
    query.sort = c.sort;
    query.descending = c.descending;
    EXPECT_EQ(names(query), c.expected) << c.what;
  }
  ListQuery cut;
  cut.offset = 1;
  cut.limit = 1;
  cut.filter = "a";
  ListPage page = index.Query(cut);
  EXPECT_EQ(page.rows.size(), 1u);
  EXPECT_EQ(page.matching, 3u);
  EXPECT_EQ(page.clients, 3u);
  EXPECT_FALSE(page.running);
  EXPECT_EQ(page.done, page.of);
}

}  // namespace
}  // namespace qreport::web
