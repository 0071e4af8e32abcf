// The qreport command as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "data/client_writer.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using testing::PlainClient;
using testing::ReadFile;
using testing::TempDir;

using Outcome = testing::CommandOutcome;

Outcome Qreport(const TempDir& work, const std::string& args) { return testing::RunQreport(work, args); }

TEST(Cli, RunTakesThePathFromThePayrollDate) {
  struct Case {
    const char* date;
    const char* args;
    const char* device_line;
    bool worksheet_written;
  } cases[] = {
      {"063004", "", "device code: P\n", true},
      {"063004", "--device Z --kind 940", "device code: P\n", false},  // an empty report
      {"063005", "--device Z", "device code: Z\n", true},  // the form path leaves it as passed
      {"063005", "", "device code: P\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.date) + " " + c.args);
    TempDir work;
    ClientFolderSpec spec;
    spec.client = PlainClient(c.date);
    WriteClientFolder(work / "client", spec);
    Outcome o = Qreport(work, "run client " + std::string(c.args));
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, c.device_line);
    ASSERT_TRUE(std::filesystem::exists(work / "client" / "report.txt"));
    EXPECT_EQ(std::filesystem::file_size(work / "client" / "report.txt") > 0, c.worksheet_written);
  }
}

TEST(Cli, ShortPathWritesTheWholeWorksheetOfAHundredEmployees) {
  TempDir work;
  ClientFolderSpec spec;
  spec.client = PlainClient("033104");
  for (int i = 1; i <= 100; ++i) spec.employees.push_back(testing::PlainEmployee("K" + std::to_string(i), 50000, 50000));
  WriteClientFolder(work / "client", spec);
  WriteRatesFile(work.path(), {"6.2", "6.2", "87900", "1.45", "1.45", "0"});
  Outcome o = Qreport(work, "run client");
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
    WriteBytes(work / "answers", c.answers);
    Outcome o = Qreport(work, "run client --answers answers");
    ASSERT_EQ(o.status, 0) << o.err;
    std::string report = ReadFile(work / "client" / "report.txt");
    EXPECT_NE(report.find("QUARTERLY REPORT WORKSHEET"), std::string::npos);
    EXPECT_NE(report.find(c.form), std::string::npos);
    EXPECT_NE(report.find(c.voucher), std::string::npos);
    EXPECT_EQ(report.find(c.absent), std::string::npos);
  }
}

TEST(Cli, UsageErrorsAndAMissingFolder) {
  TempDir work;
  struct Case {
    const char* args;
    int status;
  } cases[] = {
      {"", 2},
      {"frobnicate", 2},
      {"run", 2},
      {"run a b", 2},
      {"run . --kind", 2},
      {"run . --colour", 2},
      {"run no-such-folder", 1},
      {"run . --answers no-such-file", 1},
      {"--help", 0},
      {"--version", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome o = Qreport(work, c.args);
    EXPECT_EQ(o.status, c.status) << o.err;
    if (c.status == 2) {
      EXPECT_NE(o.err.find("usage:"), std::string::npos);
    }
  }
}

TEST(Cli, DemoWritesTheClientAndItsReport) {
  TempDir work;
  Outcome o = Qreport(work, "demo here");
  ASSERT_EQ(o.status, 0) << o.err;
  for (const char* name : {"CLIENT", "EMPLOYEE.idx", "EMPLOYEE.fil", "EMPLOYEE.PLANS", "PRLIAB", "FICA.RAT", "prep"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(std::filesystem::exists(work / "here" / name));
  }
  EXPECT_NE(o.out.find("report:"), std::string::npos);
  // The demo prints to a PDF file: the print utility's stand-in draws the report beside it.
  EXPECT_EQ(ReadFile(work / "here" / "report.pdf").substr(0, 5), "%PDF-");
  EXPECT_NE(o.out.find("device code: P"), std::string::npos);
  // The report the renderer's golden pages are drawn from.
  EXPECT_EQ(testing::CompareGolden("escp/demo_report.txt", ReadFile(work / "here" / "report.txt")), "");
}

}  // namespace
}  // namespace qreport
