// The return an employer files today, Form 941 (lines 1 to 16) or Form 944 (lines 1 to 13),
// computed from the lines the printed forms show (return_lines.h) and the run's entries: the
// printed forms stay the revisions the host's module printed, and this is what a preparer
// transcribes into the current form or e-file software.
//
// What each line takes: the count, wages, withholding and column 1 of the social security and
// Medicare lines are the printed forms' figures; the Additional Medicare Tax line's column 1 is
// the employees' wages above the threshold (payroll_law.h), none before 2013. Every column 2 is
// column 1 times the form's rate, rounded half away from zero to the cent; every other line adds
// or subtracts whole cents. The fraction-of-cents rule of the printed forms (FractionOfCents)
// fills the fractions-of-cents line when the dialog's 7a is empty, against this return's own
// taxes, so that months within $3.00 of the total taxes add up to them. The dialog's 7d to 7g
// and the advance EIC have no line: they are kept aside for the checks. Lines the dialog never
// asks for (5f, the research credit) are 0.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <span>
#include <string_view>

#include "forms/form_money.h"
#include "forms/return_lines.h"

namespace qreport {

enum class FiledForm { k941, k944 };

// The figures of the current return. kNoPayrollTaxWages is the box of line 4 (944: 3), 1 when
// checked; kEmployeeCount a count; the rest cents.
enum class CurrentFigure : std::size_t {
  kEmployeeCount,
  kWages,
  kIncomeTaxWithheld,
  kNoPayrollTaxWages,
  kSsWages,
  kSsWagesTax,
  kSsTips,
  kSsTipsTax,
  kMedicareWagesAndTips,
  kMedicareTax,
  kAdditionalMedicareWages,
  kAdditionalMedicareTax,
  kPayrollTaxes,        // 5e (944: 4e): the column 2 figures added
  kUnreportedTipsTax,   // 5f
  kTaxesBeforeAdjustments,
  kFractionsOfCents,    // the dialog's 7a, or the gap the fraction-of-cents rule fills in
  kSickPay,             // the dialog's 7b
  kTipsAndLifeInsurance,  // the dialog's 7c
  kAdjustments,         // the three added (Form 944's line 6)
  kTaxesAfterAdjustments,
  kResearchCredit,
  kTotalTaxes,          // 941 line 12, 944 line 9
  kDeposits,
  kBalanceDue,
  kOverpayment,         // positive when deposits exceed the total taxes
  kCount
};

// How a line's figure reads.
enum class LineKind { kMoney, kCount, kBox };

// One line of the current return: its number, its column (1 or 2 on the two-column lines, else
// 0), the figure, a short caption (a description, not the form's wording) and how it reads.
struct CurrentLine {
  std::string_view number;
  int column;
  CurrentFigure figure;
  std::string_view caption;
  LineKind kind = LineKind::kMoney;
};

inline constexpr CurrentLine kCurrent941Numbering[] = {
    {"1", 0, CurrentFigure::kEmployeeCount, "Employees paid in the pay period including the 12th", LineKind::kCount},
    {"2", 0, CurrentFigure::kWages, "Wages, tips and other compensation"},
    {"3", 0, CurrentFigure::kIncomeTaxWithheld, "Federal income tax withheld"},
    {"4", 0, CurrentFigure::kNoPayrollTaxWages, "No wages subject to social security or Medicare tax", LineKind::kBox},
    {"5a", 1, CurrentFigure::kSsWages, "Taxable social security wages"},
    {"5a", 2, CurrentFigure::kSsWagesTax, "Taxable social security wages"},
    {"5b", 1, CurrentFigure::kSsTips, "Taxable social security tips"},
    {"5b", 2, CurrentFigure::kSsTipsTax, "Taxable social security tips"},
    {"5c", 1, CurrentFigure::kMedicareWagesAndTips, "Taxable Medicare wages and tips"},
    {"5c", 2, CurrentFigure::kMedicareTax, "Taxable Medicare wages and tips"},
    {"5d", 1, CurrentFigure::kAdditionalMedicareWages, "Wages and tips subject to Additional Medicare Tax"},
    {"5d", 2, CurrentFigure::kAdditionalMedicareTax, "Wages and tips subject to Additional Medicare Tax"},
    {"5e", 0, CurrentFigure::kPayrollTaxes, "Total social security and Medicare taxes"},
    {"5f", 0, CurrentFigure::kUnreportedTipsTax, "Tax due on unreported tips (section 3121(q))"},
    {"6", 0, CurrentFigure::kTaxesBeforeAdjustments, "Total taxes before adjustments"},
    {"7", 0, CurrentFigure::kFractionsOfCents, "Adjustment for fractions of cents"},
    {"8", 0, CurrentFigure::kSickPay, "Adjustment for sick pay"},
    {"9", 0, CurrentFigure::kTipsAndLifeInsurance, "Adjustments for tips and group-term life insurance"},
    {"10", 0, CurrentFigure::kTaxesAfterAdjustments, "Total taxes after adjustments"},
    {"11", 0, CurrentFigure::kResearchCredit, "Small business payroll tax credit for research"},
    {"12", 0, CurrentFigure::kTotalTaxes, "Total taxes after adjustments and credits"},
    {"13", 0, CurrentFigure::kDeposits, "Total deposits for the quarter"},
    {"14", 0, CurrentFigure::kBalanceDue, "Balance due"},
    {"15", 0, CurrentFigure::kOverpayment, "Overpayment"},
};

inline constexpr CurrentLine kCurrent944Numbering[] = {
    {"1", 0, CurrentFigure::kWages, "Wages, tips and other compensation"},
    {"2", 0, CurrentFigure::kIncomeTaxWithheld, "Federal income tax withheld"},
    {"3", 0, CurrentFigure::kNoPayrollTaxWages, "No wages subject to social security or Medicare tax", LineKind::kBox},
    {"4a", 1, CurrentFigure::kSsWages, "Taxable social security wages"},
    {"4a", 2, CurrentFigure::kSsWagesTax, "Taxable social security wages"},
    {"4b", 1, CurrentFigure::kSsTips, "Taxable social security tips"},
    {"4b", 2, CurrentFigure::kSsTipsTax, "Taxable social security tips"},
    {"4c", 1, CurrentFigure::kMedicareWagesAndTips, "Taxable Medicare wages and tips"},
    {"4c", 2, CurrentFigure::kMedicareTax, "Taxable Medicare wages and tips"},
    {"4d", 1, CurrentFigure::kAdditionalMedicareWages, "Wages and tips subject to Additional Medicare Tax"},
    {"4d", 2, CurrentFigure::kAdditionalMedicareTax, "Wages and tips subject to Additional Medicare Tax"},
    {"4e", 0, CurrentFigure::kPayrollTaxes, "Total social security and Medicare taxes"},
    {"5", 0, CurrentFigure::kTaxesBeforeAdjustments, "Total taxes before adjustments"},
    {"6", 0, CurrentFigure::kAdjustments, "Adjustments (fractions of cents, sick pay, tips and life insurance)"},
    {"7", 0, CurrentFigure::kTaxesAfterAdjustments, "Total taxes after adjustments"},
    {"8", 0, CurrentFigure::kResearchCredit, "Small business payroll tax credit for research"},
    {"9", 0, CurrentFigure::kTotalTaxes, "Total taxes after adjustments and credits"},
    {"10", 0, CurrentFigure::kDeposits, "Total deposits for the year"},
    {"11", 0, CurrentFigure::kBalanceDue, "Balance due"},
    {"12", 0, CurrentFigure::kOverpayment, "Overpayment"},
};

// Line `number`'s figure on Form 941 or 944, found when compiled.
consteval CurrentFigure Current941Line(std::string_view number, int column = 0) {
  return LineOf(kCurrent941Numbering, number, column);
}
consteval CurrentFigure Current944Line(std::string_view number, int column = 0) {
  return LineOf(kCurrent944Numbering, number, column);
}

// The deposit schedule (941 line 16, 944 line 13): the depositor's choice.
enum class DepositSchedule {
  kNone,        // total taxes of $2,500 or more and no schedule chosen
  kUnder2500,   // total taxes below $2,500: no schedule
  kMonthly,     // the months and their total
  kSemiweekly,  // Schedule B (941) or Form 945-A (944) instead of the months
};

// The choices of the deposit schedule line as the form words them, in the form's order. Form
// 944 has no box for a semiweekly depositor, who files Form 945-A instead of the months.
struct ScheduleChoice {
  DepositSchedule schedule;
  std::string_view caption;
};

inline constexpr ScheduleChoice kCurrent941ScheduleChoices[] = {
    {DepositSchedule::kUnder2500, "line 12 on this return is less than $2,500: no deposit schedule"},
    {DepositSchedule::kMonthly, "monthly schedule depositor for the whole quarter"},
    {DepositSchedule::kSemiweekly,
     "semiweekly schedule depositor for any part of the quarter: Schedule B (Form 941) is attached"},
};

inline constexpr ScheduleChoice kCurrent944ScheduleChoices[] = {
    {DepositSchedule::kUnder2500, "line 9 is less than $2,500"},
    {DepositSchedule::kMonthly, "tax liability for each month, and the total liability for the year"},
};

// The overpayment's choice the return makes: the dialog asks for none, so it is always this one.
inline constexpr std::string_view kOverpaymentChoice = "apply to next return";

// What the return takes from the printed form's computation and the run.
struct CurrentReturnSource {
  FiledForm form = FiledForm::k941;
  int payroll_year = 0;       // the payroll date's year: the law's rates and thresholds
  ReturnLines printed;        // the printed form's lines
  ReturnEntries entered;      // the dialog's entries before the fraction-of-cents rule
  bool monthly_depositor = false;
  bool semiweekly_depositor = false;
};

// The header and the third-party designee.
struct CurrentReturnHeader {
  std::string ein, name, trade_name, address, city, state, zip;
  int quarter = 0;  // 1 to 4 from the report date (0 when it names none); Form 944 shows no quarter
  int year = 0;
  std::string designee_name, designee_phone;  // empty: no designee
};

class CurrentReturn {
 public:
  Cents operator[](CurrentFigure figure) const { return figures_[static_cast<std::size_t>(figure)]; }
  Cents& operator[](CurrentFigure figure) { return figures_[static_cast<std::size_t>(figure)]; }

  // The form's numbered lines, in the form's order.
  std::span<const CurrentLine> numbering() const;
  // "16" on Form 941, "13" on Form 944.
  std::string_view schedule_line() const { return form == FiledForm::k941 ? "16" : "13"; }
  // The line number of the total taxes ("12" or "9").
  std::string_view total_line() const { return form == FiledForm::k941 ? "12" : "9"; }
  // The deposit schedule line's choices, in the form's order.
  std::span<const ScheduleChoice> schedule_choices() const;
  // The month liabilities' captions ("month 1", "January") and their total's.
  std::string month_caption(int month) const;
  std::string months_total_caption() const;

  FiledForm form = FiledForm::k941;
  int payroll_year = 0;
  CurrentReturnHeader header;
  DepositSchedule schedule = DepositSchedule::kNone;
  int month_count = 3;                 // 3 (941) or 12 (944)
  std::array<Cents, 12> months{};      // the month liabilities, the first month_count of them
  Cents months_total = 0;
  bool overpaid = false;               // the overpayment goes to the next return (the only choice)
  // What the return has no line for: the dialog's 7d to 7g and the advance EIC.
  std::array<Cents, 4> left_out_adjustments{};
  Cents advance_eic = 0;

 private:
  std::array<Cents, static_cast<std::size_t>(CurrentFigure::kCount)> figures_{};
};

// The current return from `source`; the header is the caller's.
CurrentReturn ComputeCurrentReturn(const CurrentReturnSource& source);

}  // namespace qreport
