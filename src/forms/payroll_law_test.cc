// The law's figures: Additional Medicare Tax per employee and the rounding of a return's column 2.
#include "forms/payroll_law.h"

#include <gtest/gtest.h>

#include "support/fixture.h"

namespace qreport {
namespace {

using testing::DecodedEmployee;

TEST(AdditionalMedicareWages, CountsOnlyThePartAboveTheThresholdThisPeriod) {
  struct Case {
    const char* name;
    double quarter_wages, quarter_tips, year_wages, year_tips;
    char fica_flag;
    Cents quarter, year;
  } cases[] = {
      {"below the threshold", 40000, 0, 120000, 0, 'Y', 0, 0},
      {"exactly at the threshold", 50000, 0, 200000, 0, 'Y', 0, 0},
      {"crosses it in the quarter", 90000, 0, 270000, 0, 'Y', 7000000, 7000000},
      {"above it before the quarter", 50000, 0, 300000, 0, 'Y', 5000000, 10000000},
      // Tips are Medicare wages: they carry the employee over the threshold.
      {"tips carry it over", 20000, 5000, 190000, 15000, 'Y', 500000, 500000},
      {"not subject to Medicare", 90000, 0, 270000, 0, 'N', 0, 0},
      {"a lower-case flag is not the flag", 90000, 0, 270000, 0, 'y', 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Employee e = DecodedEmployee(c.quarter_wages, c.quarter_tips, c.year_wages, c.year_tips, c.fica_flag);
    EXPECT_EQ(AdditionalMedicareWages(e, PayPeriod::kQuarter), c.quarter);
    EXPECT_EQ(AdditionalMedicareWages(e, PayPeriod::kYear), c.year);
  }
  EXPECT_FALSE(AdditionalMedicareTaxApplies(2012));
  EXPECT_TRUE(AdditionalMedicareTaxApplies(2013));
}

TEST(RoundedProduct, RoundsHalfACentAwayFromZero) {
  struct Case {
    Rate rate;
    Cents amount, want;
  } cases[] = {
      {290, 500, 15},      // 0.145: half up, where half to even would give 0.14
      {290, -500, -15},
      {90, 5000, 45},      // 0.45 exactly
      {1240, 1, 0},        // 0.00124
      {1240, 9000000000, 1116000000},
      {90, 7000000, 63000},  // 0.9% of $70,000.00
  };
  for (const Case& c : cases) EXPECT_EQ(RoundedProduct(c.rate, c.amount), c.want) << c.rate << " x " << c.amount;
}

TEST(StatutoryRates, FollowTheLawYearByYear) {
  EXPECT_EQ(StatutoryRatesOf(2026).ss_employee, 620);
  EXPECT_EQ(StatutoryRatesOf(2012).ss_employee, 420);
  EXPECT_EQ(StatutoryRatesOf(2011).ss_employer, 620);
  EXPECT_EQ(StatutoryRatesOf(1989).ss_employee, std::nullopt);
  EXPECT_EQ(StatutoryRatesOf(1986).medicare_each, 145);
  EXPECT_EQ(StatutoryRatesOf(1985).medicare_each, std::nullopt);
  EXPECT_EQ(CombinedSsRate(2012), 1040);
  EXPECT_EQ(CombinedSsRate(2013), 1240);
}

}  // namespace
}  // namespace qreport
