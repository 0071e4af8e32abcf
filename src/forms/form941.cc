#include "forms/form941.h"

#include "text/numbers.h"

namespace qreport {

Cents AdvanceEicOf(Cents misc_amount_1) { return misc_amount_1 > kAdvanceEicLimit ? 0 : misc_amount_1; }

namespace {

// An employee's amounts as the quarter's figures read them, each stored as cents once.
struct QuarterCents {
  Cents wages, tips, year_wages, year_tips;
};

QuarterCents QuarterCentsOf(const Employee& e) {
  return {ToCents(e.amounts_qtd[kWages]), ToCents(e.amounts_qtd[kTips]), ToCents(e.amounts_ytd[kWages]),
          ToCents(e.amounts_ytd[kTips])};
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

Cents QuarterSsWage(const Employee& e, Cents ss_base) { return SsWageOf(e.fica_flag, QuarterCentsOf(e), ss_base); }

void AddEmployeeToQuarter(const Employee& e, Cents ss_base, QuarterTotals& t) {
  t.advance_eic = Plus(t.advance_eic, AdvanceEicOf(ToCents(e.misc_amount_1)));
  const QuarterCents c = QuarterCentsOf(e);
  if (c.wages == 0 && c.year_wages == 0) return;
  if (c.wages != 0) ++t.employee_count;

  Cents medicare_wage = e.fica_flag == 'Y' ? c.wages : 0;
  t.ss_wages = Plus(t.ss_wages, SsWageOf(e.fica_flag, c, ss_base));
  t.medicare_wages = Plus(t.medicare_wages, medicare_wage);
  t.tips = Plus(t.tips, c.tips);
  t.wage_sum = Plus(t.wage_sum, Plus(c.wages, c.tips));
  t.income_tax_withheld = Plus(t.income_tax_withheld, ToCents(e.amounts_qtd[kFederalWithheld]));
}

Cents FractionOfCents(Cents liability, Cents base, const RunState& s) {
  Cents taxes = base;
  for (Cents adjustment : {s.Adjust7a, s.Adjust7b, s.Adjust7c, s.Adjust7d, s.Adjust7e, s.Adjust7f, s.Adjust7g}) {
    taxes = Plus(taxes, adjustment);
  }
  Cents gap = Minus(liability, taxes);
  bool absorbed = gap != 0 && s.Adjust7a == 0 && gap > -kFractionOfCentsLimit && gap < kFractionOfCentsLimit;
  return absorbed ? gap : s.Adjust7a;
}

PayrollTaxes ComputePayrollTaxes(Cents ss_wages, Cents tips, Cents medicare_wages, const FormRates& r) {
  PayrollTaxes t;
  t.on_ss_wages = Times(r.ss_rate1, r.ss_rate2, ss_wages);
  Cents tips_share1 = Times(r.ss_rate1, tips);
  Cents tips_share2 = Times(r.ss_rate2, tips);
  t.on_tips = Plus(tips_share1, tips_share2);
  Cents medicare_on_tips = Times(r.medicare_rate1, r.medicare_rate2, tips);
  Cents medicare_on_wages = Times(r.medicare_rate1, r.medicare_rate2, medicare_wages);
  t.medicare = Plus(medicare_on_tips, medicare_on_wages);
  t.total = Plus(Plus(Plus(Plus(t.on_ss_wages, tips_share1), tips_share2), medicare_on_tips), medicare_on_wages);
  return t;
}

Form941Lines ComputeForm941Lines(const QuarterTotals& q, const FormRates& r, const RunState& s,
                                 const PlanTotals& plans) {
  Form941Lines l;
  l.line1 = q.employee_count;
  l.line2 = Minus(Minus(Minus(q.wage_sum, plans[1]), plans[2]), plans[3]);
  l.line3 = q.income_tax_withheld;

  l.ss_wages = q.ss_wages;
  l.tips = q.tips;
  l.tips_and_medicare_wages = Plus(q.tips, q.medicare_wages);
  PayrollTaxes taxes = ComputePayrollTaxes(q.ss_wages, q.tips, q.medicare_wages, r);
  l.line5a = taxes.on_ss_wages;
  l.line5b = taxes.on_tips;
  l.line5c = taxes.medicare;
  l.line5d = taxes.total;

  l.line9 = q.advance_eic;
  l.month = {0, s.MonthLiability[1], s.MonthLiability[2], s.MonthLiability[3]};
  l.month_total = Plus(Plus(l.month[1], l.month[2]), l.month[3]);
  l.line7a = FractionOfCents(l.month_total, Minus(Plus(l.line5d, l.line3), l.line9), s);

  l.line6 = Plus(l.line3, l.line5d);
  l.line7b = s.Adjust7b;
  l.line7c = s.Adjust7c;
  l.line7d = s.Adjust7d;
  l.line7e = s.Adjust7e;
  l.line7f = s.Adjust7f;
  l.line7g = s.Adjust7g;
  l.line7h = l.line7a;
  for (Cents adjustment : {l.line7b, l.line7c, l.line7d, l.line7e, l.line7f, l.line7g}) {
    l.line7h = Plus(l.line7h, adjustment);
  }
  l.line8 = Plus(l.line6, l.line7h);
  l.line10 = Minus(l.line8, l.line9);
  l.line11 = s.Line11Deposits;
  Cents balance = Minus(l.line10, l.line11);
  l.overpaid = balance < 0;
  (l.overpaid ? l.line13 : l.line12) = balance;

  l.under_2500 = l.line10 < kDepositThreshold;
  l.show_months = !l.under_2500 && s.MonthlyDepositor == "Y";
  return l;
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
