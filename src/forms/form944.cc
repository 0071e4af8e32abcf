#include "forms/form944.h"

#include "forms/payroll_law.h"

namespace qreport {

Cents YearSsWage(const Employee& employee, Cents ss_base) {
  if (employee.fica_flag != 'Y') return 0;
  Cents year_wages = ToCents(employee.amounts_ytd[kWages]);
  Cents year_pay = Plus(year_wages, ToCents(employee.amounts_ytd[kTips]));
  if (!(year_pay > ss_base)) return year_wages;
  Cents base = ss_base < 0 ? 0 : ss_base;
  // The base is reached with tips; the wage taxed as social security wages is never more than the wages.
  return base < year_wages ? base : year_wages;
}

void AddEmployeeToYear(const Employee& employee, Cents ss_base, PayTotals& totals) {
  totals.advance_eic = Plus(totals.advance_eic, AdvanceEicOf(ToCents(employee.misc_amount_1)));
  Cents year_wages = ToCents(employee.amounts_ytd[kWages]);
  if (year_wages == 0) return;

  Cents medicare_wage = employee.fica_flag == 'Y' ? year_wages : 0;
  Cents year_tips = ToCents(employee.amounts_ytd[kTips]);
  totals.ss_wages = Plus(totals.ss_wages, YearSsWage(employee, ss_base));
  totals.medicare_wages = Plus(totals.medicare_wages, medicare_wage);
  totals.tips = Plus(totals.tips, year_tips);
  totals.wage_sum = Plus(totals.wage_sum, Plus(year_wages, year_tips));
  totals.income_tax_withheld = Plus(totals.income_tax_withheld, ToCents(employee.amounts_ytd[kFederalWithheld]));
  totals.additional_medicare_wages += AdditionalMedicareWages(employee, PayPeriod::kYear);
}

ReturnLines ComputeForm944Lines(const PayTotals& year, const FormRates& rates, const ReturnEntries& entries,
                                const PlanTotals& plans) {
  return ComputeReturnLines(year, rates, entries, plans, kForm944Rules);
}

}  // namespace qreport
