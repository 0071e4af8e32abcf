// The checks of the current return (forms/current_return.h) and of the rates against the law,
// over the run's figures. Codes and severities (docs/checks.md):
//   return-liability-total  error    the months do not add up to line 12 (Form 944: line 9)
//   return-depositor-none   error    line 12 is $2,500 or more and no deposit schedule is chosen
//   return-left-out         error    a non-zero 7d to 7g: the current form has no line for it
//   return-advance-eic      error    a non-zero advance EIC: it ended with 2010
//   additional-medicare     warning  Additional Medicare Tax: the printed form has no line for it
//   return-overpayment      warning  the overpayment is applied to the next return, no refund
//   form-945a               warning  a Form 944 semiweekly depositor files Form 945-A with it
//   form944-quarter         warning  Form 944 for a quarter other than the fourth
//   rates-not-law           error    a social security or Medicare rate of the rates file is not
//                                    the law's for the payroll year
#pragma once

#include <vector>

#include "check/findings.h"
#include "run/report_figures.h"

namespace qreport {

// Adds the findings above for `figures` to `out`.
void CheckCurrentReturn(const ReportFigures& figures, std::vector<Finding>& out);

}  // namespace qreport
