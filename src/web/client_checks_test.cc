// The clients page's checks are one view of the client's computed figures: the same findings as
// `qreport check`, got by reading the client's files no more often than the check does (the
// employee checks ride on the figures' own pass instead of walking the employee files again).
#include "web/client_checks.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "check/checks.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "support/check_client.h"
#include "support/fixture.h"

namespace qreport::web {
namespace {

namespace fs = std::filesystem;
using qreport::testing::OneEmployeeClient;
using qreport::testing::TempDir;
using qreport::testing::WriteCheckClient;

// Counts how often each file of one folder is opened, by anyone, from its making to Take().
class OpenCounter {
 public:
  explicit OpenCounter(const fs::path& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0 && ::inotify_add_watch(fd_, folder.c_str(), IN_OPEN) < 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~OpenCounter() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenCounter(const OpenCounter&) = delete;
  OpenCounter& operator=(const OpenCounter&) = delete;

  bool watching() const { return fd_ >= 0; }

  // The opens of files (not of the folder itself) since the last call, by file name.
  std::map<std::string, int> Take() {
    std::map<std::string, int> opens;
    if (fd_ < 0) return opens;
    alignas(inotify_event) char buffer[64 * 1024];
    ssize_t n;
    while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) {
      for (char* at = buffer; at < buffer + n;) {
        auto* event = reinterpret_cast<inotify_event*>(at);
        if (event->len > 0 && (event->mask & IN_ISDIR) == 0) ++opens[event->name];
        at += sizeof(inotify_event) + event->len;
      }
    }
    return opens;
  }

 private:
  int fd_;
};

TEST(ClientChecks, FindTheChecksFindingsReadingTheFilesAsOftenAsTheCheck) {
  TempDir work;
  // Year-to-date wages below the quarter's: a finding of the employee checks.
  WriteCheckClient(work, OneEmployeeClient(2000000, 1000000));
  const fs::path folder = fs::canonical(work / "client");
  OpenCounter counter(folder);

  // `qreport check` without answers: the dialog closed with its first values.
  PlatformOptions options;
  options.never_interactive = true;
  auto platform = MakePlatform(options);
  EmployeeChecks employees;
  WorksheetSink* const sinks[] = {&employees};
  counter.Take();
  ReportFigures figures = ComputeClientFigures(folder.string(), work.str(), "941", *platform, sinks);
  std::string check_findings = FindingsText(CheckClient(figures, folder.string(), work.str(), &employees));
  std::map<std::string, int> check_opens = counter.Take();
  ASSERT_NE(check_findings.find("ytd-below-qtd"), std::string::npos) << check_findings;

  ClientChecks checks(work.str(), "941");
  std::string page_findings = FindingsText(checks.Get(folder)->findings);
  std::map<std::string, int> page_opens = counter.Take();
  EXPECT_EQ(page_findings, check_findings);
  // Asked again with nothing changed, the page reads no client file.
  EXPECT_EQ(FindingsText(checks.Get(folder)->findings), check_findings);
  std::map<std::string, int> cached_opens = counter.Take();

  // The system's limit on file watches is shared by every process of the user.
  if (!counter.watching()) GTEST_SKIP() << "no file watch to count the opens with";
  EXPECT_FALSE(check_opens.empty());
  EXPECT_EQ(page_opens, check_opens);
  EXPECT_TRUE(cached_opens.empty());
}

}  // namespace
}  // namespace qreport::web
