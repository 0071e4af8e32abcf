#include "check/return_checks.h"

#include <optional>
#include <string>

#include "forms/payroll_law.h"
#include "run/current_return_figures.h"
#include "text/masks.h"

namespace qreport {
namespace {

void Add(std::vector<Finding>& out, std::string code, Severity severity, std::string message) {
  out.push_back({std::move(code), severity, std::move(message)});
}

std::string FormName(const CurrentReturn& filed) { return filed.form == FiledForm::k941 ? "Form 941" : "Form 944"; }

std::string LineName(const CurrentReturn& filed, CurrentFigure figure) {
  for (const CurrentLine& line : filed.numbering()) {
    if (line.figure == figure) return "line " + std::string(line.number);
  }
  return "no line";
}

// The deposit schedule: the months against the total taxes, and a schedule when one is due.
void CheckSchedule(const CurrentReturn& filed, std::vector<Finding>& out) {
  const std::string total_line = "line " + std::string(filed.total_line());
  const Cents total = filed[CurrentFigure::kTotalTaxes];
  if (filed.schedule == DepositSchedule::kMonthly && filed.months_total != total) {
    Add(out, "return-liability-total", Severity::kError,
        "the current " + FormName(filed) + "'s monthly liabilities add up to " + DollarText(filed.months_total) +
            ", not to " + total_line + " of " + DollarText(total) + ": the form requires them to be equal");
  }
  if (filed.schedule == DepositSchedule::kNone) {
    Add(out, "return-depositor-none", Severity::kError,
        "the current " + FormName(filed) + "'s " + total_line + " is " + DollarText(total) +
            " ($2,500.00 or more) and no deposit schedule is chosen: check the monthly or the semiweekly depositor box");
  }
  if (filed.form == FiledForm::k944 && filed.schedule == DepositSchedule::kSemiweekly) {
    Add(out, "form-945a", Severity::kWarning,
        "a semiweekly depositor files Form 945-A with Form 944 instead of the monthly amounts; qreport does not print it");
  }
}

// What the dialog holds that the current form has no line for.
void CheckLeftOut(const CurrentReturn& filed, std::vector<Finding>& out) {
  static constexpr const char* kWhat[] = {
      "7d (current year's income tax withholding)", "7e (prior quarters' social security and Medicare taxes)",
      "7f (special additions to federal income tax)", "7g (special additions to social security and Medicare)"};
  const std::string correction = filed.form == FiledForm::k941 ? "Form 941-X" : "Form 944-X";
  for (std::size_t i = 0; i < filed.left_out_adjustments.size(); ++i) {
    const Cents amount = filed.left_out_adjustments[i];
    if (amount == 0) continue;
    Add(out, "return-left-out", Severity::kError,
        "the dialog's adjustment " + std::string(kWhat[i]) + " of " + DollarText(amount) + " has no line on the current " +
            FormName(filed) + " and is left out of it: a correction of an earlier period goes on " + correction);
  }
  if (filed.advance_eic != 0) {
    Add(out, "return-advance-eic", Severity::kError,
        "the employees' advance earned income credit of " + DollarText(filed.advance_eic) + " has no line on the current " +
            FormName(filed) + " and is left out of it: advance payments of the earned income credit ended with "
            "wages paid in 2010; clear the employees' amounts");
  }
}

void CheckTaxLines(const CurrentReturn& filed, const ReportFigures& figures, std::vector<Finding>& out) {
  const Cents amt = filed[CurrentFigure::kAdditionalMedicareTax];
  if (filed[CurrentFigure::kAdditionalMedicareWages] != 0) {
    Add(out, "additional-medicare", Severity::kWarning,
        "Additional Medicare Tax of " + DollarText(amt) + " (0.9% of " +
            DollarText(filed[CurrentFigure::kAdditionalMedicareWages]) + " above $200,000.00, " +
            LineName(filed, CurrentFigure::kAdditionalMedicareTax) + "): the printed " + FormName(filed) +
            " has no line for it; the current return's line " + std::string(filed.total_line()) + " of " +
            DollarText(filed[CurrentFigure::kTotalTaxes]) + " includes it");
  }
  if (filed.overpaid) {
    Add(out, "return-overpayment", Severity::kWarning,
        "the current return's overpayment of " + DollarText(filed[CurrentFigure::kOverpayment]) + " (" +
            LineName(filed, CurrentFigure::kOverpayment) +
            ") says \"apply to next return\": the dialog has no refund choice; check the refund box on the form "
            "to have it sent instead");
  }
  if (filed.form == FiledForm::k944 && figures.quarter != 4) {
    Add(out, "form944-quarter", Severity::kWarning,
        "Form 944 is the annual return, filed for the year after its fourth quarter; this report is for " +
            (figures.quarter == 0 ? std::string("no quarter") : "quarter " + std::to_string(figures.quarter)));
  }
}

// One rate of the file against the law's: the pair of shares in either order.
bool SameShares(Rate file1, Rate file2, Rate law1, Rate law2) {
  return (file1 == law1 && file2 == law2) || (file1 == law2 && file2 == law1);
}

void CheckRatesAgainstLaw(const ReportFigures& figures, std::vector<Finding>& out) {
  if (!figures.worksheet) return;
  const FicaRates& file = figures.worksheet->rates;
  const int year = PayrollYearOf(figures.state);
  const StatutoryRates law = StatutoryRatesOf(year);
  auto percent = [](Rate rate) { return FormatAmount("0.00", static_cast<double>(rate) / 100.0) + "%"; };
  const Rate ss1 = ToRate(file.ss_rate1), ss2 = ToRate(file.ss_rate2);
  // A rate of 0 is rates-zero's finding.
  if (law.ss_employee && ss1 + ss2 != 0 && !SameShares(ss1, ss2, *law.ss_employee, *law.ss_employer)) {
    Add(out, "rates-not-law", Severity::kError,
        "the rates file's social security rates " + percent(ss1) + " and " + percent(ss2) + " are not the law's for " +
            std::to_string(year) + ": " + percent(*law.ss_employee) + " for the employee and " +
            percent(*law.ss_employer) + " for the employer");
  }
  const Rate med1 = ToRate(file.medicare_rate1), med2 = ToRate(file.medicare_rate2);
  if (law.medicare_each && med1 + med2 != 0 && !SameShares(med1, med2, *law.medicare_each, *law.medicare_each)) {
    Add(out, "rates-not-law", Severity::kError,
        "the rates file's Medicare rates " + percent(med1) + " and " + percent(med2) + " are not the law's for " +
            std::to_string(year) + ": " + percent(*law.medicare_each) + " each");
  }
}

}  // namespace

void CheckCurrentReturn(const ReportFigures& figures, std::vector<Finding>& out) {
  CheckRatesAgainstLaw(figures, out);
  const std::optional<CurrentReturn> filed = CurrentReturnOf(figures);
  if (!filed) return;
  CheckSchedule(*filed, out);
  CheckLeftOut(*filed, out);
  CheckTaxLines(*filed, figures, out);
}

}  // namespace qreport
