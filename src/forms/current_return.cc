#include "forms/current_return.h"

#include "forms/payroll_law.h"

namespace qreport {

std::span<const CurrentLine> CurrentReturn::numbering() const {
  if (form == FiledForm::k941) return kCurrent941Numbering;
  return kCurrent944Numbering;
}

std::span<const ScheduleChoice> CurrentReturn::schedule_choices() const {
  if (form == FiledForm::k941) return kCurrent941ScheduleChoices;
  return kCurrent944ScheduleChoices;
}

std::string CurrentReturn::month_caption(int month) const {
  static constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                                "July",    "August",   "September", "October", "November", "December"};
  if (form == FiledForm::k941) return "month " + std::to_string(month + 1);
  return kMonthNames[month];
}

std::string CurrentReturn::months_total_caption() const {
  const std::string period = form == FiledForm::k941 ? "quarter" : "year";
  return "total liability for the " + period + ", which must equal line " + std::string(total_line());
}

namespace {

// The tax lines up to the taxes before adjustments.
void TaxLines(const CurrentReturnSource& source, CurrentReturn& out) {
  using enum CurrentFigure;
  const ReturnLines& printed = source.printed;
  out[kEmployeeCount] = source.form == FiledForm::k941 ? printed[ReturnLine::kEmployeeCount] : 0;
  out[kWages] = printed[ReturnLine::kWages];
  out[kIncomeTaxWithheld] = printed[ReturnLine::kIncomeTaxWithheld];
  out[kSsWages] = printed[ReturnLine::kSsWages];
  out[kSsTips] = printed[ReturnLine::kSsTips];
  out[kMedicareWagesAndTips] = printed[ReturnLine::kMedicareWagesAndTips];
  out[kAdditionalMedicareWages] =
      AdditionalMedicareTaxApplies(source.payroll_year) ? printed[ReturnLine::kAdditionalMedicareWages] : 0;
  const Rate ss_rate = CombinedSsRate(source.payroll_year);
  out[kSsWagesTax] = RoundedProduct(ss_rate, out[kSsWages]);
  out[kSsTipsTax] = RoundedProduct(ss_rate, out[kSsTips]);
  out[kMedicareTax] = RoundedProduct(kCombinedMedicareRate, out[kMedicareWagesAndTips]);
  out[kAdditionalMedicareTax] = RoundedProduct(kAdditionalMedicareRate, out[kAdditionalMedicareWages]);
  out[kNoPayrollTaxWages] = out[kSsWages] == 0 && out[kSsTips] == 0 && out[kMedicareWagesAndTips] == 0 &&
                            out[kAdditionalMedicareWages] == 0;
  out[kPayrollTaxes] = out[kSsWagesTax] + out[kSsTipsTax] + out[kMedicareTax] + out[kAdditionalMedicareTax];
  out[kUnreportedTipsTax] = 0;
  out[kTaxesBeforeAdjustments] = out[kIncomeTaxWithheld] + out[kPayrollTaxes] + out[kUnreportedTipsTax];
}

// The months of the deposit schedule and their total.
void Months(const CurrentReturnSource& source, CurrentReturn& out) {
  out.month_count = source.form == FiledForm::k941 ? 3 : 12;
  out.months_total = 0;
  for (int month = 1; month <= out.month_count; ++month) {
    const Cents amount = source.entered.liabilities[static_cast<std::size_t>(month)];
    out.months[static_cast<std::size_t>(month - 1)] = amount;
    out.months_total += amount;
  }
}

// The three adjustments the return keeps, the fraction-of-cents rule applied against this
// return's taxes; the rest are kept aside.
void AdjustmentLines(const CurrentReturnSource& source, CurrentReturn& out) {
  using enum CurrentFigure;
  const Adjustments& entered = source.entered.adjustments;
  const Adjustments kept = {entered[0], entered[1], entered[2], 0, 0, 0, 0};
  out[kFractionsOfCents] = FractionOfCents(out.months_total, out[kTaxesBeforeAdjustments], kept);
  out[kSickPay] = entered[1];
  out[kTipsAndLifeInsurance] = entered[2];
  out[kAdjustments] = out[kFractionsOfCents] + out[kSickPay] + out[kTipsAndLifeInsurance];
  out.left_out_adjustments = {entered[3], entered[4], entered[5], entered[6]};
  out.advance_eic = source.printed[ReturnLine::kAdvanceEic];
}

DepositSchedule ScheduleOf(const CurrentReturnSource& source, Cents total_taxes) {
  if (total_taxes < kDepositThreshold) return DepositSchedule::kUnder2500;
  // A semiweekly depositor's months go on Schedule B or Form 945-A, whatever else is checked.
  if (source.semiweekly_depositor) return DepositSchedule::kSemiweekly;
  // Form 944 has no monthly box: its months are the schedule.
  if (source.monthly_depositor || source.form == FiledForm::k944) return DepositSchedule::kMonthly;
  return DepositSchedule::kNone;
}

}  // namespace

CurrentReturn ComputeCurrentReturn(const CurrentReturnSource& source) {
  using enum CurrentFigure;
  CurrentReturn out;
  out.form = source.form;
  out.payroll_year = source.payroll_year;
  TaxLines(source, out);
  Months(source, out);
  AdjustmentLines(source, out);
  out[kTaxesAfterAdjustments] = out[kTaxesBeforeAdjustments] + out[kAdjustments];
  out[kResearchCredit] = 0;
  out[kTotalTaxes] = out[kTaxesAfterAdjustments] - out[kResearchCredit];
  out[kDeposits] = source.entered.deposits;
  const Cents balance = out[kTotalTaxes] - out[kDeposits];
  out.overpaid = balance < 0;
  out[kBalanceDue] = out.overpaid ? 0 : balance;
  out[kOverpayment] = out.overpaid ? -balance : 0;
  out.schedule = ScheduleOf(source, out[kTotalTaxes]);
  return out;
}

}  // namespace qreport
