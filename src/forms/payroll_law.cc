#include "forms/payroll_law.h"

namespace qreport {

namespace {

Cents AboveThreshold(Cents pay) { return pay > kAdditionalMedicareThreshold ? pay - kAdditionalMedicareThreshold : 0; }

}  // namespace

Cents AdditionalMedicareWages(const Employee& employee, PayPeriod period) {
  if (employee.fica_flag != 'Y') return 0;
  const Cents year_pay = ToCents(employee.amounts_ytd[kWages]) + ToCents(employee.amounts_ytd[kTips]);
  if (period == PayPeriod::kYear) return AboveThreshold(year_pay);
  const Cents quarter_pay = ToCents(employee.amounts_qtd[kWages]) + ToCents(employee.amounts_qtd[kTips]);
  return AboveThreshold(year_pay) - AboveThreshold(year_pay - quarter_pay);
}

StatutoryRates StatutoryRatesOf(int year) {
  StatutoryRates rates;
  if (year >= 1990) {
    rates.ss_employer = 620;
    rates.ss_employee = year == 2011 || year == 2012 ? 420 : 620;
  }
  if (year >= 1986) rates.medicare_each = 145;
  return rates;
}

Rate CombinedSsRate(int year) { return year == 2011 || year == 2012 ? 1040 : 1240; }

Cents RoundedProduct(Rate rate, Cents amount) {
  const std::int64_t product = rate * amount;
  std::int64_t cents = product / 10000;
  const std::int64_t rest = product % 10000;
  if (2 * rest >= 10000) ++cents;
  if (2 * rest <= -10000) --cents;
  return cents;
}

}  // namespace qreport
