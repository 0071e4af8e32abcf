#include "forms/form941.h"

#include "forms/payroll_law.h"
#include "text/numbers.h"

namespace qreport {

namespace {

// An employee's amounts as the quarter's figures read them, each stored as cents once.
struct QuarterCents {
  Cents wages, tips, year_wages, year_tips;
};

QuarterCents QuarterCentsOf(const Employee& employee) {
  return {ToCents(employee.amounts_qtd[kWages]), ToCents(employee.amounts_qtd[kTips]), ToCents(employee.amounts_ytd[kWages]),
          ToCents(employee.amounts_ytd[kTips])};
}

Cents SsWageOf(char fica_flag, const QuarterCents& c, Cents ss_base) {
  if (fica_flag != 'Y') return 0;
  Cents year_pay = Plus(c.year_wages, c.year_tips);
  Cents quarter_pay = Plus(c.wages, c.tips);
  if (!(ss_base < year_pay)) return c.wages;
  Cents room = Minus(ss_base, Minus(year_pay, quarter_pay));
  if (room < 0) room = 0;
  // The room counts tips; the wage taxed as social security wages is never more than the wages
  // (negative quarter wages, a voided check, stay as they are, as on the worksheet).
  return room < c.wages ? room : c.wages;
}

}  // namespace

Cents QuarterSsWage(const Employee& employee, Cents ss_base) {
  return SsWageOf(employee.fica_flag, QuarterCentsOf(employee), ss_base);
}

void AddEmployeeToQuarter(const Employee& employee, Cents ss_base, PayTotals& totals) {
  totals.advance_eic = Plus(totals.advance_eic, AdvanceEicOf(ToCents(employee.misc_amount_1)));
  const QuarterCents c = QuarterCentsOf(employee);
  if (c.wages == 0 && c.year_wages == 0) return;
  if (c.wages != 0) ++totals.employee_count;

  Cents medicare_wage = employee.fica_flag == 'Y' ? c.wages : 0;
  totals.ss_wages = Plus(totals.ss_wages, SsWageOf(employee.fica_flag, c, ss_base));
  totals.medicare_wages = Plus(totals.medicare_wages, medicare_wage);
  totals.tips = Plus(totals.tips, c.tips);
  totals.wage_sum = Plus(totals.wage_sum, Plus(c.wages, c.tips));
  totals.income_tax_withheld = Plus(totals.income_tax_withheld, ToCents(employee.amounts_qtd[kFederalWithheld]));
  totals.additional_medicare_wages += AdditionalMedicareWages(employee, PayPeriod::kQuarter);
}

ReturnLines ComputeForm941Lines(const PayTotals& quarter, const FormRates& rates, const ReturnEntries& entries,
                                const PlanTotals& plans) {
  return ComputeReturnLines(quarter, rates, entries, plans, kForm941Rules);
}

int QuarterOfMonthText(std::string_view date) {
  double m = ParseDecimal(date.substr(0, 2));
  if (0 < m && m < 4) return 1;
  if (3 < m && m < 7) return 2;
  if (6 < m && m < 10) return 3;
  if (9 < m && m < 13) return 4;
  return 0;
}

std::string FormYear(std::string_view date) {
  return "20" + std::string(date.size() > 2 ? date.substr(date.size() - 2) : date);
}

}  // namespace qreport
