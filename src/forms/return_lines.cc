#include "forms/return_lines.h"

namespace qreport {

Cents AdvanceEicOf(Cents misc_amount_1) { return misc_amount_1 > kAdvanceEicLimit ? 0 : misc_amount_1; }

PayrollTaxes ComputePayrollTaxes(Cents ss_wages, Cents tips, Cents medicare_wages, const FormRates& rates) {
  PayrollTaxes taxes;
  taxes.on_ss_wages = Times(rates.ss_rate1, rates.ss_rate2, ss_wages);
  Cents tips_share1 = Times(rates.ss_rate1, tips);
  Cents tips_share2 = Times(rates.ss_rate2, tips);
  taxes.on_tips = Plus(tips_share1, tips_share2);
  Cents medicare_on_tips = Times(rates.medicare_rate1, rates.medicare_rate2, tips);
  Cents medicare_on_wages = Times(rates.medicare_rate1, rates.medicare_rate2, medicare_wages);
  taxes.medicare = Plus(medicare_on_tips, medicare_on_wages);
  taxes.total = Plus(Plus(Plus(Plus(taxes.on_ss_wages, tips_share1), tips_share2), medicare_on_tips), medicare_on_wages);
  return taxes;
}

Cents FractionOfCents(Cents liability, Cents base, const Adjustments& entered) {
  Cents taxes = base;
  for (Cents adjustment : entered) taxes = Plus(taxes, adjustment);
  Cents gap = Minus(liability, taxes);
  const Cents entered7a = entered[0];
  bool absorbed = gap != 0 && entered7a == 0 && gap > -kFractionOfCentsLimit && gap < kFractionOfCentsLimit;
  return absorbed ? gap : entered7a;
}

ReturnEntries ReturnEntriesOf(const RunState& state) {
  ReturnEntries entries;
  entries.adjustments = {state.adjustment_7a, state.adjustment_7b, state.adjustment_7c, state.adjustment_7d,
                         state.adjustment_7e, state.adjustment_7f, state.adjustment_7g};
  entries.deposits = state.deposits;
  for (std::size_t month = 1; month <= 12; ++month) entries.liabilities[month] = state.month_liability[month];
  entries.monthly_depositor = state.monthly_depositor;
  return entries;
}

namespace {

// The first `months` liabilities, added from the left.
Cents LiabilityTotal(const std::array<Cents, 13>& liabilities, int months, bool from_zero) {
  Cents total = from_zero ? Plus(0, liabilities[1]) : liabilities[1];
  for (std::size_t month = 2; month <= static_cast<std::size_t>(months); ++month) {
    total = Plus(total, liabilities[month]);
  }
  return total;
}

// The lines up to the taxes before adjustments.
void TaxLines(const PayTotals& pay, const FormRates& rates, const PlanTotals& plans, ReturnLines& lines) {
  using enum ReturnLine;
  lines[kEmployeeCount] = pay.employee_count;
  lines[kWages] = Minus(Minus(Minus(pay.wage_sum, plans[1]), plans[2]), plans[3]);
  lines[kIncomeTaxWithheld] = pay.income_tax_withheld;
  lines[kSsWages] = pay.ss_wages;
  lines[kSsTips] = pay.tips;
  lines[kMedicareWagesAndTips] = Plus(pay.tips, pay.medicare_wages);
  PayrollTaxes taxes = ComputePayrollTaxes(pay.ss_wages, pay.tips, pay.medicare_wages, rates);
  lines[kSsWagesTax] = taxes.on_ss_wages;
  lines[kSsTipsTax] = taxes.on_tips;
  lines[kMedicareTax] = taxes.medicare;
  lines[kPayrollTaxes] = taxes.total;
  lines[kTaxesBeforeAdjustments] = Plus(lines[kIncomeTaxWithheld], lines[kPayrollTaxes]);
  lines[kAdvanceEic] = pay.advance_eic;
  lines[kAdditionalMedicareWages] = pay.additional_medicare_wages;
}

// The adjustments, 7a by the fraction-of-cents rule, and their total.
void AdjustmentLines(const ReturnEntries& entries, ReturnLines& lines) {
  using enum ReturnLine;
  const Cents base = Minus(Plus(lines[kPayrollTaxes], lines[kIncomeTaxWithheld]), lines[kAdvanceEic]);
  Cents total = FractionOfCents(lines[kLiabilityTotal], base, entries.adjustments);
  lines[kAdjustment7a] = total;
  const ReturnLine others[] = {kAdjustment7b, kAdjustment7c, kAdjustment7d, kAdjustment7e, kAdjustment7f, kAdjustment7g};
  for (std::size_t i = 0; i < std::size(others); ++i) {
    lines[others[i]] = entries.adjustments[i + 1];
    total = Plus(total, lines[others[i]]);
  }
  lines[kAdjustmentsTotal] = total;
}

}  // namespace

ReturnLines ComputeReturnLines(const PayTotals& pay, const FormRates& rates, const ReturnEntries& entries,
                               const PlanTotals& plans, const ReturnRules& rules) {
  using enum ReturnLine;
  ReturnLines lines;
  for (std::size_t month = 1; month <= static_cast<std::size_t>(rules.months); ++month) {
    lines.liabilities[month] = entries.liabilities[month];
  }
  lines[kLiabilityTotal] = LiabilityTotal(entries.liabilities, rules.months, rules.liabilities_from_zero);
  TaxLines(pay, rates, plans, lines);
  AdjustmentLines(entries, lines);

  lines[kTaxesAfterAdjustments] =
      rules.after_adjustments_from_taxes_before
          ? Plus(lines[kTaxesBeforeAdjustments], lines[kAdjustmentsTotal])
          : Plus(Plus(lines[kPayrollTaxes], lines[kAdjustmentsTotal]), lines[kIncomeTaxWithheld]);
  lines[kTotalTaxes] = Minus(lines[kTaxesAfterAdjustments], lines[kAdvanceEic]);
  lines[kDeposits] = entries.deposits;
  const Cents balance = Minus(lines[kTotalTaxes], lines[kDeposits]);
  lines.overpaid = balance < 0;
  lines[lines.overpaid ? kOverpayment : kBalanceDue] = balance;

  lines.under_2500 = lines[kTotalTaxes] < kDepositThreshold;
  lines.months_shown = !lines.under_2500 && (entries.monthly_depositor || !rules.months_for_monthly_depositor);
  return lines;
}

}  // namespace qreport
