// The recap of taxes: the tax figures computed from the worksheet totals and the rates, with
// the two roundings to the cent the recap uses.
#pragma once

#include "data/rates.h"
#include "worksheet/accumulation.h"

namespace qreport {

// n = x to the nearest integer (half to even); c = (x - n) x 100 the same way; n + c / 100.
double RoundCents(double x);

// x written as text with 15 significant digits, read back, then RoundCents.
double RoundCentsViaText(double x);

// An unemployment rate's divisor: 100 for a rate of 0.01 or more (a percentage), 1 below
// (a fraction); the threshold is the single-precision value of 0.01.
double UnemploymentRateDivisor(double rate);

struct UnemploymentRates {
  double futa = 0, suta = 0;  // as the client file holds them
};

struct TaxFigures {
  double fica_tax = 0, medicare_tax = 0;
  double tips_tax_shown = 0, tips_tax_combined = 0;
  double fica_total = 0;
  double futa_tax = 0, suta_tax = 0;
  double fica_expense = 0;  // the FICA total less the FICA withheld
  // The rates the recap shows, in percent.
  double fica_rate = 0, medicare_rate = 0, tips_rate = 0, futa_rate = 0, suta_rate = 0;
};

TaxFigures ComputeTaxFigures(const WorksheetTotals& totals, const FicaRates& rates, const UnemploymentRates& unemployment);

}  // namespace qreport
