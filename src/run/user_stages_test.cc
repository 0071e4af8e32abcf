// Whole report runs played from answers: what a run writes, keeps and hands on when the user
// completes, cancels or abandons a dialog, and what the print hand-off makes of the picker's
// reply.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "data/client_writer.h"
#include "run/print_handoff.h"
#include "run/report_run.h"
#include "support/client_run.h"
#include "support/fixture.h"
#include "support/process_state.h"

namespace qreport {
namespace {

using testing::ClientRun;
using testing::kNobody;
using testing::PlainClient;
using testing::RunWithoutPrivileges;
using testing::ReadFile;
using testing::TempDir;
namespace fs = std::filesystem;

constexpr const char* kFormDate = "063005";
constexpr const char* kShortDate = "063004";

// The client of every case; `saved` is the saved entries file, when there is one.
void WriteClient(const TempDir& dir, const char* date, std::optional<std::string> saved = std::nullopt) {
  testing::WriteTwoEmployeeClient(dir, PlainClient(date));
  if (saved) WriteBytes(dir / "save941.info", *saved);
}

TEST(UserStages, DialogOutcomesDecideWhatTheRunWrites) {
  const std::string old_saved = "OLD NAME \r\nOLD PHONE \r\n&LH1% \r\nNY  \r\n";
  struct Case {
    const char* what;
    const char* date;
    std::optional<std::string> saved_before;
    const char* answers;
    bool report_written;
    std::optional<std::string> saved_after;  // nullopt: no file
    const char* device_after;
  } cases[] = {
      {"first report: four blank lines saved", kFormDate, std::nullopt, "401\n", true,
       std::string(" \r\n \r\n \r\n  \r\n"), "Q"},
      {"typed texts are saved", kFormDate, std::nullopt, "213=&LH1%\n214=555-0100\n215=&LH2% &LH3%\n219= tx \n401\n",
       true, std::string("&LH1% \r\n555-0100 \r\n&LH2% &LH3% \r\ntx  \r\n"), "Q"},
      {"saved texts come back into the boxes and are saved unchanged", kFormDate, old_saved, "401\n", true, old_saved,
       "Q"},
      {"cancel on the options dialog writes nothing", kFormDate, old_saved, "213=NEW\n402\n", false, old_saved, "Q"},
      {"cancel with no saved file leaves it created empty", kFormDate, std::nullopt, "402\n", false, std::string(""),
       "Q"},
      {"a dialog closed in no button's way goes on as after Done", kFormDate, old_saved, "219=IL\n", true,
       std::string("OLD NAME \r\nOLD PHONE \r\n&LH1% \r\nIL  \r\n"), "Q"},
      {"short path: OK writes the worksheet", kShortDate, old_saved, "101=063004\n103\n", true, old_saved, "P"},
      {"short path: CANCEL reports X and writes nothing", kShortDate, old_saved, "131=5\n113\n", false, old_saved,
       "X"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteClient(dir, c.date, c.saved_before);
    ClientRun run;
    run.Run(dir, c.answers, "A*LPT1:*X*N");
    ASSERT_EQ(run.platform.dialogs.size(), 1u);
    EXPECT_EQ(fs::exists(dir / "report.txt"), c.report_written);
    if (c.report_written) {
      EXPECT_NE(ReadFile(dir / "report.txt").find("TOTALS -  2 EMPLOYEES"), std::string::npos);
    }
    EXPECT_EQ(fs::exists(dir / "save941.info"), c.saved_after.has_value());
    if (c.saved_after) {
      EXPECT_EQ(ReadFile(dir / "save941.info"), *c.saved_after);
    }
    EXPECT_EQ(run.device, c.device_after);
    // Only a finished report is handed on.
    EXPECT_EQ(run.platform.commands.size(), c.report_written ? 1u : 0u);
    EXPECT_TRUE(run.platform.messages.empty());
  }
}

TEST(UserStages, SavedEntriesStayTheSameOverThreeReports) {
  TempDir dir;
  WriteClient(dir, kFormDate);
  ClientRun first;
  first.Run(dir, "213=&LH1%\n214=(217) 555-0142\n215=&LH1% &LH2%\n219=il \n401\n", "");
  std::string saved = ReadFile(dir / "save941.info");
  EXPECT_EQ(saved, "&LH1% \r\n(217) 555-0142 \r\n&LH1% &LH2% \r\nil  \r\n");
  for (int report = 2; report <= 4; ++report) {
    SCOPED_TRACE(report);
    ClientRun again;
    again.Run(dir, "401\n", "");
    const DialogTable& shown = again.platform.dialogs.at(0);
    EXPECT_EQ(shown.Find(213)->text, "&LH1%");
    EXPECT_EQ(shown.Find(214)->text, "(217) 555-0142");
    EXPECT_EQ(shown.Find(215)->text, "&LH1% &LH2%");
    EXPECT_EQ(shown.Find(219)->text, "il");
    EXPECT_EQ(ReadFile(dir / "save941.info"), saved);
  }
}

TEST(UserStages, MonthBoxesShowTheQuartersLiabilities) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = PlainClient(kFormDate);
  std::vector<std::string> liability(93, "0.00");
  liability[0] = "100.25";
  liability[30] = "0.25";   // the last day slot of the first month
  liability[31] = "1234.5";  // the first of the second
  liability[92] = "-7";
  spec.liability = liability;
  WriteClientFolder(dir.path(), spec);
  ClientRun run;
  run.Run(dir, "", "");
  const DialogTable& shown = run.platform.dialogs.at(0);
  EXPECT_EQ(shown.Find(216)->text, " 100.5");
  EXPECT_EQ(shown.Find(217)->text, " 1234.5");
  EXPECT_EQ(shown.Find(218)->text, "-7");
}

TEST(UserStages, SavedEntriesTheUserMayNotRewriteAreKept) {
  // Either the folder is read-only, or the folder is writable but the saved file is not the
  // user's to read or write: replacing it through the folder would lose what it holds.
  for (bool lock_folder : {true, false}) {
    SCOPED_TRACE(lock_folder ? "read-only folder" : "saved file not the user's");
    const std::string saved = "KEEP \r\nME \r\nAS \r\nIS  \r\n";
    TempDir dir;
    WriteClient(dir, kFormDate, saved);
    for (const char* name : {"report.txt", "PRLIAB", "emp4mula.fil", "prep"}) WriteBytes(dir / name, "");
    // The superuser writes into any folder, so the run is then made by an ordinary user: the
    // folder and its files are handed to that user first (the saved file too, unless it is the
    // one kept from the user).
    const bool as_other_user = ::geteuid() == 0;
    if (as_other_user) {
      ASSERT_EQ(::chown(dir.str().c_str(), kNobody, kNobody), 0);
      for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (!lock_folder && entry.path().filename() == "save941.info") continue;
        ASSERT_EQ(::chown(entry.path().c_str(), kNobody, kNobody), 0);
      }
    }
    if (lock_folder) {
      ASSERT_EQ(::chmod(dir.str().c_str(), 0555), 0);
    } else {
      ASSERT_EQ(::chmod((dir / "save941.info").c_str(), as_other_user ? 0600 : 0000), 0);
    }

    // The run's outcome: 0 when the save failure was shown and the report was not handed on.
    auto run_report = [&] {
      ClientRun run;
      run.Run(dir, "213=NEW\n401\n", "A*LPT1*X*N");
      bool shown = run.platform.messages.size() == 2 && run.platform.messages[0] == "at line  0: Error  70";
      return run.platform.commands.empty() && shown ? 0 : 1;
    };
    // 3: the run never met the obstacle the case is about (it could write after all).
    int outcome = RunWithoutPrivileges([&] {
      if (!lock_folder && ::access((dir / "save941.info").string().c_str(), W_OK) == 0) return 3;
      if (lock_folder && ::access(dir.str().c_str(), W_OK) == 0) return 3;
      return run_report();
    });
    ::chmod(dir.str().c_str(), 0755);
    ::chmod((dir / "save941.info").c_str(), 0600);
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(ReadFile(dir / "save941.info"), saved);
    // The run goes on: the worksheet is written into the existing report file.
    EXPECT_NE(ReadFile(dir / "report.txt").find("TOTALS"), std::string::npos);
  }
}

TEST(UserStages, ASaveThatFailsIsShownAndTheReportIsNotHandedOn) {
  // Works for every user, the superuser too: a folder, or a link to a file outside the client
  // folder, stands where the file should be; neither is replaced or written through.
  for (bool link : {false, true}) {
    SCOPED_TRACE(link ? "link" : "folder");
    TempDir dir;
    TempDir outside;
    WriteClient(dir, kFormDate);
    if (link) {
      WriteBytes(outside / "victim", "KEEP \r\n");
      fs::create_symlink(outside / "victim", dir / "save941.info");
    } else {
      fs::create_directories(dir / "save941.info" / "kept");
    }
    ClientRun run;
    run.Run(dir, "213=NEW\n401\n", "A*LPT1*X*N");
    if (link) {
      EXPECT_TRUE(fs::is_symlink(dir / "save941.info"));
      EXPECT_EQ(ReadFile(outside / "victim"), "KEEP \r\n");
    } else {
      EXPECT_TRUE(fs::is_directory(dir / "save941.info" / "kept"));
    }
    EXPECT_NE(ReadFile(dir / "report.txt").find("TOTALS"), std::string::npos);
    EXPECT_TRUE(run.platform.commands.empty());
    ASSERT_EQ(run.platform.messages.size(), 2u);
    EXPECT_EQ(run.platform.messages[0], "at line  0: Error  75");
    EXPECT_NE(run.platform.messages[1].find((dir / "report.txt").string()), std::string::npos);
  }
}

TEST(UserStages, SavedEntriesInAFolderWithALongPathAreKept) {
  // A folder path just short of the system's limit leaves little room for a temporary name.
  TempDir dir;
  fs::path folder = dir.path();
  while (folder.string().size() < 4000) folder /= std::string(200, 'd');
  folder /= std::string(4060 - folder.string().size(), 'e');
  fs::create_directories(folder);
  ASSERT_LE(folder.string().size() + std::string("/save941.info").size(), 4095u);
  WriteClientFolder(folder, [] {
    ClientFolderSpec spec;
    spec.client = PlainClient(kFormDate);
    return spec;
  }());
  ClientRun run;
  run.platform.answers = "213=NEW NAME\n401\n";
  RunReport(folder.string(), run.device, "941", run.platform, folder.string());
  EXPECT_EQ(ReadFile(folder / "save941.info"), "NEW NAME \r\n \r\n \r\n  \r\n");
  EXPECT_TRUE(run.platform.messages.empty());
}

TEST(PrintHandOff, RepliesAndCommands) {
  struct Case {
    const char* reply;
    bool short_route;
    std::optional<std::string> tail;  // the command after the report path; nullopt: nothing printed
  } cases[] = {
      {"A*LPT1:*X*N", false, ",LPT1,X,/NP"},
      {"A*LPT1:*X*Y", false, ",LPT1,X,/ZM"},
      {"A*LPT1:*X*Y", true, ",LPT1,X,/ZM/FP"},
      {"A*LPT1:*X*N", true, ",LPT1,X,/NP/FP"},
      {"*LPT1*X*N", false, std::nullopt},
      {"A*LPT1", false, std::nullopt},
      {"A*P*rest", false, ",P,rest,/ZM"},
      {"", false, std::nullopt},
      {"ABC", false, std::nullopt},
      {"A*LPT1::*X*N", false, ",LPT1:,X,/NP"},  // one ":" is dropped
      {"A**X*N", false, ",,X,/NP"},
      {"A*P**N", false, ",P,,/NP"},
      {"A*P*X*n", false, ",P,X,/ZM"},
      {"A*P*X*N*more", false, ",P,X,/ZM"},  // the flag is everything after the third "*"
      {"A*P*X*", false, ",P,X,/ZM"},
      {"**", false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reply) + (c.short_route ? " short" : ""));
    std::optional<PrinterChoice> choice = ParsePrinterReply(c.reply);
    ASSERT_EQ(choice.has_value(), c.tail.has_value());
    if (choice) {
      EXPECT_EQ(BuildPrintCommand("C:\\DATA\\report.txt", *choice, c.short_route), "C:\\DATA\\report.txt" + *c.tail);
    }
  }

  // Through whole runs: the picker is asked with the report's path and the command names it.
  for (const char* date : {kFormDate, kShortDate}) {
    SCOPED_TRACE(date);
    TempDir dir;
    WriteClient(dir, date);
    ClientRun run;
    bool form = std::string_view(date) == kFormDate;
    run.Run(dir, form ? "401\n" : "103\n", "A*LPT1:*X*Y");
    std::string report = (dir / "report.txt").string();
    EXPECT_EQ(run.platform.picked_for, std::vector<std::string>{report});
    std::string want = report + ",LPT1,X,/ZM" + (form ? "" : "/FP");
    EXPECT_EQ(run.platform.commands, std::vector<std::string>{want});
  }
}

}  // namespace
}  // namespace qreport
