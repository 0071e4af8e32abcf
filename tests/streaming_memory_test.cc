// lines, inspect and check write or check a client's employees one at a time as they read them:
// the peak memory of each command is the same for a client of one employee and for one of
// thousands. Measured as the commands' own peak resident size, not by timing anything.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "data/client_writer.h"
#include "support/fixture.h"
#include "support/golden_clients.h"
#include "support/tmux.h"

namespace qreport {
namespace {

using testing::TempDir;

// The peak resident size in KiB of `qreport ARGS` run in `work`, or -1 when it did not exit 0.
long PeakKib(const TempDir& work, const std::vector<std::string>& args) {
  int pid = testing::StartQreport(work.path(), args);
  if (pid < 0) return -1;
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) > 2) return -1;
  return usage.ru_maxrss;
}

TEST(StreamingCommands, PeakMemoryDoesNotGrowWithTheEmployees) {
  // A sanitizer's quarantine keeps freed memory from reuse on purpose; the measured commands run
  // without it so that what they free counts as free.
  const char* inherited = std::getenv("ASAN_OPTIONS");
  const std::string asan_options = inherited == nullptr ? "" : inherited;
  ::setenv("ASAN_OPTIONS", (asan_options + ":quarantine_size_mb=0:thread_local_quarantine_size_kb=0").c_str(), 1);

  TempDir work;
  WriteRatesFile(work.path(), testing::kGoldenRates);
  // Sizes at which holding every employee shows well past the slack: a document of the figures
  // or the folder takes 2 to 4.5 KiB an employee, check held about 0.4 KiB of each.
  for (int employees : {1, 5000, 20000}) {
    WriteClientFolder(work / std::to_string(employees), testing::ManyEmployees(employees, "TRADE NAME"));
  }
  constexpr long kSlackKib = 3072;
  struct Case {
    std::vector<std::string> command;
    int employees;
  } cases[] = {
      {{"lines", "--json"}, 5000}, {{"lines", "--csv"}, 5000}, {{"inspect", "--json"}, 5000},
      {{"inspect"}, 5000},         {{"check", "--json"}, 20000},
  };
  for (const Case& c : cases) {
    std::vector<std::string> one = c.command, many = c.command;
    one.insert(one.begin() + 1, "1");
    many.insert(many.begin() + 1, std::to_string(c.employees));
    SCOPED_TRACE(c.command.front() + " " + c.command.back());
    long small = PeakKib(work, one);
    long large = PeakKib(work, many);
    ASSERT_GT(small, 0);
    ASSERT_GT(large, 0);
    EXPECT_LE(large, small + kSlackKib) << "1 employee: " << small << " KiB, " << c.employees << " employees: " << large << " KiB";
  }
  if (inherited == nullptr) {
    ::unsetenv("ASAN_OPTIONS");
  } else {
    ::setenv("ASAN_OPTIONS", asan_options.c_str(), 1);
  }
}

// The employee lines of `lines` wait for their place in the document in a temporary file; one that
// cannot grow (a full disk, here a file size limit below the first megabyte it is given) leaves
// them in memory, and the figures are still whole.
TEST(StreamingCommands, LinesStayWholeWhenTheirTemporaryFileFills) {
  TempDir work;
  WriteRatesFile(work.path(), testing::kGoldenRates);
  WriteClientFolder(work / "client", testing::ManyEmployees(8000, "TRADE NAME"));
  const std::string lines = testing::Quoted(QREPORT_CLI) + " lines client --json --rates-dir .";
  const std::string in_work = "cd " + testing::Quoted(work.str()) + " && ";
  ASSERT_EQ(testing::RunCommand(in_work + lines, work / "whole.json"), 0);
  // The limit binds the command alone: `cat` writes what it prints.
  testing::RunCommand(in_work + "(ulimit -f 1000; trap '' XFSZ; " + lines + "; echo $? >status) | cat", work / "limited.json");
  EXPECT_EQ(testing::ReadFile(work / "status"), "0\n");
  EXPECT_EQ(testing::ReadFile(work / "limited.json"), testing::ReadFile(work / "whole.json"));
}

}  // namespace
}  // namespace qreport
