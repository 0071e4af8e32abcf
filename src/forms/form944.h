// Form 944's line values: the annual return works from each employee's year-to-date amounts
// where Form 941 takes the quarter's, and from twelve monthly liabilities where Form 941 has
// three. Shares the money rules, the tax products and the fraction-of-cents rule with Form 941.
#pragma once

#include <array>

#include "data/employee_files.h"
#include "forms/form941.h"
#include "forms/form_money.h"
#include "state/run_state.h"

namespace qreport {

// What the year's employee pass adds up.
struct YearTotals {
  Cents ss_wages = 0;        // 4a, column 1
  Cents tips = 0;            // 4b, column 1
  Cents medicare_wages = 0;  // without tips
  Cents wage_sum = 0;        // year wages and tips
  Cents income_tax_withheld = 0;
  Cents advance_eic = 0;
};

// An employee's social security wage for the year: the year's wages when `fica_flag` is 'Y'
// (else 0); when the year's wages and tips pass the base, the base itself (0 when negative), at
// most the year's wages.
Cents YearSsWage(const Employee& e, Cents ss_base);

// Adds one employee of the index to the year totals. The advance EIC counts for every employee;
// one without year wages adds nothing else.
void AddEmployeeToYear(const Employee& e, Cents ss_base, YearTotals& totals);

// MonthLiability 1 to 12 added.
Cents YearLiabilityOf(const RunState& s);

// The line values of the form.
struct Form944Lines {
  Cents line1 = 0, line2 = 0;
  Cents ss_wages = 0, line4a = 0;
  Cents tips = 0, line4b = 0;
  Cents tips_and_medicare_wages = 0, line4c = 0;
  Cents line4d = 0, line5 = 0;
  // The run's seven adjustments, 7a after the fraction-of-cents rule; line 6f adds them.
  Cents adjust7a = 0, adjust7b = 0, adjust7c = 0, adjust7d = 0, adjust7e = 0, adjust7f = 0, adjust7g = 0;
  Cents line6f = 0, line7 = 0, line8 = 0, line9 = 0, line10 = 0;
  bool overpaid = false;  // line 9 - line 10 is below 0
  Cents line11 = 0;       // line 9 - line 10 when not overpaid
  Cents line12 = 0;       // line 9 - line 10 (negative) when overpaid
  std::array<Cents, 13> month{};  // January to December at 1 to 12; [0] unused
  Cents year_liability = 0;
  bool under_2500 = false;  // line 9 is less than $2,500; otherwise the months print
};

// The line values from the year totals, the rates, the run's entries and the plan totals. Line 1
// is the wages and tips less the three plan totals.
Form944Lines ComputeForm944Lines(const YearTotals& y, const FormRates& rates, const RunState& s,
                                 const PlanTotals& plans);

}  // namespace qreport
