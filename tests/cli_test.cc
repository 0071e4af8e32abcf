// The qreport command as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/client_writer.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using testing::CompareGolden;
using testing::PlainClient;
using testing::ReadFile;
using testing::RunQreport;
using testing::TempDir;

using Outcome = testing::CommandOutcome;

TEST(Cli, RunTakesTheRouteFromThePayrollDate) {
  struct Case {
    const char* date;
    const char* args;
    const char* device_line;
    bool worksheet_written;
  } cases[] = {
      {"063004", "", "device code: P\n", true},
      {"063004", "--device Z --kind none", "device code: P\n", false},  // an empty report
      {"063005", "--device Z", "device code: Z\n", true},  // the form route leaves it as passed
      {"063005", "", "device code: P\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.date) + " " + c.args);
    TempDir work;
    ClientFolderSpec spec;
    spec.client = PlainClient(c.date);
    WriteClientFolder(work / "client", spec);
    WriteRatesFile(work / "client", {"6.2", "6.2", "87900", "1.45", "1.45", "0"});
    Outcome o = RunQreport(work, "run client " + std::string(c.args));
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, c.device_line);
    ASSERT_TRUE(std::filesystem::exists(work / "client" / "report.txt"));
    EXPECT_EQ(std::filesystem::file_size(work / "client" / "report.txt") > 0, c.worksheet_written);
  }
}

TEST(Cli, ShortRouteWritesTheWholeWorksheetOfAHundredEmployees) {
  TempDir work;
  ClientFolderSpec spec;
  spec.client = PlainClient("033104");
  for (int i = 1; i <= 100; ++i) spec.employees.push_back(testing::PlainEmployee("K" + std::to_string(i), 50000, 50000));
  WriteClientFolder(work / "client", spec);
  WriteRatesFile(work.path(), {"6.2", "6.2", "87900", "1.45", "1.45", "0"});
  Outcome o = RunQreport(work, "run client");
  ASSERT_EQ(o.status, 0) << o.err;
  std::string report = ReadFile(work / "client" / "report.txt");
  EXPECT_EQ(std::count(report.begin(), report.end(), '\f'), 2);  // headings after lines 45 and 90
  EXPECT_NE(report.find("K100   EMPLOYEE K100" + std::string(17, ' ') + "500.00"), std::string::npos);
  EXPECT_NE(report.find(" TOTALS -  100 EMPLOYEES" + std::string(10, ' ') + "50,000.00   50,000.00"), std::string::npos);
  EXPECT_NE(report.find(" FICA WAGES                             50,000.00   12.40     6,200.00\r\n"), std::string::npos);
}

TEST(Cli, AnsweredDialogChoosesTheForm) {
  struct Case {
    const char* answers;
    const char* form, *voucher, *absent;
  } cases[] = {
      {"401\n", " 941 for 2005: ", "Form 941 Payment Voucher", " 944 for "},
      {"243=1\n401\n", " 944 for 2005: ", "Form 944 Payment Voucher", " 941 for "},
      {"243\n242\n401\n", " 941 for 2005: ", "Form 941 Payment Voucher", " 944 for "},  // clicked back
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    TempDir work;
    ClientFolderSpec spec;
    spec.client = PlainClient("063005");
    spec.employees.push_back(testing::PlainEmployee("A1", 300000, 600000));
    WriteClientFolder(work / "client", spec);
    WriteRatesFile(work / "client", {"6.2", "6.2", "87900", "1.45", "1.45", "0"});
    WriteBytes(work / "answers", c.answers);
    Outcome o = RunQreport(work, "run client --answers answers");
    ASSERT_EQ(o.status, 0) << o.err;
    std::string report = ReadFile(work / "client" / "report.txt");
    EXPECT_NE(report.find("QUARTERLY REPORT WORKSHEET"), std::string::npos);
    EXPECT_NE(report.find(c.form), std::string::npos);
    EXPECT_NE(report.find(c.voucher), std::string::npos);
    EXPECT_EQ(report.find(c.absent), std::string::npos);
  }
}

TEST(Cli, UsageErrorsAreOneLineAndPointAtTheCommandsHelp) {
  TempDir work;
  struct Case {
    const char* args;
    int status;
    const char* err;  // the whole of standard error
  } cases[] = {
      {"", 2, "qreport: no command given\nTry 'qreport --help'.\n"},
      {"frobnicate", 2, "qreport: unknown command 'frobnicate'\nTry 'qreport --help'.\n"},
      {"--colour", 2, "qreport: unknown option --colour\nTry 'qreport --help'.\n"},
      {"run", 2, "qreport: DATADIR is missing\nTry 'qreport run --help'.\n"},
      {"run a b", 2, "qreport: unexpected argument 'b'\nTry 'qreport run --help'.\n"},
      {"run . --kind", 2, "qreport: --kind needs a value\nTry 'qreport run --help'.\n"},
      {"run . --colour", 2, "qreport: unknown option --colour\nTry 'qreport run --help'.\n"},
      {"demo a b", 2, "qreport: unexpected argument 'b'\nTry 'qreport demo --help'.\n"},
      {"help frobnicate", 2, "qreport: no command named 'frobnicate'\nTry 'qreport help --help'.\n"},
      // Number options are plain base-ten text: no hexadecimal, no comma for the point.
      {"batch . -j 0x2", 2, "qreport: --jobs takes a whole number from 1 to 256\nTry 'qreport batch --help'.\n"},
      {"serve --root . --port 8e3", 2, "qreport: --port takes a whole number from 0 to 65535\nTry 'qreport serve --help'.\n"},
      {"render a.txt --dpi 0x40", 2, "qreport: --dpi takes a number from 10 to 1200\nTry 'qreport render --help'.\n"},
      {"render a.txt --dpi 72,5", 2, "qreport: --dpi takes a number from 10 to 1200\nTry 'qreport render --help'.\n"},
      {"run no-such-folder", 1, "qreport: no such client folder: no-such-folder\n"},
      {"run . --answers no-such-file", 1, "qreport: cannot read the answers file no-such-file\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome o = RunQreport(work, c.args);
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.err, c.err);
    EXPECT_EQ(o.out, "");
  }
}

TEST(Cli, HelpOfOneCommandAndTheVersion) {
  TempDir work;
  struct Case {
    const char* args;
    const char* first_line;  // "" for the whole command's help
  } cases[] = {
      {"--help", "usage: qreport CMD [ARGS]\n"},
      {"-h", "usage: qreport CMD [ARGS]\n"},
      {"help", "usage: qreport CMD [ARGS]\n"},
      {"help run", "usage: qreport run DATADIR ["},
      {"run --help", "usage: qreport run DATADIR ["},
      {"run -h", "usage: qreport run DATADIR ["},
      {"run . --kind 941 --help", "usage: qreport run DATADIR ["},
      {"demo --help", "usage: qreport demo [DIR]"},
      {"help render", "usage: qreport render REPORT.txt ["},
      {"showfree -h", "usage: qreport showfree DRIVE\n"},
      {"-V", "qreport "},
      {"--version", "qreport "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome o = RunQreport(work, c.args);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out.substr(0, std::string(c.first_line).size()), c.first_line) << o.out;
    EXPECT_EQ(o.err, "");
  }
  EXPECT_FALSE(std::filesystem::exists(work / "--help")) << "demo --help is help, not a folder name";
  EXPECT_FALSE(std::filesystem::exists(work / "demo-client"));
}

TEST(Cli, DoubleDashEndsTheOptions) {
  TempDir work;
  ClientFolderSpec spec;
  spec.client = PlainClient("063004");
  WriteClientFolder(work / "-client", spec);
  Outcome o = RunQreport(work, "run -- -client");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(std::filesystem::exists(work / "-client" / "report.txt"));
}

// --schedule-b adds scheduleb.txt for a semiweekly depositor's Form 941 and says why not
// otherwise; the report, the saved entries, the print command and the printed PDF are the same
// bytes as without it.
TEST(Cli, ScheduleBIsWrittenAfterTheReportOrSaysWhyNot) {
  struct Case {
    const char* date;
    const char* answers;
    const char* said;  // on standard output when written, else on standard error
  } cases[] = {
      {"063026", "221=1\n401\n", "schedule b: client/scheduleb.txt\n"},
      {"063026", "401\n", "qreport: no Schedule B: the semiweekly depositor box was not checked\n"},
      {"063026", "221=1\n243=1\n401\n", "qreport: no Schedule B: Form 944 was chosen; Schedule B goes with Form 941\n"},
      {"063026", "221=1\n402\n", "qreport: no Schedule B: the options dialog was cancelled\n"},
      {"063004", "", "qreport: no Schedule B: the payroll year takes the short path, which prints no forms\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.date) + " " + c.answers);
    TempDir work;
    ClientFolderSpec spec;
    spec.client = PlainClient(c.date);
    spec.employees.push_back(testing::PlainEmployee("A1", 300000, 600000));
    spec.liability = std::vector<std::string>{"", "", "1200.00", "", "", "-3.10"};
    WriteClientFolder(work / "client", spec);
    WriteRatesFile(work / "client", {"6.2", "6.2", "87900", "1.45", "1.45", "0"});
    WriteBytes(work / "answers", c.answers);
    const std::string run = "run client --answers answers --printer-reply 'ME*PDF*FILE*N'";
    const char* files[] = {"report.txt", "save941.info", "report.pdf"};

    Outcome without = RunQreport(work, run);
    std::string before[3];
    for (int i = 0; i < 3; ++i) before[i] = ReadFile(work / "client" / files[i]);
    Outcome with = RunQreport(work, run + " --schedule-b");

    bool written = std::string(c.said).starts_with("schedule b:");
    EXPECT_EQ(std::filesystem::exists(work / "client" / "scheduleb.txt"), written);
    EXPECT_NE((written ? with.out : with.err).find(c.said), std::string::npos) << with.out << with.err;
    EXPECT_EQ(with.status, without.status);
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(files[i]);
      EXPECT_TRUE(ReadFile(work / "client" / files[i]) == before[i]);
    }
    std::string printed = without.out.substr(0, without.out.find("device code:"));
    EXPECT_TRUE(with.out.starts_with(printed)) << "the print command: " << printed;
    EXPECT_EQ(without.err.find("Schedule B"), std::string::npos);
  }
}

TEST(Cli, DemoWritesTheClientAndItsReport) {
  TempDir work;
  Outcome o = RunQreport(work, "demo here");
  ASSERT_EQ(o.status, 0) << o.err;
  for (const char* name : {"CLIENT", "EMPLOYEE.idx", "EMPLOYEE.fil", "EMPLOYEE.PLANS", "PRLIAB", "FICA.RAT", "prep"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(std::filesystem::exists(work / "here" / name));
  }
  EXPECT_NE(o.out.find("report:"), std::string::npos);
  // The demo prints to a PDF file: the print utility's stand-in draws the report beside it.
  EXPECT_EQ(ReadFile(work / "here" / "report.pdf").substr(0, 5), "%PDF-");
  EXPECT_NE(o.out.find("device code: P"), std::string::npos);
  // The renderer's tests draw this golden as the demo's report: it must be what the demo writes
  // (a change to the demo client or to any printed row shows here; UPDATE_GOLDEN=1 rewrites it).
  EXPECT_EQ(CompareGolden("escp/demo_report.txt", ReadFile(work / "here" / "report.txt")), "");
}

// inspect shows the folder's own files: a file that is a link out of the folder is not read.
TEST(Cli, InspectReadsNoFileLinkedOutOfTheFolder) {
  namespace fs = std::filesystem;
  TempDir work;
  ASSERT_EQ(RunQreport(work, "demo pristine").status, 0);
  std::ofstream(work / "secret") << "SECRET OUTSIDE THE FOLDER";
  struct Case {
    const char* what;
    const char* file;
    fs::path target;  // relative to the client folder
    int status;
  } cases[] = {
      {"the client file, outside", "CLIENT", "../secret", 1},
      {"the index, outside by its full path", "EMPLOYEE.idx", (work / "secret"), 1},
      {"the client file, inside", "CLIENT", "CLIENT.real", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(work / "client");
    fs::copy(work / "pristine", work / "client", fs::copy_options::recursive);
    fs::rename(work / "client" / c.file, work / "client" / "CLIENT.real");
    fs::create_symlink(c.target, work / "client" / c.file);
    Outcome o = RunQreport(work, "inspect client --rates-dir pristine");
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_EQ(o.out.find("SECRET"), std::string::npos);
    if (c.status != 0) {
      EXPECT_NE(o.err.find(std::string(c.file) + " in client is a link"), std::string::npos) << o.err;
    }
  }
}

TEST(Cli, DemoWritesOnlyIntoANewOrEmptyFolderUnlessForced) {
  TempDir work;
  std::filesystem::create_directories(work / "empty");
  std::filesystem::create_directories(work / "full");
  WriteBytes(work / "full" / "CLIENT", "the user's own client");
  WriteBytes(work / "afile", "text");
  struct Case {
    const char* args;
    int status;
    const char* err;       // how standard error starts
    const char* client;    // what full/CLIENT holds afterwards ("" when it does not matter)
  } cases[] = {
      {"demo full", 1, "qreport: full is not empty; give --force to write the demo client into it\n",
       "the user's own client"},
      {"demo afile", 1, "qreport: afile is a file, not a folder\n", ""},
      {"demo empty", 0, "", ""},
      {"demo full --force", 0, "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome o = RunQreport(work, c.args);
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.err.substr(0, std::string(c.err).size()), c.err);
    if (c.status != 0) {
      EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << "one line: " << o.err;
    }
    if (c.client == nullptr) {
      EXPECT_NE(ReadFile(work / "full" / "CLIENT"), "the user's own client");
    } else if (*c.client != '\0') {
      EXPECT_EQ(ReadFile(work / "full" / "CLIENT"), c.client);
    }
  }
  EXPECT_EQ(ReadFile(work / "afile"), "text");
  EXPECT_TRUE(std::filesystem::exists(work / "empty" / "report.txt"));
}

}  // namespace
}  // namespace qreport
