// Form 944's line values from the year's amounts and the twelve monthly liabilities.
#include <gtest/gtest.h>

#include "forms/form944.h"
#include "support/fixture.h"

namespace qreport {
namespace {

// An employee of the year only: Form 944 reads no quarter amounts.
Employee YearEmployee(double wages, double tips, char fica = 'Y') {
  return testing::DecodedEmployee(0, 0, wages, tips, fica);
}

TEST(Form944Employee, SocialSecurityWageAfterTheWageBase) {
  struct Case {
    const char* what;
    Employee e;
    Cents base, wage;
  } cases[] = {
      {"below the base", YearEmployee(8500, 0), 900000, 850000},
      {"wages and tips past the base: never more than the wages", YearEmployee(8500, 1000), 900000, 850000},
      {"wages past the base: the base itself", YearEmployee(9500, 0), 900000, 900000},
      {"at the base is not past it", YearEmployee(9000, 0), 900000, 900000},
      {"one cent of tips past the base", YearEmployee(9000, 0.01), 900000, 900000},
      {"a negative base counts as 0", YearEmployee(100, 0), -10000, 0},
      {"fica flag N", YearEmployee(8500, 0, 'N'), 900000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(YearSsWage(c.e, c.base), c.wage);
  }
}

TEST(Form944Employee, PassSumsTheYearAndAdvanceEic) {
  Employee wages = YearEmployee(8500, 1000);
  wages.amounts_ytd[kFederalWithheld] = 2300.51;
  wages.amounts_qtd[kWages] = 99999;  // quarter amounts play no part
  wages.amounts_qtd[kTips] = 99999;
  Employee tips_only = YearEmployee(0, 200);  // skipped: only its advance EIC counts
  tips_only.misc_amount_1 = 1257.00;
  Employee no_fica = YearEmployee(1000, 50, 'N');
  no_fica.misc_amount_1 = 1257.01;  // dropped
  PayTotals totals;
  for (const Employee& e : {wages, tips_only, no_fica}) AddEmployeeToYear(e, 900000, totals);
  EXPECT_EQ(totals.ss_wages, 850000);
  EXPECT_EQ(totals.medicare_wages, 850000);
  EXPECT_EQ(totals.tips, 105000);
  EXPECT_EQ(totals.wage_sum, 1055000);
  EXPECT_EQ(totals.income_tax_withheld, 230051);
  EXPECT_EQ(totals.advance_eic, 125700);
}

PayTotals SampleYear() {
  PayTotals year;
  year.ss_wages = 850000;
  year.tips = 100000;
  year.medicare_wages = 850000;
  year.wage_sum = 950000;
  year.income_tax_withheld = 230051;
  year.advance_eic = 125700;
  return year;
}

const FormRates kRates{620, 620, 900000, 145, 145};

RunState TwelveMonths(Cents each, Cents december) {
  RunState state;
  for (int m = 1; m <= 11; ++m) state.month_liability[m] = each;
  state.month_liability[12] = december;
  return state;
}

TEST(Form944Lines, WorkedYearWithFractionOfCents) {
  RunState state = TwelveMonths(20000, 30000);
  state.adjustment_7c = 100;  // no box of its own, but part of line 6f
  state.deposits = 260000;
  ReturnLines lines = ComputeForm944Lines(SampleYear(), kRates, ReturnEntriesOf(state), {0, 5000, 0, 0});

  EXPECT_EQ(lines[ReturnLine::kLiabilityTotal], 250000);
  EXPECT_EQ(lines[Form944Line("1")], 945000);  // wages and tips less the plans: tips once
  EXPECT_EQ(lines[Form944Line("2")], 230051);
  EXPECT_EQ(lines[Form944Line("4a", 2)], 105400);
  EXPECT_EQ(lines[Form944Line("4b", 2)], 12400);
  EXPECT_EQ(lines[Form944Line("4c", 1)], 950000);
  EXPECT_EQ(lines[Form944Line("4c", 2)], 27550);
  EXPECT_EQ(lines[Form944Line("4d")], 145350);
  EXPECT_EQ(lines[Form944Line("5")], 375401);
  EXPECT_EQ(lines[Form944Line("6a")], 199);  // 2500.00 - (2497.01 + 1.00)
  EXPECT_EQ(lines[Form944Line("6f")], 299);
  EXPECT_EQ(lines[Form944Line("7")], 375700);
  EXPECT_EQ(lines[Form944Line("8")], 125700);
  EXPECT_EQ(lines[Form944Line("9")], 250000);  // the year's liability
  EXPECT_EQ(lines[Form944Line("10")], 260000);
  EXPECT_TRUE(lines.overpaid);
  EXPECT_EQ(lines[Form944Line("11")], 0);
  EXPECT_EQ(lines[Form944Line("12")], -10000);
  EXPECT_FALSE(lines.under_2500);
  EXPECT_EQ(lines.liabilities[12], 30000);
}

TEST(Form944Lines, BalanceAndTheTwentyFiveHundredTest) {
  struct Case {
    const char* what;
    Cents advance_eic, deposits, adjust7a, line9;
    bool overpaid, under_2500;
  } cases[] = {
      {"line 9 exactly 2500.00", 125401, 0, 0, 250000, false, false},
      {"line 9 at 2499.99", 125402, 0, 0, 249999, false, true},
      {"deposits equal line 9: a balance of 0", 125401, 250000, 0, 250000, false, false},
      {"an entered 7a stays and counts", 125401, 250000, 1000, 251000, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PayTotals year = SampleYear();
    year.advance_eic = c.advance_eic;
    RunState state;  // no liabilities: a gap far beyond fractions of cents
    state.adjustment_7a = c.adjust7a;
    state.deposits = c.deposits;
    ReturnLines lines = ComputeForm944Lines(year, kRates, ReturnEntriesOf(state), {});
    EXPECT_EQ(lines[Form944Line("6a")], c.adjust7a);
    EXPECT_EQ(lines[Form944Line("9")], c.line9);
    EXPECT_EQ(lines.overpaid, c.overpaid);
    EXPECT_EQ(lines[Form944Line("11")], c.line9 - c.deposits);
    EXPECT_EQ(lines.under_2500, c.under_2500);
  }
}

}  // namespace
}  // namespace qreport
