// Form 941's line values: the quarter's employee pass (count, wages, tips, withholding, advance
// EIC), the tax lines from the rates, the adjustments with the fraction-of-cents rule for 7a, the
// balance or overpayment and the monthly liabilities. Pure functions over decoded employees and
// run values; amounts in cents, rates in ten-thousandths (form_money.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/employee_files.h"
#include "forms/form_money.h"
#include "state/run_state.h"

namespace qreport {

// Advance EIC above this counts as nothing (dropped, not capped).
inline constexpr Cents kAdvanceEicLimit = 125700;
// Below this line 10 (Form 941) or line 9 (Form 944) marks "less than $2,500".
inline constexpr Cents kDepositThreshold = 250000;
// A gap below this between the liabilities and the taxes is fractions of cents.
inline constexpr Cents kFractionOfCentsLimit = 300;

// What the quarter's employee pass adds up.
struct QuarterTotals {
  std::int64_t employee_count = 0;  // employees with quarter wages
  Cents ss_wages = 0;               // social security wages (5a, column 1)
  Cents tips = 0;                   // 5b, column 1
  Cents medicare_wages = 0;         // without tips
  Cents wage_sum = 0;               // quarter wages and tips
  Cents income_tax_withheld = 0;
  Cents advance_eic = 0;
};

// The advance EIC an employee's misc amount adds: itself, or 0 above 1257.00.
Cents AdvanceEicOf(Cents misc_amount_1);

// An employee's social security wage for the quarter: the quarter wages when `fica_flag` is 'Y'
// (else 0); when the year's wages and tips pass the base, the room left after the earlier
// quarters' wages and tips (0 when negative), at most the quarter wages.
Cents QuarterSsWage(const Employee& e, Cents ss_base);

// Adds one employee of the index to the quarter totals. The advance EIC counts for every
// employee; one without quarter and year wages adds nothing else, and one without quarter wages
// is not counted.
void AddEmployeeToQuarter(const Employee& e, Cents ss_base, QuarterTotals& totals);

// Social security and Medicare taxes, lines 5a to 5d of Form 941 and 4a to 4d of Form 944.
struct PayrollTaxes {
  Cents on_ss_wages = 0;  // (SS rate 1 + SS rate 2) x social security wages, stored once
  Cents on_tips = 0;      // SS rate 1 x tips + SS rate 2 x tips, each stored
  Cents medicare = 0;     // Medicare rates x tips + Medicare rates x Medicare wages, each stored
  Cents total = 0;        // the five stored products added
};

PayrollTaxes ComputePayrollTaxes(Cents ss_wages, Cents tips, Cents medicare_wages, const FormRates& rates);

// The line values of the form.
struct Form941Lines {
  std::int64_t line1 = 0;
  Cents line2 = 0, line3 = 0;
  Cents ss_wages = 0, line5a = 0;
  Cents tips = 0, line5b = 0;
  Cents tips_and_medicare_wages = 0, line5c = 0;
  Cents line5d = 0, line6 = 0;
  Cents line7a = 0, line7b = 0, line7c = 0, line7d = 0, line7e = 0, line7f = 0, line7g = 0;
  Cents line7h = 0, line8 = 0, line9 = 0, line10 = 0, line11 = 0;
  bool overpaid = false;      // line 10 - line 11 is below 0
  Cents line12 = 0;           // line 10 - line 11 when not overpaid
  Cents line13 = 0;           // line 10 - line 11 (negative) when overpaid
  std::array<Cents, 4> month{};  // months 1 to 3; [0] unused
  Cents month_total = 0;
  bool under_2500 = false;    // line 10 is less than $2,500
  bool show_months = false;   // line 10 is $2,500 or more and a monthly depositor
};

// The fraction-of-cents rule: when 7a is not entered and the liabilities differ from the taxes
// (base = tax lines + withholding - advance EIC, plus the adjustments) by less than 3.00, the gap
// becomes 7a; otherwise 7a keeps its entry.
Cents FractionOfCents(Cents liability, Cents base, const RunState& s);

// The line values from the quarter totals, the rates, the run's entries and the plan totals.
// Line 2 is the wages and tips less the three plan totals.
Form941Lines ComputeForm941Lines(const QuarterTotals& q, const FormRates& rates, const RunState& s,
                                 const PlanTotals& plans);

// The quarter (1 to 4) whose box a month text marks: its first two characters read as a number
// m, quarter 1 for 0 < m < 4 up to 4 for 9 < m < 13; 0 (no box) otherwise.
int QuarterOfMonthText(std::string_view date);

// "20" followed by the last two characters of `date`.
std::string FormYear(std::string_view date);

}  // namespace qreport
