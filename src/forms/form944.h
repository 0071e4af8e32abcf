// Form 944, the annual return: the year's employee pass, which works from each employee's
// year-to-date amounts where Form 941 takes the quarter's, and the form's numbering of the
// return's figures (return_lines.h), with twelve monthly liabilities where Form 941 has three.
#pragma once

#include <string_view>

#include "data/employee_files.h"
#include "forms/form_money.h"
#include "forms/return_lines.h"
#include "state/run_state.h"

namespace qreport {

// An employee's social security wage for the year: the year's wages when `fica_flag` is 'Y'
// (else 0); when the year's wages and tips pass the base, the base itself (0 when negative), at
// most the year's wages.
Cents YearSsWage(const Employee& employee, Cents ss_base);

// Adds one employee of the index to the year totals (which count no employees). The advance EIC
// counts for every employee; one without year wages adds nothing else.
void AddEmployeeToYear(const Employee& employee, Cents ss_base, PayTotals& totals);

// Form 944's numbering: which line shows which figure of the return. Line 6a shows the run's 7a;
// 7b prints in the unlabelled box below it and 7c in no box, both counted in 6f; 6b to 6e show
// 7d to 7g.
inline constexpr NumberedLine kForm944Numbering[] = {
    {"1", 0, ReturnLine::kWages},
    {"2", 0, ReturnLine::kIncomeTaxWithheld},
    {"4a", 1, ReturnLine::kSsWages},
    {"4a", 2, ReturnLine::kSsWagesTax},
    {"4b", 1, ReturnLine::kSsTips},
    {"4b", 2, ReturnLine::kSsTipsTax},
    {"4c", 1, ReturnLine::kMedicareWagesAndTips},
    {"4c", 2, ReturnLine::kMedicareTax},
    {"4d", 0, ReturnLine::kPayrollTaxes},
    {"5", 0, ReturnLine::kTaxesBeforeAdjustments},
    {"6a", 0, ReturnLine::kAdjustment7a},
    {"6b", 0, ReturnLine::kAdjustment7d},
    {"6c", 0, ReturnLine::kAdjustment7e},
    {"6d", 0, ReturnLine::kAdjustment7f},
    {"6e", 0, ReturnLine::kAdjustment7g},
    {"6f", 0, ReturnLine::kAdjustmentsTotal},
    {"7", 0, ReturnLine::kTaxesAfterAdjustments},
    {"8", 0, ReturnLine::kAdvanceEic},
    {"9", 0, ReturnLine::kTotalTaxes},
    {"10", 0, ReturnLine::kDeposits},
    {"11", 0, ReturnLine::kBalanceDue},
    {"12", 0, ReturnLine::kOverpayment},
};

// The figure Form 944's line `number` shows (`column` 1 or 2 on lines 4a to 4c), found when compiled.
consteval ReturnLine Form944Line(std::string_view number, int column = 0) {
  return LineOf(kForm944Numbering, number, column);
}

// Form 944 adds the twelve months from 0 and line 7 as the payroll taxes, the adjustments, then
// the withholding; its months print for any return of $2,500 or more.
inline constexpr ReturnRules kForm944Rules{.months = 12,
                                           .after_adjustments_from_taxes_before = false,
                                           .liabilities_from_zero = true,
                                           .months_for_monthly_depositor = false};

// The return from the year's totals, the rates, the run's entries and the plan totals.
ReturnLines ComputeForm944Lines(const PayTotals& year, const FormRates& rates, const ReturnEntries& entries,
                                const PlanTotals& plans);

}  // namespace qreport
