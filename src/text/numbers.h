// Numbers as the module reads and stores them: the decimal text-to-number rule, and money held
// as integer cents (value x 100, nearest integer, a half to the even neighbour).
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace qreport {

// A money amount: a signed count of cents.
using Cents = std::int64_t;

// Reads a decimal number from the start of text: leading blanks, tabs and line feeds are
// skipped, then an optional sign, digits with at most one point, and an optional exponent
// (E or D in either case, an optional sign, digits). Reading stops at the first character that
// cannot continue the number, so "12abc" is 12, "1e" is 1, "2D1" is 20 and empty text is 0.
// A value too large for a double reads as 0.
double ParseDecimal(std::string_view text);

// A number given on the command line: the whole text is one plain decimal number in the
// notation of C ("72", "72.5", "7.25e1"), read the same under every locale. Nothing else reads:
// no blanks, no sign "+", no comma for a point, no hexadecimal, no trailing characters.
std::optional<double> StrictDecimal(std::string_view text);
// Likewise a whole number in base ten: "-3" and "010" (ten) read, "0x10", "1e2" and "1.0" do not.
std::optional<std::int64_t> StrictInteger(std::string_view text);

// The nearest integer to value, a half to the even neighbour (2.5 -> 2, 3.5 -> 4). Values
// outside the range of int64_t saturate; NaN gives 0.
// Inline: every amount of every employee is stored through it.
inline std::int64_t RoundHalfEven(double value) {
  // From 2^52 up every double is a whole number already.
  constexpr double kWholeFrom = 4503599627370496.0;  // 2^52
  if (value < kWholeFrom && value > -kWholeFrom) {
    // The floor by integer truncation; below 2^52 both the truncation and the fraction are exact.
    // Without branches: an amount times 100 lies a hair above or below its whole cents about as
    // often, which no branch predictor guesses.
    auto whole = static_cast<std::int64_t>(value);
    whole -= static_cast<std::int64_t>(static_cast<double>(whole) > value);
    const double fraction = value - static_cast<double>(whole);
    whole += static_cast<std::int64_t>(fraction > 0.5) | (static_cast<std::int64_t>(fraction == 0.5) & (whole & 1));
    return whole;
  }
  if (value != value) return 0;  // NaN
  constexpr double kLimit = 9223372036854775807.0;  // 2^63
  if (value >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (value <= -kLimit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

// Stores a decimal value as cents: value x 100, nearest integer, ties to even (0.125 -> 12).
inline Cents ToCents(double value) { return RoundHalfEven(value * 100.0); }

// The value of a cents count as a double (cents / 100.0).
inline double CentsValue(Cents cents) { return static_cast<double>(cents) / 100.0; }

// Cents up to 2^48 either way (2.8 trillion dollars): for two such amounts, taking both to
// dollars, adding or subtracting them and storing the result as cents again gives exactly their
// integer sum or difference. Each of the four roundings on the way (two quotients, the sum, the
// product by 100) is off by at most 2^-53 of its value, for such operands less than 0.2 of a cent
// in all, and the exact result is the integer nearest to anything that near it. So the running
// sums of every employee are added without a division.
inline constexpr Cents kExactCents = Cents{1} << 48;
inline bool WithinExactCents(Cents cents) { return cents <= kExactCents && cents >= -kExactCents; }

// A running sum kept in cents: the amount is added to the sum's value and the result stored as
// cents again, so every addition rounds (the liability file's months, the plan totals). An
// amount within 1/64 of a cent of whole cents (as every amount read from a record is) adds those
// cents exactly, by the reasoning above; others are evaluated.
inline Cents AddToCents(Cents sum, double amount) {
  const double scaled = amount * 100.0;
  if (WithinExactCents(sum) && scaled <= static_cast<double>(kExactCents) &&
      scaled >= -static_cast<double>(kExactCents)) {
    const Cents cents = RoundHalfEven(scaled);
    const double off = scaled - static_cast<double>(cents);
    if (off <= 1.0 / 64 && off >= -1.0 / 64) return sum + cents;
  }
  return ToCents(CentsValue(sum) + amount);
}

}  // namespace qreport
