// The figures the law fixes and no rates file holds: the Additional Medicare Tax's threshold and
// rate, and the social security and Medicare rates of each year, which a rates file is checked
// against. Pure functions; amounts in cents, rates in ten-thousandths (form_money.h).
#pragma once

#include <optional>

#include "data/employee_files.h"
#include "forms/form_money.h"

namespace qreport {

// Additional Medicare Tax: 0.9% of an employee's Medicare wages and tips for a calendar year
// above $200,000 (whatever the filing status, not indexed), withheld from the employee only,
// for wages paid in 2013 and later.
inline constexpr Cents kAdditionalMedicareThreshold = 20000000;
inline constexpr Rate kAdditionalMedicareRate = 90;
inline constexpr int kFirstAdditionalMedicareYear = 2013;

// Whether wages of `payroll_year` bear Additional Medicare Tax.
constexpr bool AdditionalMedicareTaxApplies(int payroll_year) { return payroll_year >= kFirstAdditionalMedicareYear; }

// The period an employee's pay is added up for: the quarter (Form 941) or the year (Form 944).
enum class PayPeriod { kQuarter, kYear };

// The employee's wages and tips of `period` above the threshold: for the year, the part of the
// year-to-date Medicare wages and tips above it; for the quarter, that part less the part that
// was already above it before the quarter (year to date less the quarter). 0 for an employee not
// subject to Medicare (FICA flag other than 'Y'). Every year: AdditionalMedicareTaxApplies says
// whether the return counts it.
Cents AdditionalMedicareWages(const Employee& employee, PayPeriod period);

// The social security and Medicare rates of one year, each the employee's or the employer's
// share (Medicare's are the same).
struct StatutoryRates {
  std::optional<Rate> ss_employee, ss_employer;  // none before 1990
  std::optional<Rate> medicare_each;             // none before 1986
};

// The law's rates for wages paid in `year`: social security 6.2% each since 1990, the employee's
// 4.2% in 2011 and 2012; Medicare 1.45% each since 1986.
StatutoryRates StatutoryRatesOf(int year);

// The social security tax rate of a return's column 2 for `year` (both shares together), and
// Medicare's: 0.124 and 0.029, and 0.104 in 2011 and 2012.
Rate CombinedSsRate(int year);
inline constexpr Rate kCombinedMedicareRate = 290;

// rate x amount rounded to the nearest cent, a half cent away from zero, in integers.
Cents RoundedProduct(Rate rate, Cents amount);

}  // namespace qreport
