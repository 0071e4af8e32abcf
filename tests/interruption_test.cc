// The qreport command interrupted and starved: killed at random moments, its files are each the
// old or the new content and what it left behind goes with the next run; on a full file system
// the last report stays whole and nothing is handed on; a closed output pipe does not end it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "data/client_writer.h"
#include "platform/files.h"
#include "support/client_run.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using testing::Leftovers;
using testing::PlainClient;
using testing::PlainEmployee;
using testing::ReadFile;
using testing::TempDir;
namespace fs = std::filesystem;

constexpr const char* kReply = "A*PDF*FILE*N";

void WriteClient(const fs::path& folder, int employees) {
  ClientFolderSpec spec;
  spec.client = PlainClient("063005");
  for (int i = 1; i <= employees; ++i) spec.employees.push_back(PlainEmployee("K" + std::to_string(i), 50000, 90000));
  WriteClientFolder(folder, spec);
  WriteRatesFile(folder, {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
}

// Starts `qreport run FOLDER` in FOLDER with the answers file `answers`, its output thrown away.
// (The rates and letterhead files are looked up in the current folder: the client's own.)
pid_t StartRun(const fs::path& folder, const fs::path& answers) {
  return testing::StartQreport(folder,
                               {"run", folder.string(), "--answers", answers.string(), "--printer-reply", kReply});
}

int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

TEST(Interruption, AKilledRunLeavesEachFileOldOrNew) {
  TempDir dir;
  fs::path client = dir / "client";
  WriteClient(client, 120);
  // Two runs that differ in the designee they save and print; each kill lands in a run of either.
  const fs::path answers[2] = {dir / "a.answers", dir / "b.answers"};
  WriteBytes(answers[0], "213=FIRST DESIGNEE\n401\n");
  WriteBytes(answers[1], "213=SECOND DESIGNEE\n401\n");
  std::string report[2], saved[2], pdf[2];
  auto started = std::chrono::steady_clock::now();
  for (int i : {0, 1}) {
    ASSERT_EQ(Wait(StartRun(client, answers[i])), 0);
    report[i] = ReadFile(client / "report.txt");
    saved[i] = ReadFile(client / "save941.info");
    pdf[i] = ReadFile(client / "report.pdf");
    ASSERT_FALSE(report[i].empty() || saved[i].empty() || pdf[i].empty());
  }
  auto whole_run = (std::chrono::steady_clock::now() - started) / 2;
  ASSERT_NE(report[0], report[1]);

  std::mt19937 random(20261210);
  std::uniform_int_distribution<long> moment(0, std::chrono::duration_cast<std::chrono::microseconds>(whole_run).count());
  std::set<std::string> seen_reports;
  constexpr int kKills = 200;
  // Under the sanitizers on a busy machine one run takes seconds: past a minute the kills stop,
  // once twenty have landed.
  const auto budget = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (int kill = 0; kill < kKills; ++kill) {
    if (kill >= 20 && std::chrono::steady_clock::now() > budget) break;
    pid_t pid = StartRun(client, answers[kill % 2]);
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(pid, SIGKILL);
    Wait(pid);
    SCOPED_TRACE("kill " + std::to_string(kill));
    std::string now_report = ReadFile(client / "report.txt");
    std::string now_saved = ReadFile(client / "save941.info");
    std::string now_pdf = ReadFile(client / "report.pdf");
    ASSERT_TRUE(now_report == report[0] || now_report == report[1]) << now_report.size() << " bytes";
    ASSERT_TRUE(now_saved == saved[0] || now_saved == saved[1]) << testing::Visible(now_saved);
    ASSERT_TRUE(now_pdf == pdf[0] || now_pdf == pdf[1]) << now_pdf.size() << " bytes";
    seen_reports.insert(now_report);
  }
  // Both contents were seen: some kills came after a run had replaced the report.
  EXPECT_EQ(seen_reports.size(), 2u);
  ASSERT_EQ(Wait(StartRun(client, answers[0])), 0);
  EXPECT_TRUE(Leftovers(client).empty());
  EXPECT_EQ(ReadFile(client / "report.txt"), report[0]);
}

TEST(Interruption, AFullFileSystemKeepsTheLastReportAndHandsNothingOn) {
  TempDir dir;
  fs::path disk = dir / "disk";
  fs::create_directory(disk);
  if (::geteuid() != 0 || ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=512k") != 0) {
    GTEST_SKIP() << "a small file system is mounted for this test only by the superuser where mounting is allowed";
  }
  struct Unmount {
    fs::path at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{disk};
  fs::path client = disk / "client";
  WriteClient(client, 3);
  const std::string old_report = "LAST QUARTER'S REPORT\r\n";
  const std::string old_saved = "OLD \r\n \r\n \r\n  \r\n";
  WriteBytes(client / "report.txt", old_report);
  WriteBytes(client / "save941.info", old_saved);
  WriteBytes(dir / "answers", "213=NEW\n401\n");
  // Fill the file system, then free two pages: room for the saved entries, not for a report.
  {
    std::FILE* filler = std::fopen((disk / "filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    std::string block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
    }
    std::fclose(filler);
    fs::resize_file(disk / "filler", fs::file_size(disk / "filler") - 2 * 4096);
  }
  testing::CommandOutcome o =
      testing::RunQreport(dir, "run '" + client.string() + "' --answers answers --printer-reply " + kReply);
  EXPECT_EQ(o.status, 4) << o.err;
  EXPECT_NE(o.err.find("Error  61"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("could not be written"), std::string::npos) << o.err;
  EXPECT_EQ(o.out.find("print command"), std::string::npos) << o.out;
  EXPECT_EQ(ReadFile(client / "report.txt"), old_report);
  std::string saved = ReadFile(client / "save941.info");
  EXPECT_TRUE(saved == old_saved || saved == "NEW \r\n \r\n \r\n  \r\n") << testing::Visible(saved);
  EXPECT_TRUE(Leftovers(client).empty());
}

TEST(Interruption, AClosedOutputPipeDoesNotEndTheRun) {
  TempDir work;
  fs::path client = work / "client";
  WriteClient(client, 3);
  WriteBytes(work / "answers", "401\n");
  // Standard output is a pipe whose reader is gone before the command writes a byte.
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::signal(SIGPIPE, SIG_DFL);  // as a shell starts it
    ::dup2(ends[1], STDOUT_FILENO);
    std::FILE* null = std::freopen("/dev/null", "w", stderr);
    (void)null;
    std::string answers = (work / "answers").string();
    ::execl(QREPORT_CLI, "qreport", "run", client.c_str(), "--answers", answers.c_str(), "--printer-reply",
            "A*LPT1*X*N", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ends[1]);
  int status = Wait(pid);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(ReadFile(client / "report.txt").find("Form 941 Payment Voucher"), std::string::npos);
}

}  // namespace
}  // namespace qreport
