// The current return (forms/current_return.h) of a run's figures: the one computation every
// front end shows it from (`qreport return`, check), built from the printed form's lines.
#pragma once

#include <optional>

#include "forms/current_return.h"
#include "run/report_figures.h"

namespace qreport {

// The payroll date's year, "20" and its last two digits, as Form 944's heading prints it: the
// year whose law (rates, Additional Medicare Tax) the wages fall under.
int PayrollYearOf(const RunState& state);

// The current return of `figures`: Form 941's when it was computed (the quarter's), else Form
// 944's; none when the run computed no form (a cancelled dialog, the short route).
std::optional<CurrentReturn> CurrentReturnOf(const ReportFigures& figures);

}  // namespace qreport
