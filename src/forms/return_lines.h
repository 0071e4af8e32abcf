// The lines of an employer's return, computed once for every form that files them. The figures
// are named for what they are (the taxes on wages, the total taxes, the balance due), not for
// the line that shows them: each form says in a table which of its lines shows which figure
// (Form 941's line 10 and Form 944's line 9 are both kTotalTaxes), and a form's page reads its
// lines through that table. A new form is one more table and, where it adds up differently,
// one more set of rules; the arithmetic stays here. Pure functions over the employee totals and
// the run's entries, taken as values; amounts in cents (form_money.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>

#include "forms/form_money.h"
#include "state/run_state.h"

namespace qreport {

// Advance EIC above this counts as nothing (dropped, not capped).
inline constexpr Cents kAdvanceEicLimit = 125700;
// Below this the total taxes mark "less than $2,500" and the monthly liabilities do not print.
inline constexpr Cents kDepositThreshold = 250000;
// A gap below this between the liabilities and the taxes is fractions of cents.
inline constexpr Cents kFractionOfCentsLimit = 300;

// The advance EIC an employee's misc amount adds: itself, or 0 above 1257.00.
Cents AdvanceEicOf(Cents misc_amount_1);

// What an employee pass adds up: the quarter's for Form 941, the year's for Form 944.
struct PayTotals {
  std::int64_t employee_count = 0;  // employees with wages in the period (Form 941 only)
  Cents ss_wages = 0;               // social security wages
  Cents tips = 0;
  Cents medicare_wages = 0;         // without tips
  Cents wage_sum = 0;               // wages and tips
  Cents income_tax_withheld = 0;
  Cents advance_eic = 0;
  // Wages and tips above the Additional Medicare Tax threshold, employee by employee
  // (AdditionalMedicareWages); every payroll year, the current return leaves them out before 2013.
  Cents additional_medicare_wages = 0;
};

// Social security and Medicare taxes on the pay totals.
struct PayrollTaxes {
  Cents on_ss_wages = 0;  // (SS rate 1 + SS rate 2) x social security wages, stored once
  Cents on_tips = 0;      // SS rate 1 x tips + SS rate 2 x tips, each stored
  Cents medicare = 0;     // Medicare rates x tips + Medicare rates x Medicare wages, each stored
  Cents total = 0;        // the five stored products added
};

PayrollTaxes ComputePayrollTaxes(Cents ss_wages, Cents tips, Cents medicare_wages, const FormRates& rates);

// The run's seven adjustments as entered, 7a to 7g at 0 to 6.
using Adjustments = std::array<Cents, 7>;

// The fraction-of-cents rule: when 7a is not entered and the liabilities differ from the taxes
// (base = tax lines + withholding - advance EIC, plus the adjustments) by less than 3.00, the gap
// becomes 7a; otherwise 7a keeps its entry.
Cents FractionOfCents(Cents liability, Cents base, const Adjustments& entered);

// What a return takes from the run's entries.
struct ReturnEntries {
  Adjustments adjustments{};
  Cents deposits = 0;                  // deposits for the period, overpayments included
  std::array<Cents, 13> liabilities{};  // monthly liabilities at 1 to 12; [0] unused
  bool monthly_depositor = false;
};

// The entries as the run state holds them: Adjust7a to Adjust7g, Line11Deposits, MonthLiability
// and MonthlyDepositor "Y".
ReturnEntries ReturnEntriesOf(const RunState& state);

// The figures of a return. kEmployeeCount is a count, every other one cents.
enum class ReturnLine : std::size_t {
  kEmployeeCount,
  kWages,              // wages, tips and other compensation, less the plan totals
  kIncomeTaxWithheld,
  kSsWages,            // taxable social security wages, and the tax on them
  kSsWagesTax,
  kSsTips,             // taxable social security tips, and the tax on them
  kSsTipsTax,
  kMedicareWagesAndTips,  // taxable Medicare wages and tips, and the tax on them
  kMedicareTax,
  kPayrollTaxes,          // total social security and Medicare taxes
  kTaxesBeforeAdjustments,
  kAdjustment7a,  // the run's 7a after the fraction-of-cents rule
  kAdjustment7b,
  kAdjustment7c,
  kAdjustment7d,
  kAdjustment7e,
  kAdjustment7f,
  kAdjustment7g,
  kAdjustmentsTotal,
  kTaxesAfterAdjustments,
  kAdvanceEic,
  kTotalTaxes,  // taxes after adjustments less the advance EIC
  kDeposits,
  kBalanceDue,   // total taxes less deposits when not overpaid, else 0
  kOverpayment,  // total taxes less deposits (negative) when overpaid, else 0
  kLiabilityTotal,  // the form's monthly liabilities added
  // The period's wages and tips above the Additional Medicare Tax threshold (PayTotals). The
  // printed forms have no line for it; the current return's 5d (Form 944: 4d) shows it.
  kAdditionalMedicareWages,
  kCount
};

// The computed return.
class ReturnLines {
 public:
  Cents operator[](ReturnLine line) const { return amounts_[static_cast<std::size_t>(line)]; }
  Cents& operator[](ReturnLine line) { return amounts_[static_cast<std::size_t>(line)]; }

  std::array<Cents, 13> liabilities{};  // the form's months at 1 to 3 or 1 to 12, the rest 0
  bool overpaid = false;                // total taxes less deposits is below 0
  bool under_2500 = false;              // total taxes are less than $2,500
  bool months_shown = false;            // the monthly liabilities print

 private:
  std::array<Cents, static_cast<std::size_t>(ReturnLine::kCount)> amounts_{};
};

// Where a form adds up differently. Within kExactCents (numbers.h) every order gives the same
// cents; beyond it each addition rounds, so each form keeps its own order.
struct ReturnRules {
  int months = 3;  // the monthly liabilities the form has, from January or the quarter's first
  // Taxes after adjustments: true adds the taxes before adjustments and the adjustments total
  // (Form 941); false adds the payroll taxes, the adjustments total, then the withholding.
  bool after_adjustments_from_taxes_before = true;
  // The liability total starts from 0 (Form 944) rather than from the first month.
  bool liabilities_from_zero = false;
  // The months print only for a monthly depositor (Form 941); otherwise for any return of $2,500
  // or more.
  bool months_for_monthly_depositor = true;
};

// The return from the employee totals, the rates, the run's entries and the plan totals. The
// wages line is the wage sum less the three plan totals; taxes before adjustments are the
// withholding plus the payroll taxes; 7a follows the fraction-of-cents rule against the liability
// total, the other adjustments are their entries.
ReturnLines ComputeReturnLines(const PayTotals& pay, const FormRates& rates, const ReturnEntries& entries,
                               const PlanTotals& plans, const ReturnRules& rules);

// One printed line of a form: its number, the column of a line with two boxes (1 the taxable
// amount, 2 the tax; 0 for a line with one box), and the figure it shows. The printed forms
// number ReturnLine figures; the current return numbers its own (forms/current_return.h).
template <typename Figure>
struct NumberedLineOf {
  std::string_view number;
  int column;
  Figure figure;
};
using NumberedLine = NumberedLineOf<ReturnLine>;

// The figure that line `number`, `column` shows in `numbering` (an array or span of
// NumberedLineOf); none when the form has no such line or has it twice.
template <typename Numbering>
constexpr auto FindLine(const Numbering& numbering, std::string_view number, int column)
    -> std::optional<decltype(std::begin(numbering)->figure)> {
  std::optional<decltype(std::begin(numbering)->figure)> found;
  for (const auto& line : numbering) {
    if (line.number != number || line.column != column) continue;
    if (found) return std::nullopt;
    found = line.figure;
  }
  return found;
}

// FindLine, evaluated when compiled: a line the form does not have (or has twice) does not compile.
template <typename Numbering>
consteval auto LineOf(const Numbering& numbering, std::string_view number, int column) {
  auto figure = FindLine(numbering, number, column);
  if (!figure) throw "no such line on this form";
  return *figure;
}

}  // namespace qreport
