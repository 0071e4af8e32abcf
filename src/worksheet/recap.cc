#include "worksheet/recap.h"

#include <charconv>

#include "text/numbers.h"

namespace qreport {

double RoundCents(double x) {
  double n = static_cast<double>(RoundHalfEven(x));
  double c = static_cast<double>(RoundHalfEven((x - n) * 100.0));
  return n + c / 100.0;
}

double RoundCentsViaText(double x) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, x, std::chars_format::general, 15);
  return RoundCents(ParseDecimal(std::string_view(text, static_cast<std::size_t>(result.ptr - text))));
}

double UnemploymentRateDivisor(double rate) { return rate < static_cast<double>(0.01f) ? 1.0 : 100.0; }

TaxFigures ComputeTaxFigures(const WorksheetTotals& t, const FicaRates& r, const UnemploymentRates& u) {
  TaxFigures f;
  f.fica_tax = RoundCents((r.ss_rate1 + r.ss_rate2) * t.fica_taxable);
  f.medicare_tax = RoundCents((r.medicare_rate1 + r.medicare_rate2) * t.medicare_wages);
  f.tips_tax_shown = RoundCentsViaText(r.ss_rate1 * t.tips) + RoundCentsViaText(r.ss_rate2 * t.tips) +
                     RoundCentsViaText((r.medicare_rate1 + r.medicare_rate2) * t.tips);
  f.tips_tax_combined = RoundCents((r.ss_rate1 + r.ss_rate2 + r.medicare_rate1 + r.medicare_rate2) * t.tips);
  f.fica_total = f.tips_tax_combined + f.fica_tax + f.medicare_tax;
  f.futa_tax = t.futa_taxable * u.futa / UnemploymentRateDivisor(u.futa);
  f.suta_tax = t.suta_taxable * u.suta / UnemploymentRateDivisor(u.suta);
  f.fica_expense = f.fica_total - t.fica_withheld;
  f.fica_rate = (r.ss_rate1 + r.ss_rate2) * 100;
  f.medicare_rate = (r.medicare_rate1 + r.medicare_rate2) * 100;
  f.tips_rate = (r.ss_rate1 + r.ss_rate2 + r.medicare_rate1 + r.medicare_rate2) * 100;
  f.futa_rate = u.futa * 100 / UnemploymentRateDivisor(u.futa);
  f.suta_rate = u.suta * 100 / UnemploymentRateDivisor(u.suta);
  return f;
}

}  // namespace qreport
