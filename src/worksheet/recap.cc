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

TaxFigures ComputeTaxFigures(const WorksheetTotals& totals, const FicaRates& rates, const UnemploymentRates& unemployment) {
  TaxFigures figures;
  figures.fica_tax = RoundCents((rates.ss_rate1 + rates.ss_rate2) * totals.fica_taxable);
  figures.medicare_tax = RoundCents((rates.medicare_rate1 + rates.medicare_rate2) * totals.medicare_wages);
  figures.tips_tax_shown = RoundCentsViaText(rates.ss_rate1 * totals.tips) + RoundCentsViaText(rates.ss_rate2 * totals.tips) +
                     RoundCentsViaText((rates.medicare_rate1 + rates.medicare_rate2) * totals.tips);
  figures.tips_tax_combined =
      RoundCents((rates.ss_rate1 + rates.ss_rate2 + rates.medicare_rate1 + rates.medicare_rate2) * totals.tips);
  figures.fica_total = figures.tips_tax_combined + figures.fica_tax + figures.medicare_tax;
  figures.futa_tax = totals.futa_taxable * unemployment.futa / UnemploymentRateDivisor(unemployment.futa);
  figures.suta_tax = totals.suta_taxable * unemployment.suta / UnemploymentRateDivisor(unemployment.suta);
  figures.fica_expense = figures.fica_total - totals.fica_withheld;
  figures.fica_rate = (rates.ss_rate1 + rates.ss_rate2) * 100;
  figures.medicare_rate = (rates.medicare_rate1 + rates.medicare_rate2) * 100;
  figures.tips_rate = (rates.ss_rate1 + rates.ss_rate2 + rates.medicare_rate1 + rates.medicare_rate2) * 100;
  figures.futa_rate = unemployment.futa * 100 / UnemploymentRateDivisor(unemployment.futa);
  figures.suta_rate = unemployment.suta * 100 / UnemploymentRateDivisor(unemployment.suta);
  return figures;
}

}  // namespace qreport
