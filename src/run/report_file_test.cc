// What a run does with its report file when something goes wrong: a report known to be
// incomplete is never handed on, a report never holds pages of an earlier run, the module never
// writes through a link or into a device, a failed write keeps the previous report whole, and two
// runs of one client take turns.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/files.h"
#include "run/report_run.h"
#include "support/client_run.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using testing::ClientRun;
using testing::Count;
using testing::Leftovers;
using testing::PlainClient;
using testing::ReadFile;
using testing::TempDir;
namespace fs = std::filesystem;

constexpr const char* kFormDate = "063005";
constexpr const char* kOldReport = "LAST QUARTER'S GOOD REPORT\r\n";
constexpr const char* kReply = "A*LPT1*X*N";

// The client of every case, with a report of an earlier run beside it.
void WriteClient(const TempDir& dir, ClientSpec client = PlainClient(kFormDate)) {
  testing::WriteTwoEmployeeClient(dir, std::move(client));
  WriteBytes(dir / "report.txt", kOldReport);
}

TEST(ReportFile, AReadErrorKeepsTheLastReportAndSetsTheNewOneAside) {
  // Each obstacle stops the worksheet with an error message; the forms still follow, computed
  // from what could be read (a Form 941 of zero wages and a false overpayment), so the new
  // report is wrong as it stands. It goes to report.incomplete.txt, never to the printer; the
  // last good report stays, and the message names the side file.
  struct Case {
    const char* name;
    const char* date;
    const char* answers;
    void (*spoil)(const TempDir&);
    const char* error;  // the first message
    std::size_t forms;  // Form 941 pages and vouchers the side file holds
  } cases[] = {
      {"employee index is a folder", kFormDate, "401\n", [](const TempDir& d) {
         fs::remove(d / "EMPLOYEE.idx");
         fs::create_directory(d / "EMPLOYEE.idx");
       }, nullptr, 1},
      {"employee index is a link loop", kFormDate, "401\n", [](const TempDir& d) {
         fs::remove(d / "EMPLOYEE.idx");
         fs::create_symlink("EMPLOYEE.idx", d / "EMPLOYEE.idx");
       }, nullptr, 1},
      {"rates file is a folder", kFormDate, "401\n", [](const TempDir& d) {
         fs::remove(d / "FICA.RAT");
         fs::create_directory(d / "FICA.RAT");
       }, nullptr, 1},
      {"formula file is a folder", kFormDate, "401\n", [](const TempDir& d) { fs::create_directory(d / "emp4mula.fil"); },
       nullptr, 1},
      // More employees than a master file can hold: the index repeats them past 32,767, and the
      // pass stops there with the overflow a 16-bit count of them gives.
      {"index lists 32,768 employees", kFormDate, "401\n", [](const TempDir& d) {
         std::string index;
         for (int i = 0; i < 32768; ++i) index += std::string("E1    \x01\x00", 8);
         WriteBytes(d / "EMPLOYEE.idx", index);
       }, "at line  0: Error  6", 1},
      {"short path, employee index is a folder", "063004", "103\n", [](const TempDir& d) {
         fs::remove(d / "EMPLOYEE.idx");
         fs::create_directory(d / "EMPLOYEE.idx");
       }, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteClient(dir, PlainClient(c.date));
    c.spoil(dir);
    ClientRun run("P");
    run.Run(dir, c.answers, kReply);
    EXPECT_TRUE(run.outcome.error_shown);
    EXPECT_TRUE(run.platform.picked_for.empty());
    EXPECT_TRUE(run.platform.commands.empty());
    const fs::path aside = dir / "report.incomplete.txt";
    EXPECT_EQ(run.outcome.incomplete_report, aside.string());
    EXPECT_EQ(ReadFile(dir / "report.txt"), kOldReport);
    EXPECT_TRUE(fs::is_regular_file(aside));
    if (run.platform.messages.size() != 2u) {
      ADD_FAILURE() << run.platform.messages.size() << " messages";
      continue;
    }
    if (c.error != nullptr) {
      EXPECT_EQ(run.platform.messages[0], c.error);
    } else {
      EXPECT_EQ(run.platform.messages[0].rfind("at line  0: Error", 0), 0u) << run.platform.messages[0];
    }
    EXPECT_NE(run.platform.messages[1].find("incomplete"), std::string::npos);
    EXPECT_NE(run.platform.messages[1].find("left as it was"), std::string::npos);
    EXPECT_NE(run.platform.messages[1].find(aside.string()), std::string::npos);
    // This run's pages only: the forms computed from what could be read, nothing of the earlier report.
    std::string report = ReadFile(aside);
    EXPECT_EQ(report.find(kOldReport), std::string::npos);
    EXPECT_EQ(Count(report, " 941 for "), c.forms);
    EXPECT_EQ(Count(report, "Form 941 Payment Voucher"), c.forms);
    EXPECT_TRUE(Leftovers(dir.path()).empty());
  }
}

TEST(ReportFile, ACleanRunReplacesTheReportAndHandsItOn) {
  TempDir dir;
  WriteClient(dir);
  WriteBytes(dir / "report.incomplete.txt", "AN EARLIER RUN'S INCOMPLETE REPORT");
  ClientRun run("P");
  run.Run(dir, "401\n", kReply);
  EXPECT_FALSE(run.outcome.error_shown);
  EXPECT_TRUE(run.platform.messages.empty());
  ASSERT_EQ(run.platform.commands.size(), 1u);
  EXPECT_EQ(run.platform.commands[0].rfind((dir / "report.txt").string() + ",", 0), 0u);
  EXPECT_EQ(run.outcome.hand_off, RunOutcome::HandOff::kPrinted);
  std::string report = ReadFile(dir / "report.txt");
  EXPECT_EQ(report.find(kOldReport), std::string::npos);
  EXPECT_NE(report.find("TOTALS"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "report.incomplete.txt"));  // a whole report supersedes it
  EXPECT_TRUE(Leftovers(dir.path()).empty());
}

TEST(ReportFile, LinksAndDevicesUnderTheReportsNameAreNeverWrittenThrough) {
  // The names match without regard to case, so "REPORT.TXT" counts as the report file too.
  for (const char* name : {"report.txt", "REPORT.TXT"}) {
    for (const char* kind : {"link", "fifo", "dangling link"}) {
      SCOPED_TRACE(std::string(name) + " " + kind);
      TempDir dir;
      TempDir outside;
      WriteClient(dir);
      fs::remove(dir / "report.txt");
      WriteBytes(outside / "victim", "NOT YOURS");
      std::string what = kind;
      if (what == "link") fs::create_symlink(outside / "victim", dir / name);
      if (what == "dangling link") fs::create_symlink(outside / "created", dir / name);
      if (what == "fifo") {
        ASSERT_EQ(::mkfifo((dir / name).c_str(), 0600), 0);
      }
      ClientRun run("P");
      run.Run(dir, "401\n", kReply);  // returns: a pipe is never opened
      EXPECT_EQ(ReadFile(outside / "victim"), "NOT YOURS");
      EXPECT_FALSE(fs::exists(outside / "created"));
      auto status = fs::symlink_status(dir / name);
      EXPECT_EQ(fs::is_symlink(status), what != "fifo");
      EXPECT_EQ(fs::is_fifo(status), what == "fifo");
      EXPECT_TRUE(run.platform.commands.empty());
      ASSERT_EQ(run.platform.messages.size(), 2u);
      EXPECT_EQ(run.platform.messages[0], "at line  0: Error  75");
      EXPECT_TRUE(Leftovers(dir.path()).empty());
    }
  }
}

TEST(ReportFile, WhatAKilledRunLeftIsRemovedByTheNextRun) {
  TempDir dir;
  WriteClient(dir);
  for (const char* name : {"~qr4242-0.tmp", "~QR77-3.TMP", "save941.info.tmp123-456-0"}) WriteBytes(dir / name, "x");
  fs::create_directory(dir / "~qrfolder.tmp");  // a folder of that name is not the module's
  ClientRun run("P");
  run.Run(dir, "401\n", kReply);
  EXPECT_EQ(Leftovers(dir.path()), std::vector<std::string>{"~qrfolder.tmp"});
  EXPECT_NE(ReadFile(dir / "report.txt").find("TOTALS"), std::string::npos);
}

TEST(ReportFile, AFailedWriteKeepsTheLastReportWhole) {
  // A file-size limit makes every write past it fail as a full disk does (EFBIG), for any user;
  // the run is made in a child process, which alone has the limit.
  TempDir dir;
  WriteClient(dir);
  const std::string saved = "OLD \r\nNAME \r\n \r\n  \r\n";
  WriteBytes(dir / "save941.info", saved);
  std::string messages_file = (dir / "messages").string();
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
    ClientRun run("P");
    run.Run(dir, "213=NEW\n401\n", kReply);
    std::string all;
    for (const auto& m : run.platform.messages) all += m + "\n";
    all += run.platform.commands.empty() ? "not handed on\n" : "handed on\n";
    all += run.outcome.error_shown ? "error shown\n" : "no error\n";
    std::FILE* f = std::fopen(messages_file.c_str(), "wb");
    if (f == nullptr) ::_exit(3);
    std::fwrite(all.data(), 1, all.size(), f);
    std::fclose(f);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::string messages = ReadFile(dir / "messages");
  EXPECT_EQ(messages.rfind("at line  0: Error  61\n", 0), 0u) << messages;
  EXPECT_NE(messages.find("could not be written"), std::string::npos) << messages;
  EXPECT_NE(messages.find("not handed on\nerror shown\n"), std::string::npos) << messages;
  EXPECT_EQ(ReadFile(dir / "report.txt"), kOldReport);
  EXPECT_EQ(ReadFile(dir / "save941.info"), "NEW \r\nNAME \r\n \r\n  \r\n");
  EXPECT_TRUE(Leftovers(dir.path()).empty());
}

TEST(ReportFile, ControlBytesInTheDataPrintAsBlanks) {
  // A form feed and a printer reset in the employer's name, a tab and an escape in the dialog's
  // texts and in an employee's name: the report's page count and printer state stay the report's.
  TempDir clean_dir, dirty_dir;
  ClientSpec clean = PlainClient(kFormDate);
  ClientSpec dirty = clean;
  dirty.employer_name = "ACME\fTOOL\x1b@AND DIE CO";
  clean.employer_name = "ACME TOOL @AND DIE CO";
  WriteClient(clean_dir, clean);
  WriteClient(dirty_dir, dirty);
  ClientRun clean_run("P"), dirty_run("P");
  clean_run.Run(clean_dir, "213=JO ANN\n214=555 0100\n401\n", kReply);
  dirty_run.Run(dirty_dir, "213=JO\tANN\n214=555\x1b" "0100\n401\n", kReply);
  EXPECT_TRUE(ReadFile(dirty_dir / "report.txt") == ReadFile(clean_dir / "report.txt"));
  // The saved entries keep what the user typed.
  EXPECT_EQ(ReadFile(dirty_dir / "save941.info"), "JO\tANN \r\n555\x1b" "0100 \r\n \r\n  \r\n");
}

TEST(ReportFile, ASecondRunOfTheSameClientWaitsForTheFirst) {
  TempDir dir;
  WriteClient(dir);
  std::atomic<bool> finished{false};
  std::thread second;
  {
    FolderLock first(dir.path());
    ASSERT_TRUE(first.held());
    second = std::thread([&] {
      ClientRun run("P");
      run.Run(dir, "401\n", kReply);
      finished = true;
    });
    // Long enough for a run of two employees to end many times over, were it not waiting.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(finished.load());
    EXPECT_EQ(ReadFile(dir / "report.txt"), kOldReport);
  }
  second.join();
  EXPECT_TRUE(finished.load());
  EXPECT_NE(ReadFile(dir / "report.txt").find("TOTALS"), std::string::npos);
}

}  // namespace
}  // namespace qreport
