// Form 941, the quarterly return: the quarter's employee pass (count, wages, tips, withholding,
// advance EIC), the form's numbering of the return's figures (return_lines.h), and the heading's
// quarter box and year. Pure functions over decoded employees and run values; amounts in cents,
// rates in ten-thousandths (form_money.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/employee_files.h"
#include "forms/form_money.h"
#include "forms/return_lines.h"
#include "state/run_state.h"

namespace qreport {

// An employee's social security wage for the quarter: the quarter wages when `fica_flag` is 'Y'
// (else 0); when the year's wages and tips pass the base, the room left after the earlier
// quarters' wages and tips (0 when negative), at most the quarter wages.
Cents QuarterSsWage(const Employee& employee, Cents ss_base);

// Adds one employee of the index to the quarter totals. The advance EIC counts for every
// employee; one without quarter and year wages adds nothing else, and one without quarter wages
// is not counted.
void AddEmployeeToQuarter(const Employee& employee, Cents ss_base, PayTotals& totals);

// Form 941's numbering: which line shows which figure of the return.
inline constexpr NumberedLine kForm941Numbering[] = {
    {"1", 0, ReturnLine::kEmployeeCount},
    {"2", 0, ReturnLine::kWages},
    {"3", 0, ReturnLine::kIncomeTaxWithheld},
    {"5a", 1, ReturnLine::kSsWages},
    {"5a", 2, ReturnLine::kSsWagesTax},
    {"5b", 1, ReturnLine::kSsTips},
    {"5b", 2, ReturnLine::kSsTipsTax},
    {"5c", 1, ReturnLine::kMedicareWagesAndTips},
    {"5c", 2, ReturnLine::kMedicareTax},
    {"5d", 0, ReturnLine::kPayrollTaxes},
    {"6", 0, ReturnLine::kTaxesBeforeAdjustments},
    {"7a", 0, ReturnLine::kAdjustment7a},
    {"7b", 0, ReturnLine::kAdjustment7b},
    {"7c", 0, ReturnLine::kAdjustment7c},
    {"7d", 0, ReturnLine::kAdjustment7d},
    {"7e", 0, ReturnLine::kAdjustment7e},
    {"7f", 0, ReturnLine::kAdjustment7f},
    {"7g", 0, ReturnLine::kAdjustment7g},
    {"7h", 0, ReturnLine::kAdjustmentsTotal},
    {"8", 0, ReturnLine::kTaxesAfterAdjustments},
    {"9", 0, ReturnLine::kAdvanceEic},
    {"10", 0, ReturnLine::kTotalTaxes},
    {"11", 0, ReturnLine::kDeposits},
    {"12", 0, ReturnLine::kBalanceDue},
    {"13", 0, ReturnLine::kOverpayment},
};

// The figure Form 941's line `number` shows (`column` 1 or 2 on lines 5a to 5c), found when compiled.
consteval ReturnLine Form941Line(std::string_view number, int column = 0) {
  return LineOf(kForm941Numbering, number, column);
}

// Form 941 adds up as the return's defaults say: three months, the months printed for a monthly
// depositor only.
inline constexpr ReturnRules kForm941Rules{};

// The return from the quarter's totals, the rates, the run's entries and the plan totals.
ReturnLines ComputeForm941Lines(const PayTotals& quarter, const FormRates& rates, const ReturnEntries& entries,
                                const PlanTotals& plans);

// The quarter (1 to 4) whose box a month text marks: its first two characters read as a number
// m, quarter 1 for 0 < m < 4 up to 4 for 9 < m < 13; 0 (no box) otherwise.
int QuarterOfMonthText(std::string_view date);

// "20" followed by the last two characters of `date`.
std::string FormYear(std::string_view date);

}  // namespace qreport
