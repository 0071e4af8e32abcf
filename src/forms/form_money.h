// Money on the forms: amounts are integer cents, rates integer ten-thousandths. Each stored value
// is evaluated in doubles from its stored operands (an amount as cents / 100, a rate as
// ten-thousandths / 10000) and stored as the nearest integer of value x 100, a half to the even
// neighbour. Sums and differences go term by term from the left, so the host's figures come out
// to the cent, exact ties included.
#pragma once

#include <cstdint>

#include "data/rates.h"
#include "text/numbers.h"

namespace qreport {

// A rate: a signed count of ten-thousandths (0.0620 is 620).
using Rate = std::int64_t;

inline Rate ToRate(double fraction) { return RoundHalfEven(fraction * 10000.0); }
inline double RateValue(Rate rate) { return static_cast<double>(rate) / 10000.0; }

// Operands within kExactCents (numbers.h) store their exact sum or difference, as the evaluation in
// doubles does for them; only larger ones are evaluated.
inline Cents Plus(Cents a, Cents b) {
  return WithinExactCents(a) && WithinExactCents(b) ? a + b : ToCents(CentsValue(a) + CentsValue(b));
}
inline Cents Minus(Cents a, Cents b) {
  return WithinExactCents(a) && WithinExactCents(b) ? a - b : ToCents(CentsValue(a) - CentsValue(b));
}

// rate x amount, stored once.
inline Cents Times(Rate rate, Cents amount) { return ToCents(RateValue(rate) * CentsValue(amount)); }
// (rate1 + rate2) x amount: the two shares are added first, the product stored once.
inline Cents Times(Rate rate1, Rate rate2, Cents amount) {
  return ToCents((RateValue(rate1) + RateValue(rate2)) * CentsValue(amount));
}

// The rates of "FICA.RAT" as the forms hold them.
struct FormRates {
  Rate ss_rate1 = 0, ss_rate2 = 0;
  Cents ss_base = 0;
  Rate medicare_rate1 = 0, medicare_rate2 = 0;
};

inline FormRates ToFormRates(const FicaRates& rates) {
  return {ToRate(rates.ss_rate1), ToRate(rates.ss_rate2), ToCents(rates.ss_base), ToRate(rates.medicare_rate1),
          ToRate(rates.medicare_rate2)};
}

}  // namespace qreport
