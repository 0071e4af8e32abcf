// The return's arithmetic where the forms' pages cannot show it: the fraction-of-cents rule on
// its own, the order each form adds in beyond the exact range, and the numbering tables.
#include "forms/return_lines.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "forms/form941.h"
#include "forms/form944.h"

namespace qreport {
namespace {

TEST(FractionOfCents, SmallGapsBecomeLine7a) {
  struct Case {
    const char* what;
    Cents liability, base, adjust7a, adjust7b, line7a;
  } cases[] = {
      {"2.99 short", 100299, 100000, 0, 0, 299},
      {"2.99 over", 99701, 100000, 0, 0, -299},
      {"3.00 is not fractions of cents", 100300, 100000, 0, 0, 0},
      {"-3.00 neither", 99700, 100000, 0, 0, 0},
      {"no gap", 100000, 100000, 0, 0, 0},
      {"an entered 7a is kept", 100299, 100000, 500, 0, 500},
      {"the other adjustments count", 100299, 100000, 0, 100, 199},
      {"adjustments can open the gap", 100000, 100000, 0, -250, 250},
      {"the most negative gap is no fraction of cents", INT64_MIN, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FractionOfCents(c.liability, c.base, {c.adjust7a, c.adjust7b}), c.line7a);
  }
}

}  // namespace
}  // namespace qreport
