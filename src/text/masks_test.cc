#include "text/masks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <optional>
#include <string>

namespace qreport {
namespace {

struct Case {
  const char* mask;
  double value;
  const char* want;
};

template <std::size_t N>
void ExpectAll(const Case (&cases)[N]) {
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mask \"" << c.mask << "\" value " << c.value);
    EXPECT_EQ(FormatAmount(c.mask, c.value), c.want);
    // Formatted into a buffer that already holds text, the same bytes follow it.
    std::string buffer = "row;";
    AppendAmount(buffer, c.mask, c.value);
    EXPECT_EQ(buffer, std::string("row;") + c.want);
    // A mask read once prints the same bytes every time it is used.
    const NumberMask mask(c.mask);
    std::string twice;
    mask.AppendTo(twice, c.value);
    mask.AppendTo(twice, c.value);
    EXPECT_EQ(twice, std::string(c.want) + c.want);
  }
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FormatAmountMask, ModuleMasksFillTheirExactWidth) {
  const Case cases[] = {
      {"#,###,###.##", 1234.5, "    1,234.50"},
      {"#,###,###.##", 0, "        0.00"},
      {"#,###,###.##", 1234567.891, "1,234,567.89"},
      {"###,###.##", 1234.5, "  1,234.50"},
      {"###,###.##", 0, "      0.00"},
      {"###,###.##", 0.25, "      0.25"},
      {"###,###.##", 999999.99, "999,999.99"},
      {"  ###.## ", 6.2, "    6.20 "},
      {"  ###.## ", 123.45, "  123.45 "},
      {"#####", 12, "   12"},
      {"#####", 12345, "12345"},
      {"#.00", 0.5, "0.50"},
      {"#.00", 0, "0.00"},
      {"##,###,###,###", 1234567890, " 1,234,567,890"},
      {"###########", 5, "          5"},
      {"###########", 12345678901, "12345678901"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, NegativeValuesInEveryModuleMask) {
  const Case cases[] = {
      {"#,###,###.##", -1234.5, "   -1,234.50"},
      {"###,###.##", -1234.5, " -1,234.50"},
      {"  ###.## ", -6.2, "   -6.20 "},
      {"#####", -12, "  -12"},
      {"#.00", -0.5, "-0.50"},
      {"##,###,###,###", -1, "            -1"},
      {"##,###,###,###", -1234567890, "-1,234,567,890"},
      {"###########", -5, "         -5"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, TooNarrowFieldWidensLeftByTheMissingPositions) {
  const Case cases[] = {
      {"###,###.##", 1234567.891, "1,234,567.89"},
      {"#.00", 1234.5, "1234.50"},
      {"#####", 123456, "123456"},
      {"##,###,###,###", 1234567890123, "1,234,567,890,123"},
      // The widened value needs more separators than the mask shows.
      {"#,###", 1234567, "1,234,567"},
      {"#,###,###.##", 999999999999.99, "999,999,999,999.99"},
      {"#,###,###.##", 1e17, "100,000,000,000,000,000.00"},
      {"  ###.## ", 1234.5, "  1234.50 "},
      {"###########", 123456789012.7, "123456789013"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, NegativeFillingAllPositionsWidensByOneForTheSign) {
  const Case cases[] = {
      {"#####", -12345, "-12345"},
      {"###,###.##", -999999.99, "-999,999.99"},
      {"###,###.##", -1234567.891, "-1,234,567.89"},
      {"  ###.## ", -123.45, "  -123.45 "},
      {"###########", -12345678901, "-12345678901"},
      {"#.00", -1234.5, "-1234.50"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, RoundsHalfAwayFromZeroOnTheDoublesDecimalDigits) {
  const Case cases[] = {
      {"###.##", 2.125, "  2.13"},   // exact half
      {"###.##", -2.125, " -2.13"},
      {"###.##", 0.125, "  0.13"},
      {"###.##", 2.345, "  2.35"},   // the double is 2.34500000000000019...
      {"###.##", 1.345, "  1.34"},   // the double is 1.34499999999999997...
      {"###.##", 2.675, "  2.67"},   // 2.67499999999999982...
      {"###.##", 9.995, "  9.99"},   // 9.99499999999999922...
      {"###.##", 1.005, "  1.00"},   // 1.00499999999999989...
      {"###.##", 0.015, "  0.01"},   // 0.01499999999999999944...
      {"###.##", 0.005, "  0.01"},   // 0.00500000000000000010...
      {"#####", 12.5, "   13"},
      {"#####", -12.5, "  -13"},
      {"#####", 12.49, "   12"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, RoundingWorksOnEighteenDigitsNotOnTheExactBinaryValue) {
  // 1.0000000000000075 is exactly 1.00000000000000754952...: rounded to 18 digits it is
  // 1.00000000000000755, whose 17th decimal 5 rounds the 16th up.
  EXPECT_EQ(FormatAmount("#.################", 1.0000000000000075), "1.0000000000000076");
  // Decimals past the 18 digits are zeros, not the rest of the binary expansion.
  EXPECT_EQ(FormatAmount("#.####################", 0.1), "0.10000000000000000600");
}

TEST(FormatAmountMask, CarryOutOfTheTopDigitAddsADigit) {
  const Case cases[] = {
      {"###,###.##", 999.999, "  1,000.00"},
      {"###,###.##", 999999.999, "1,000,000.00"},
      {"###.##", 9.996, " 10.00"},
      {"###.##", 99.995, "100.00"},  // 99.99500000000000454...
      {"#.##", 9.999, "10.00"},
      {"#####", 99999.5, "100000"},
      {"#####", -99999.5, "-100000"},
      // Rounding up from no kept digit at all.
      {"#.##", 0.009, "0.01"},
      {"#", 0.5, "1"},
      {"#", 0.49, "0"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, NegativeRoundingToZeroKeepsItsSignButMinusZeroDoesNot) {
  const Case cases[] = {
      {"###.##", -0.004, " -0.00"},
      {"###.##", -0.005, " -0.01"},
      {"###.##", 0.004, "  0.00"},
      {"###.##", -1e-300, " -0.00"},
      {"###.##", -0.0, "  0.00"},
      {"#####", -0.0, "    0"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, ZeroWholePartShowsOneZeroOnlyWhenTheFieldHasIntegerPositions) {
  const Case cases[] = {
      {".##", 0.5, ".50"},
      {".##", 1.5, "1.50"},
      {".##", -0.5, "-.50"},
      {"#.##", 0.5, "0.50"},
      {"#####", 0.4, "    0"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, AZeroPlaceholderAnywhereMakesTheFillZero) {
  const Case cases[] = {
      {"###.00", 1.5, "001.50"},
      {"000", 7, "007"},
      {"#,##0", 5, "00005"},  // fill characters are not grouped
      {"#,##0", 1234, "1,234"},
      {"00000", 123456, "123456"},
      {"###.00", -1.5, "0-1.50"},  // the fill stands left of the sign
      {"  ###.00 ", 6.2, "  006.20 "},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, LiteralsStayInPlaceAroundTheField) {
  const Case cases[] = {
      {"$#,###.##", 1234.5, "$1,234.50"},
      {"Total: ###.## USD.", 12.5, "Total:  12.50 USD."},
      {"(###)", -5, "( -5)"},
      {"##.##.", 12.5, "12.50."},          // a second point is text
      {"###.", 12.5, " 13."},             // a point without digits after it is text
      {"###.##, next", 1.5, "  1.50, next"},  // a comma after the point is text
      {"A, B ###", 5, "A, B   5"},        // a lone comma is text
      {"### of ###", 7, "  7 of ###"},    // only the first field takes the value
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, LongLiteralsAndWideFieldsKeepEveryByte) {
  const Case cases[] = {
      {"Total amount due for the quarter ending: #,###.## (see line 12 of the return)", 1234.5,
       "Total amount due for the quarter ending: 1,234.50 (see line 12 of the return)"},
      {"##################################################.##", 7.25,
       "                                                 7.25"},
      {"00000000000000000000000000000000000000000000000000", -42,
       "00000000000000000000000000000000000000000000000-42"},
      {"#.##################################################", 0.5,
       "0.50000000000000000000000000000000000000000000000000"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, BackslashMakesTheNextCharacterLiteral) {
  const Case cases[] = {
      {"\\####", 5, "#  5"},
      {"###\\.##", 12.5, " 13.##"},
      {"\\\\###", 5, "\\  5"},
      {"Form 94\\0 ###", 5, "Form 940   5"},
      {"#\\;#", -5, "-5;#"},  // an escaped ";" does not start a section
      {"###\\", 5, "  5\\"},  // a trailing backslash has nothing to escape and is kept
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, SectionsForPositiveNegativeAndZero) {
  const Case cases[] = {
      {"#,###.##;(#,###.##);nil", 1234.5, "1,234.50"},
      {"#,###.##;(#,###.##);nil", 12.5, "   12.50"},
      // The negative section prints the magnitude; its text supplies the sign.
      {"#,###.##;(#,###.##);nil", -1234.5, "(1,234.50)"},
      {"#,###.##;(#,###.##);nil", -12.5, "(   12.50)"},
      {"#,###.##;(#,###.##);nil", 0, "nil"},
      {"#,###.##;(#,###.##);nil", -0.0, "nil"},
      // The section is chosen by the value before rounding.
      {"#,###.##;(#,###.##);nil", 0.001, "    0.00"},
      {"#.##;(#.##)", -0.004, "(0.00)"},
      // Two sections: zero takes the first.
      {"###.##;###.##CR", -5, "  5.00CR"},
      {"###.##;###.##CR", 0, "  0.00"},
      {"###.##;###.##CR", 5, "  5.00"},
      {"#;-#;z;ignored", 0, "z"},
      {"#;-#;z;ignored", -3, "-3"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, EmptyMaskOrSectionGivesThePlainNumber) {
  const Case cases[] = {
      {"", 1234.5, "1234.5"},
      {"", 7, "7"},
      {"", -7, "-7"},
      {"", 0, "0"},
      {"", -0.0, "0"},
      {"#.##;", -7, "-7"},  // an empty negative section still shows the sign
      {"#.##;", 7, "7.00"},
      {"#.##;-#.##;", 0, "0"},
      {";-#.##", 2.5, "2.5"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, SectionWithoutFieldStillShowsTheAmountUnlessItIsTheZeroSection) {
  const Case cases[] = {
      {"Total: ", 1234, "Total: 1234"},
      {"Total: ", -12.5, "Total: -13"},
      {"#.##;owed ", -12.5, "owed 13"},
      {"#.##;-#.##;--", 0, "--"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, ValuesBeyondEighteenDigitsUseTheExponentForm) {
  const Case cases[] = {
      {"#,###,###.##", 999999999999999872.0, "999,999,999,999,999,872.00"},  // largest below 1e18
      {"#,###,###.##", 1e18, "       1E+18"},
      {"#,###,###.##", -1e18, "      -1E+18"},
      {"#", 1.2345678901234568e20, "1.23456789012345684E+20"},
      {"#", 1.7976931348623157e308, "1.79769313486231571E+308"},
      {"#.##;(#.##)", -1e20, "(1E+20)"},
      {"0000000", 1e18, "  1E+18"},  // no zero fill in front of an exponent
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, TinyValuesRoundToZero) {
  const Case cases[] = {
      {"#.##", 1e-300, "0.00"},
      {"#.##", 5e-324, "0.00"},
      {"#", 1e-5, "0"},
  };
  ExpectAll(cases);
}

TEST(FormatAmountMask, NaNAndInfinityGiveTextInsteadOfDigits) {
  const Case cases[] = {
      {"#,###,###.##", kNaN, "         NaN"},
      {"#,###,###.##", kInf, "         INF"},
      {"#,###,###.##", -kInf, "        -INF"},
      {"#.##;(#.##)", -kInf, "( INF)"},
      {"#.##;(#.##);zero", kNaN, " NaN"},
      {"#", kInf, "INF"},
      {"", kNaN, "NaN"},
      {"", -kInf, "-INF"},
  };
  ExpectAll(cases);
}

// Whole cents divided by 100 are never near a rounding half, so the printed amount must be the
// exact cents, with the layout built here independently from integers.
TEST(FormatAmountMask, WholeCentsPrintExactlyAcrossTheMoneyRange) {
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  for (int n = 0; n < 5000; ++n) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const std::int64_t span = n % 2 ? 100000000000 : 100000;  // up to 1e9 or 1e3 units
    const std::int64_t cents = static_cast<std::int64_t>(state >> 11) % (2 * span + 1) - span;
    const std::uint64_t magnitude = static_cast<std::uint64_t>(cents < 0 ? -cents : cents);

    std::string whole = std::to_string(magnitude / 100);
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(i, ",");
    const std::uint64_t fraction = magnitude % 100;
    std::string want = (cents < 0 ? "-" : "") + whole + "." +
                       static_cast<char>('0' + fraction / 10) + static_cast<char>('0' + fraction % 10);
    if (want.size() < 12) want.insert(0, 12 - want.size(), ' ');

    SCOPED_TRACE(testing::Message() << "cents " << cents);
    ASSERT_EQ(FormatAmount("#,###,###.##", static_cast<double>(cents) / 100.0), want);
  }
}

// The cents an amount rounds to, half away from zero, worked out exactly from the double's bits
// (mantissa x 2^exponent, times 100, in 128-bit integers): independent of the masks' own digits.
// Empty when the amount lies so near a half cent that the masks' rounding on eighteen significant
// digits (off the exact value by up to 5e-16 of the amount) may go the other way.
std::optional<std::int64_t> ExactCents(double dollars) {
  int exponent = 0;
  const double mantissa = std::frexp(std::fabs(dollars), &exponent);  // [0.5, 1) x 2^exponent
  const auto m = static_cast<unsigned __int128>(std::ldexp(mantissa, 53));  // 53-bit integer
  const int shift = 53 - exponent;  // |dollars| = m / 2^shift
  if (shift <= 0 || shift > 120) return std::nullopt;
  const unsigned __int128 scaled = m * 100;
  const unsigned __int128 unit = static_cast<unsigned __int128>(1) << shift;
  auto cents = static_cast<std::int64_t>(scaled >> shift);
  const unsigned __int128 rest = scaled & (unit - 1);
  const double from_half = std::fabs(static_cast<double>(rest) / static_cast<double>(unit) - 0.5);
  if (from_half < 1e-15 * std::fabs(dollars) * 100 + 1e-12) return std::nullopt;
  if (2 * rest > unit) ++cents;
  return dollars < 0 ? -cents : cents;
}

// Amounts a little off the cent, as sums and differences of dollars in doubles are (the room under
// a wage base, a quarter's wages plus tips), and amounts near the half cent: printed as the exact
// rounding says, by the worksheet's two masks that are all field and by one with literals around
// it (the same field, printed by the general rule). Whole parts around the masks' widths, with and
// without a sign, are among them.
TEST(FormatAmountMask, AmountsOffTheCentPrintTheirExactlyRoundedCents) {
  const double offsets[] = {0, 1e-9, -1e-9, 1e-6, -1e-6, 0.0004, -0.0004, 0.0025, -0.0025,
                            0.0049, -0.0049, 0.00499999, 0.0051, -0.0051, 0.005, -0.005};
  std::uint64_t state = 0x2545F4914F6CDD1Du;
  for (int n = 0; n < 4000; ++n) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const std::int64_t spans[] = {100000, 100000000, 900000000000000, 1000000000, 100000000};
    const std::int64_t span = spans[n % 5];
    const std::int64_t base = static_cast<std::int64_t>(state >> 11) % (2 * span + 1) - span;
    for (double offset : offsets) {
      double dollars = static_cast<double>(base) / 100.0 + offset;
      if (n % 7 == 0) dollars = std::nextafter(dollars, dollars > 0 ? 1e300 : -1e300);
      const std::optional<std::int64_t> cents = ExactCents(dollars);
      if (!cents) continue;
      const std::uint64_t magnitude = static_cast<std::uint64_t>(*cents < 0 ? -*cents : *cents);
      std::string whole = std::to_string(magnitude / 100);
      for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(i, ",");
      const std::uint64_t fraction = magnitude % 100;
      // A negative amount that rounds to no cents keeps its sign, as the masks print it.
      std::string want = (dollars < 0 ? "-" : "") + whole + "." + static_cast<char>('0' + fraction / 10) +
                         static_cast<char>('0' + fraction % 10);
      auto in_width = [&want](std::size_t width) {
        return want.size() < width ? std::string(width - want.size(), ' ') + want : want;
      };

      SCOPED_TRACE(testing::Message() << std::setprecision(17) << "dollars " << dollars);
      ASSERT_EQ(FormatAmount("#,###,###.##", dollars), in_width(12));
      ASSERT_EQ(FormatAmount("###,###.##", dollars), in_width(10));
      ASSERT_EQ(FormatAmount("[#,###,###.##]", dollars), "[" + in_width(12) + "]");
    }
  }
}

TEST(NumberText, SignPlaceThenDigits) {
  const struct {
    double value;
    const char* want;
  } cases[] = {
      {1, " 1"},
      {53, " 53"},
      {-7, "-7"},
      {0, " 0"},
      {-0.0, " 0"},
      {2.5, " 2.5"},
      {-0.1, "-0.1"},
      {1234.5, " 1234.5"},
      {12345678901234.56, " 12345678901234.6"},  // at most 15 significant digits
      {0.1 + 0.2, " 0.3"},
      {576460752303423488.0, " 576460752303423488"},  // a whole number prints every digit
      {1e20, " 1E+20"},
      {1e-7, " 1E-07"},
      {kNaN, " NaN"},
      {kInf, " INF"},
      {-kInf, "-INF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "value " << c.value);
    EXPECT_EQ(NumberText(c.value), c.want);
  }
}

// The cents of an amount held in dollars are the cents its two-decimal mask prints (half away
// from zero on the decimal digits, as the masks round), not those of a binary product.
TEST(PrintedCents, ReadsAsTheTwoDecimalMaskPrints) {
  struct Case {
    double value;
    Cents cents;
  } cases[] = {{0, 0},           {0.125, 13},   {-0.125, -13},  {-0.004, 0}, {12345678.9, 1234567890},
               {1.005, 100},  // the double is 1.00499999999999989...
               {2.675, 267},   {1e15, 100000000000000000}};
  for (const Case& c : cases) EXPECT_EQ(PrintedCents(c.value), c.cents) << c.value;
}

}  // namespace
}  // namespace qreport
