// Form 941 on paper: the whole form-path report (worksheet, form, voucher) for fixtures that each
// show something, and the layout's structure checked apart from any golden file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "data/client_writer.h"
#include "forms/form941_layout.h"
#include "forms/form_prints.h"
#include "support/form_run_fixture.h"
#include "forms/printer_codes.h"
#include "run/report_run.h"
#include "run/stages.h"
#include "support/fixture.h"
#include "support/recording_platform.h"

namespace qreport {
namespace {

using testing::Advance;
using testing::CompareGolden;
using testing::FormRouteRun;
using testing::Pages;
using testing::PlainClient;
using testing::PlainEmployee;
using testing::ReadFile;
using testing::RecordingPlatform;
using testing::TempDir;
using testing::Worker;
namespace fs = std::filesystem;

// Line 10 of 676.65, deposits that leave a balance of exactly 0, a monthly depositor below
// $2,500 (both boxes of line 15, no monthly amounts), the first quarter; an EIN with a dash, a
// city line without a comma, a designee of blanks only and lower-case preparer codes in swapped
// order.
TEST(Form941Golden, BelowTwentyFiveHundredWithNothingDue) {
  FormRouteRun run(testing::Form941BelowTwentyFiveHundredClient());
  RunState& state = run.ctx.state;
  run.SetMonths({22555, 22555, 22555});
  state.deposits = 67665;
  state.monthly_depositor = true;
  state.designee_name = "   ";
  state.state_code = "I";
  state.preparer_codes = "&lh2% &lh1%";
  run.Run();

  EXPECT_EQ(CompareGolden("forms/941_below_2500.txt", run.report), "");
  EXPECT_TRUE(run.platform.messages.empty());
  EXPECT_EQ(state.preparer_codes, "&LH2% &LH1%");
  EXPECT_EQ(state.adjustment_7a, 0);
}

// A monthly depositor above $2,500 in the second quarter: the monthly amounts print, a gap of 2.99
// goes into 7a (and back into the run), deposits above line 10 give an overpayment on line 13.
// A tipped employee past the wage base shows no more social security wages than wages.
TEST(Form941Golden, MonthlyDepositorWithFractionOfCentsAndOverpayment) {
  FormRouteRun run(testing::Form941MonthlyDepositorClient());
  RunState& state = run.ctx.state;
  run.SetMonths({160000, 160000, 163349});
  state.deposits = 500000;
  state.monthly_depositor = true;
  state.designee_name = "JANE DOE";
  state.designee_phone = "555-0100";
  state.state_code = "IL";
  state.preparer_codes = "&LH1% &LH2% &LH3%";
  run.Run();

  EXPECT_EQ(CompareGolden("forms/941_monthly_depositor.txt", run.report), "");
  EXPECT_EQ(state.adjustment_7a, 299);
}

// A gap of exactly 3.00 stays out of 7a; a negative adjustment in brackets; line 10 above $2,500
// without the monthly box prints no monthly amounts; a semiweekly depositor; month 13 marks no
// quarter on the form or the voucher; preparer codes with a word that is no code.
TEST(Form941Golden, GapOfThreeDollarsAndMonthThirteen) {
  FormRouteRun run(testing::Form941GapOfThreeClient());
  RunState& state = run.ctx.state;
  run.SetMonths({200000, 200000, 281566});
  state.adjustment_7b = -1234;
  state.deposits = 600000;
  state.semiweekly_depositor = true;
  state.designee_name = "JOHN ROE";
  state.preparer_codes = "&LH3% XYZ &LH1%";
  run.Run();

  EXPECT_EQ(CompareGolden("forms/941_gap_of_three_month_13.txt", run.report), "");
  EXPECT_EQ(state.adjustment_7a, 0);
}

// The pages read the run's entries and write none back: a gap absorbed into 7a is in the page's
// lines only, and Form 944 leaves the print device as it was. The form route takes the absorbed 7a
// as the run's, so that a Form 944 of the same run starts from Form 941's 7a (its own months would
// leave a gap far beyond fractions of cents).
TEST(FormPages, AbsorbedSevenAReachesTheRunOnlyThroughTheFormRoute) {
  FormRouteRun run(testing::Form941MonthlyDepositorClient());
  RunState& state = run.ctx.state;
  run.SetMonths({160000, 160000, 163349});
  state.device_code = "S";
  EXPECT_EQ(ComputeForm941Page(run.ctx).lines[Form941Line("7a")], 299);
  EXPECT_EQ(ComputeForm944Page(run.ctx).lines[Form944Line("6a")], 0);
  EXPECT_EQ(state.adjustment_7a, 0);
  EXPECT_EQ(state.device_code, "S");

  state.print_941 = state.print_944 = true;
  ReportFigures figures;
  ComputeFormRouteParts(run.ctx, figures, {});
  ASSERT_TRUE(figures.form941 && figures.form944);
  EXPECT_EQ(figures.form944->lines[Form944Line("6a")], 299);
  EXPECT_EQ(state.adjustment_7a, 299);
}

// Every row that a condition leaves out moves the paper by nothing, so the form below it stays in
// place; the pages hold 186 and 144 rows with every such row written.
TEST(Form941Layout, ConditionalRowsLeaveTheLayoutInPlace) {
  Form941Page none;
  Form941Page all;
  all.quarter = 2;
  all.lines.overpaid = true;
  all.lines.under_2500 = true;
  all.lines.months_shown = true;
  all.monthly_depositor = all.semiweekly_depositor = true;
  all.designee_name = "A";
  all.designee_phone = "1";

  auto without = Pages(Form941Pages(none));
  auto with = Pages(Form941Pages(all));
  ASSERT_EQ(without.size(), 2u);
  ASSERT_EQ(with.size(), 2u);
  // Page 1 writes one of the four quarter rows and one of lines 12 and 13.
  EXPECT_EQ(without[0].size(), 186u - 4 - 1);
  EXPECT_EQ(with[0].size(), 186u - 3 - 1);
  EXPECT_EQ(without[1].size(), 144u - 10);
  EXPECT_EQ(with[1].size(), 144u);
  for (int page : {0, 1}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(Advance(without[page]), Advance(with[page]));
  }
}

TEST(Form941Layout, QuarterBoxMarksTheRowAfterItsLabel) {
  const char* labels[] = {"1. Jan., Feb., March", "2. Apr., May, June", "3. July, Aug., Sept.", "4. Oct., Nov., Dec."};
  const std::string mark = Up(14) + Sp(58) + "X" + Up(13);
  for (int quarter = 0; quarter <= 4; ++quarter) {
    SCOPED_TRACE(quarter);
    Form941Page p;
    p.quarter = quarter;
    std::vector<std::string> rows = Pages(Form941Pages(p))[0];
    auto marked = std::find(rows.begin(), rows.end(), mark);
    if (quarter == 0) {
      EXPECT_EQ(marked, rows.end());
      continue;
    }
    ASSERT_NE(marked, rows.end());
    EXPECT_EQ(std::count(rows.begin(), rows.end(), mark), 1);
    // The label's row comes first; quarter 2's has the trade name's label between.
    auto label = std::find_if(rows.begin(), rows.end(),
                              [&](const std::string& r) { return r.find(labels[quarter - 1]) != std::string::npos; });
    EXPECT_LT(marked - label, 3);
    EXPECT_GT(marked - label, 0);
  }
}

TEST(Form941Layout, EmployeeCountBox) {
  EXPECT_EQ(CountBox(0), "    0");
  EXPECT_EQ(CountBox(42), "   42");
  EXPECT_EQ(CountBox(123456), "23456");  // the last five characters
}

TEST(Form941Run, FormAndVoucherFollowTheWorksheetWithMissingInputs) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = PlainClient("093005");
  WriteClientFolder(dir / "client", spec);
  fs::remove(dir / "client" / "EMPLOYEE.idx");
  RecordingPlatform platform;
  RunContext ctx(platform);
  ctx.rates_dir = (dir / "work").string();
  fs::create_directory(dir / "work");
  ctx.state.data_dir = (dir / "client").string();
  ReadClientIntoState(ctx);
  ctx.state.report_date = ctx.state.payroll_date;
  RunWorksheet(ctx);
  PrintForm941(ctx);
  PrintVoucher(ctx);

  std::string report = ReadFile(dir / "client" / "report.txt");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(fs::exists(dir / "work" / "prep"));      // created empty
  EXPECT_TRUE(fs::exists(dir / "work" / "FICA.RAT"));  // likewise
  auto pages = Pages(report);
  ASSERT_EQ(pages.size(), 4u);  // worksheet, the form's two pages, the voucher
  EXPECT_LT(report.find("RECAP OF TAXES"), report.find('\f'));
  EXPECT_NE(pages[1][3].find(" 941 for 2005: "), std::string::npos);
  EXPECT_NE(report.find(Up(27) + Sp(69) + "        0.00\r\n"), std::string::npos);
  EXPECT_NE(report.find("941-V"), std::string::npos);
  EXPECT_NE(report.substr(report.size() - 2), "\r\n");
}

TEST(Form941Run, QreportRunWritesWorksheetFormAndVoucherIntoOneReport) {
  TempDir work;
  ClientFolderSpec spec;
  spec.client = PlainClient("063005");
  spec.employees = {Worker("E1", 400000, 800000, 50000)};
  WriteClientFolder(work / "client", spec);
  WriteRatesFile(work.path(), {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
  WriteBytes(work / "answers", "");  // the dialog closes at once: its first values stand
  int status = testing::RunCommand("cd '" + work.str() + "' && '" + std::string(QREPORT_CLI) +
                                       "' run client --answers answers --printer-reply ''",
                                   work / "out", work / "err");
  ASSERT_EQ(status, 0) << ReadFile(work / "err");

  std::string report = ReadFile(work / "client" / "report.txt");
  auto pages = Pages(report);
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_NE(report.find("QUARTERLY REPORT WORKSHEET"), std::string::npos);
  EXPECT_LT(report.find("QUARTERLY REPORT WORKSHEET"), report.find('\f'));
  EXPECT_NE(pages[1][3].find(" 941 for 2005: "), std::string::npos);
  EXPECT_NE(report.find(Up(27) + Sp(69) + "      612.00\r\n"), std::string::npos);  // line 5d
  EXPECT_NE(report.find("Form 941 Payment Voucher"), std::string::npos);
  EXPECT_TRUE(fs::exists(work / "prep"));
}

TEST(Form941Run, ReportFileThatCannotBeWrittenShowsTheError) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = PlainClient("063005");
  WriteClientFolder(dir.path(), spec);
  fs::create_directory(dir / "report.txt");
  RecordingPlatform platform;
  RunContext ctx(platform);
  ctx.rates_dir = dir.str();
  ctx.state.data_dir = dir.str();
  ctx.state.report_date = "063005";
  PrintForm941(ctx);
  PrintVoucher(ctx);
  // The form and the voucher fail on the same file: the user is told once.
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"at line  0: Error  75"}));
}

}  // namespace
}  // namespace qreport
