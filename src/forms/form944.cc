#include "forms/form944.h"

namespace qreport {

Cents YearSsWage(const Employee& e, Cents ss_base) {
  if (e.fica_flag != 'Y') return 0;
  Cents year_wages = ToCents(e.amounts_ytd[kWages]);
  Cents year_pay = Plus(year_wages, ToCents(e.amounts_ytd[kTips]));
  if (!(year_pay > ss_base)) return year_wages;
  Cents base = ss_base < 0 ? 0 : ss_base;
  // The base is reached with tips; the wage taxed as social security wages is never more than the wages.
  return base < year_wages ? base : year_wages;
}

void AddEmployeeToYear(const Employee& e, Cents ss_base, YearTotals& t) {
  t.advance_eic = Plus(t.advance_eic, AdvanceEicOf(ToCents(e.misc_amount_1)));
  Cents year_wages = ToCents(e.amounts_ytd[kWages]);
  if (year_wages == 0) return;

  Cents medicare_wage = e.fica_flag == 'Y' ? year_wages : 0;
  Cents year_tips = ToCents(e.amounts_ytd[kTips]);
  t.ss_wages = Plus(t.ss_wages, YearSsWage(e, ss_base));
  t.medicare_wages = Plus(t.medicare_wages, medicare_wage);
  t.tips = Plus(t.tips, year_tips);
  t.wage_sum = Plus(t.wage_sum, Plus(year_wages, year_tips));
  t.income_tax_withheld = Plus(t.income_tax_withheld, ToCents(e.amounts_ytd[kFederalWithheld]));
}

Cents YearLiabilityOf(const RunState& s) {
  Cents total = 0;
  for (int month = 1; month <= 12; ++month) total = Plus(total, s.MonthLiability[month]);
  return total;
}

Form944Lines ComputeForm944Lines(const YearTotals& y, const FormRates& r, const RunState& s,
                                 const PlanTotals& plans) {
  Form944Lines l;
  l.year_liability = YearLiabilityOf(s);
  for (int month = 1; month <= 12; ++month) l.month[month] = s.MonthLiability[month];

  l.line1 = Minus(Minus(Minus(y.wage_sum, plans[1]), plans[2]), plans[3]);
  l.line2 = y.income_tax_withheld;
  l.ss_wages = y.ss_wages;
  l.tips = y.tips;
  l.tips_and_medicare_wages = Plus(y.tips, y.medicare_wages);
  PayrollTaxes taxes = ComputePayrollTaxes(y.ss_wages, y.tips, y.medicare_wages, r);
  l.line4a = taxes.on_ss_wages;
  l.line4b = taxes.on_tips;
  l.line4c = taxes.medicare;
  l.line4d = taxes.total;
  l.line8 = y.advance_eic;

  l.adjust7a = FractionOfCents(l.year_liability, Minus(Plus(l.line4d, l.line2), l.line8), s);
  l.line5 = Plus(l.line2, l.line4d);
  l.adjust7b = s.Adjust7b;
  l.adjust7c = s.Adjust7c;
  l.adjust7d = s.Adjust7d;
  l.adjust7e = s.Adjust7e;
  l.adjust7f = s.Adjust7f;
  l.adjust7g = s.Adjust7g;
  l.line6f = l.adjust7a;
  for (Cents adjustment : {l.adjust7b, l.adjust7c, l.adjust7d, l.adjust7e, l.adjust7f, l.adjust7g}) {
    l.line6f = Plus(l.line6f, adjustment);
  }
  l.line7 = Plus(Plus(l.line4d, l.line6f), l.line2);
  l.line9 = Minus(l.line7, l.line8);
  l.line10 = s.Line11Deposits;
  Cents balance = Minus(l.line9, l.line10);
  l.overpaid = balance < 0;
  (l.overpaid ? l.line12 : l.line11) = balance;
  l.under_2500 = l.line9 < kDepositThreshold;
  return l;
}

}  // namespace qreport
