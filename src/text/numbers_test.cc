#include "text/numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <limits>
#include <optional>
#include <string>

#include "support/fixture.h"

namespace qreport {
namespace {

TEST(ParseDecimal, ReadsTheLeadingNumberOfAText) {
  struct Case {
    const char* text;
    double want;
  } cases[] = {
      {"", 0},
      {"   ", 0},
      {"abc", 0},
      {"12abc", 12},
      {"  \t\n1234.56", 1234.56},
      {"   1234.56", 1234.56},
      {"-12.50", -12.5},
      {"    -12.50", -12.5},
      {"+7", 7},
      {".5", 0.5},
      {"-.25", -0.25},
      {"1.2.3", 1.2},
      {"1.5E2", 150},
      {"2D1", 20},
      {"2d-1", 0.2},
      {"1e", 1},
      {"1e+", 1},
      {"3E0002", 300},
      {"1,234.56", 1},
      {"$5", 0},
      {"- 5", 0},
      {"12 34", 12},
      {"1e999999", 0},
      {"1e-999999", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseDecimal(c.text), c.want);
  }
}

TEST(ParseDecimal, StopsAtAZeroByteInsideTheField) {
  EXPECT_EQ(ParseDecimal(std::string_view("12\0" "34", 5)), 12);
  EXPECT_EQ(ParseDecimal(std::string_view("8.25\0\0\0", 7)), 8.25);
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  struct Case {
    double value;
    std::int64_t want;
  } cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2},
      {2.4999999, 2}, {2.5000001, 3}, {-0.4, 0}, {1e30, INT64_MAX}, {-1e30, INT64_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(RoundHalfEven(c.value), c.want);
  }
}

TEST(ToCents, StoresValueTimesHundredHalfToEven) {
  EXPECT_EQ(ToCents(0.125), 12);   // 12.5 cents: a half goes to the even cent
  EXPECT_EQ(ToCents(0.375), 38);   // 37.5 cents
  EXPECT_EQ(ToCents(1234.56), 123456);
  EXPECT_EQ(ToCents(-12.5), -1250);
  EXPECT_EQ(ToCents(ParseDecimal("12abc")), 1200);
  EXPECT_EQ(ToCents(0), 0);
}

// A running sum adds most amounts without evaluating in doubles; what it stores must be what the
// evaluation stores, for amounts on the cent, off it by up to a few hundredths of a cent, near a
// half cent, and operands at and past the range where the short way applies.
TEST(AddToCents, StoresWhatTheSumEvaluatedInDoublesStores) {
  const double offsets[] = {0, 1e-7, -1e-7, 0.0001, -0.0001, 0.00015, -0.00015, 0.0002, 0.004, 0.005, -0.005};
  const Cents sums[] = {0, 1, -1, 123456789, -987654321012, kExactCents, -kExactCents, kExactCents + 1,
                        -kExactCents - 1, Cents{1} << 52, Cents{1} << 60};
  std::uint64_t state = 0x853C49E6748FEA9Bu;
  for (int n = 0; n < 1200; ++n) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const Cents spans[] = {100000, 100000000000, kExactCents};
    const Cents span = spans[n % 3];
    const Cents cents = static_cast<Cents>(state >> 11) % (2 * span + 1) - span;
    for (Cents sum : sums) {
      for (double offset : offsets) {
        const double amount = static_cast<double>(cents) / 100.0 + offset;
        SCOPED_TRACE(::testing::Message() << "sum " << sum << " amount " << amount);
        ASSERT_EQ(AddToCents(sum, amount), ToCents(CentsValue(sum) + amount));
        ASSERT_EQ(AddToCents(-sum, amount), ToCents(CentsValue(-sum) + amount));
      }
    }
  }
  const double odd[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(), 1e300, 2814749767106.56, -2814749767106.57};
  for (double amount : odd) {
    SCOPED_TRACE(::testing::Message() << "amount " << amount);
    EXPECT_EQ(AddToCents(5, amount), ToCents(CentsValue(5) + amount));
  }
}

TEST(StrictNumbers, ReadOnlyTextThatIsWhollyOnePlainNumber) {
  struct Case {
    const char* text;
    std::optional<double> decimal;
    std::optional<std::int64_t> integer;
  } cases[] = {
      {"150", 150, 150},
      {"-3", -3, -3},
      {"010", 10, 10},  // base ten, never octal
      {"72.5", 72.5, std::nullopt},
      {".5", 0.5, std::nullopt},
      {"7.25e1", 72.5, std::nullopt},
      {"1e+2", 100, std::nullopt},
      {"72,5", std::nullopt, std::nullopt},
      {"0x10", std::nullopt, std::nullopt},
      {"inf", std::nullopt, std::nullopt},
      {"nan", std::nullopt, std::nullopt},
      {"+5", std::nullopt, std::nullopt},
      {" 5", std::nullopt, std::nullopt},
      {"5 ", std::nullopt, std::nullopt},
      {"12abc", std::nullopt, std::nullopt},
      {"1e", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"99999999999999999999", 1e20, std::nullopt},  // too large for an integer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrictDecimal(c.text), c.decimal);
    EXPECT_EQ(StrictInteger(c.text), c.integer);
  }
}

// A locale whose decimal point is a comma, as many users' systems have. It is built with
// localedef into a temporary folder (a system need not have one installed) and made the
// numeric locale for the test's length.
class CommaDecimalLocale {
 public:
  CommaDecimalLocale() {
    std::ofstream(dir_ / "comma.def") << "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3;3\n"
                                         "END LC_NUMERIC\n";
    for (const char* category : {"LC_CTYPE", "LC_COLLATE", "LC_MONETARY", "LC_TIME", "LC_MESSAGES"}) {
      std::ofstream(dir_ / "comma.def", std::ios::app) << category << "\ncopy \"POSIX\"\nEND " << category << "\n";
    }
    // localedef warns about the categories left out, and says so in its exit status.
    std::string command = "localedef -c -f ANSI_X3.4-1968 -i '" + (dir_ / "comma.def").string() + "' '" +
                          (dir_ / "commadecimal").string() + "' >/dev/null 2>&1";
    (void)std::system(command.c_str());
    ::setenv("LOCPATH", dir_.str().c_str(), 1);
    active_ = std::setlocale(LC_NUMERIC, "commadecimal") != nullptr;
  }
  ~CommaDecimalLocale() {
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
  }
  bool active() const { return active_; }

 private:
  testing::TempDir dir_;
  bool active_ = false;
};

TEST(StrictNumbers, ReadTheSameUnderACommaDecimalLocale) {
  CommaDecimalLocale comma;
  ASSERT_TRUE(comma.active()) << "localedef (Debian's libc-bin and locales) makes the locale";
  ASSERT_EQ(std::strtod("72.5", nullptr), 72.0) << "the C library now reads a comma for the point";

  EXPECT_EQ(StrictDecimal("72.5"), 72.5);
  EXPECT_EQ(StrictDecimal("72,5"), std::nullopt);
  EXPECT_EQ(StrictInteger("1200"), 1200);
  EXPECT_EQ(ParseDecimal("1234.56"), 1234.56);
}

}  // namespace
}  // namespace qreport
