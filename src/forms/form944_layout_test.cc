// Form 944 on paper: whole form-path reports (worksheet, Form 944, the 944-V voucher) for
// fixtures that each show something, and the layout's structure apart from any golden file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "forms/form944_layout.h"
#include "support/form_run_fixture.h"
#include "forms/printer_codes.h"

namespace qreport {
namespace {

using testing::Advance;
using testing::CompareGolden;
using testing::FormRouteRun;
using testing::Pages;
using testing::PlainClient;
using testing::Worker;

// Line 9 of 2,499.99: the first box of line 13 and no monthly amounts; the liabilities equal
// line 9 and the deposits leave a balance of 0. The city line splits into Springfield, IL and
// 62704; lower-case preparer codes in swapped order; payroll month 00.
TEST(Form944Golden, BelowTwentyFiveHundred) {
  FormRouteRun run(testing::Form944BelowTwentyFiveHundredClient());
  RunState& state = run.ctx.state;
  state.print_941 = false;
  state.print_944 = true;
  run.SetMonths({20833, 20833, 20833, 20833, 20833, 20833, 20833, 20833, 20833, 20833, 20833, 20836});
  state.deposits = 249999;
  state.state_code = "OH";
  state.preparer_codes = "&lh2% &LH1%";
  run.Run();

  EXPECT_EQ(CompareGolden("forms/944_below_2500.txt", run.report), "");
  EXPECT_TRUE(run.platform.messages.empty());
  EXPECT_EQ(state.adjustment_7a, 0);
  EXPECT_EQ(state.device_code, "P");
}

// Line 9 of 2,500.00 once a gap of 1.99 has gone into 7a (7c, which has no box, counts in 6f):
// the second box and all thirteen monthly boxes; deposits above line 9 give an overpayment. A
// tipped employee past the wage base shows his wages, not the base; an employee without wages
// still brings his advance EIC. Payroll month 13; preparer codes with a word that is no code.
TEST(Form944Golden, MonthlyAmountsWithFractionOfCentsAndOverpayment) {
  FormRouteRun run(testing::Form944MonthlyAmountsClient(), {"6.2", "6.2", "9000", "1.45", "1.45", "0"});
  RunState& state = run.ctx.state;
  state.print_941 = false;
  state.print_944 = true;
  run.SetMonths({20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 30000});
  state.adjustment_7c = 100;
  state.deposits = 260000;
  state.designee_name = "JANE DOE";
  state.designee_phone = "555-0100";
  state.preparer_codes = "&LH3% XYZ &LH1%";
  run.Run();

  EXPECT_EQ(CompareGolden("forms/944_monthly_amounts.txt", run.report), "");
  EXPECT_EQ(state.adjustment_7a, 199);
}

// Every row that a condition leaves out moves the paper by nothing; the pages hold rows 1 to 174
// and 175 to 325 with every such row written.
TEST(Form944Layout, ConditionalRowsLeaveTheLayoutInPlace) {
  Form944Page none;
  none.lines.under_2500 = true;
  Form944Page all;
  all.month = 5;
  all.lines.overpaid = true;
  all.lines.months_shown = true;
  all.designee_name = "A";
  all.designee_phone = "1";

  auto without = Pages(Form944Pages(none));
  auto with = Pages(Form944Pages(all));
  ASSERT_EQ(without.size(), 2u);
  ASSERT_EQ(with.size(), 2u);
  EXPECT_EQ(without[0].size(), 174u - 4 - 1);  // one of rows 19, 24, 30, 36; one of lines 11, 12
  EXPECT_EQ(with[0].size(), 174u - 3 - 1);
  EXPECT_EQ(without[1].size(), 151u - 14 - 3);  // line 9 below $2,500: no months, no designee
  EXPECT_EQ(with[1].size(), 151u - 1);
  for (int page : {0, 1}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(Advance(without[page]), Advance(with[page]));
  }
  for (double month : {0.0, 1.0, 3.0, 4.0, 6.0, 7.0, 9.0, 10.0, 12.0, 13.0}) {
    SCOPED_TRACE(month);
    Form944Page p;
    p.month = month;
    bool in_year = month >= 1 && month <= 12;
    EXPECT_EQ(Pages(Form944Pages(p))[0].size(), 174u - 1 - (in_year ? 3 : 4));
  }
}

// The monthly boxes run down four columns: January to March in the first, October to December in
// the last.
TEST(Form944Layout, MonthlyAmountsFillTheColumns) {
  Form944Page p;
  p.lines.months_shown = true;
  for (int m = 1; m <= 12; ++m) p.lines.liabilities[m] = m * 100;
  std::vector<std::string> rows = Pages(Form944Pages(p))[1];
  auto row_of = [&](int month) {
    auto it = std::find_if(rows.begin(), rows.end(), [&](const std::string& r) {
      return r.find(Bracketed(month * 100) + std::string(kPitch10)) != std::string::npos;
    });
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
  };
  const int lead[] = {8, 23, 37, 52};  // blanks before each column's amount
  for (int m = 1; m <= 12; ++m) {
    SCOPED_TRACE(m);
    int column = (m - 1) / 3;
    int row = row_of(m);
    ASSERT_GE(row, 0);
    EXPECT_EQ(rows[static_cast<std::size_t>(row)].find(Bracketed(m * 100)), static_cast<std::size_t>(lead[column] + 3));
    if (m % 3 != 1) {
      EXPECT_GT(row, row_of(m - 1) + 4);  // the next box down
    }
    if (column > 0) {
      EXPECT_EQ(row, row_of(m - 3) + 1);  // beside the month three before
    }
  }
}

// The state boxes and the preparer's right-hand boxes close with the corners that close them.
TEST(Form944Layout, BoxCornersCloseTheirBoxes) {
  std::string text = Form944Pages(Form944Page{});
  EXPECT_NE(text.find("\r\n" + Template("      R,,TR,,T") + "\r\n"), std::string::npos);
  EXPECT_EQ(text.find(Template("R,,R")), std::string::npos);
  EXPECT_EQ(text.find(Template("     G,,")), std::string::npos);
}

}  // namespace
}  // namespace qreport
