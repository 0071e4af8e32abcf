#include "text/numbers.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qreport
