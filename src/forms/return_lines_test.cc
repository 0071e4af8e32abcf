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

// Beyond kExactCents every addition rounds, so the order of a sum shows in the cents. Form 941
// adds line 6 and line 7h and its three months from the first; Form 944 adds line 4d, line 6f,
// then line 2, and its twelve months from 0. The expected cents were worked out apart from this
// code, in doubles, each sum from the left.
TEST(ReturnRules, EachFormAddsInItsOwnOrderBeyondTheExactRange) {
  // Rates of 100% and 0%: the payroll taxes are the social security wages themselves.
  const FormRates rates{10000, 0, 0, 0, 0};
  struct Case {
    const char* what;
    Cents withheld, taxed_wages, adjustment7b;
    std::array<Cents, 3> months;
    ReturnLine figure;
    Cents form941, form944;
  } cases[] = {
      {"taxes after adjustments", 2680366448305453, 840776, 756590, {}, ReturnLine::kTaxesAfterAdjustments,
       2680366449902820, 2680366449902819},
      {"liability total", 0, 0, 0, {3704348767047595, 444189, 935110}, ReturnLine::kLiabilityTotal,
       3704348768426894, 3704348768426896},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PayTotals pay;
    pay.income_tax_withheld = c.withheld;
    pay.ss_wages = c.taxed_wages;
    ReturnEntries entries;
    entries.adjustments[1] = c.adjustment7b;
    for (std::size_t month = 1; month <= 3; ++month) entries.liabilities[month] = c.months[month - 1];
    EXPECT_EQ(ComputeForm941Lines(pay, rates, entries, {})[c.figure], c.form941);
    EXPECT_EQ(ComputeForm944Lines(pay, rates, entries, {})[c.figure], c.form944);
  }
}

// A form's line names one figure: a number and column given twice would leave the lookup to
// whichever row came first.
TEST(ReturnNumbering, EveryLineOfAFormIsNumberedOnce) {
  for (std::span<const NumberedLine> numbering : {std::span<const NumberedLine>(kForm941Numbering),
                                                  std::span<const NumberedLine>(kForm944Numbering)}) {
    std::set<std::pair<std::string_view, int>> seen;
    for (const NumberedLine& line : numbering) {
      SCOPED_TRACE(line.number);
      EXPECT_TRUE(seen.emplace(line.number, line.column).second);
      EXPECT_EQ(FindLine(numbering, line.number, line.column), line.figure);
    }
  }
}

}  // namespace
}  // namespace qreport
