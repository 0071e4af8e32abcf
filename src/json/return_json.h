// The current return (forms/current_return.h) as JSON: what `qreport return --json` prints. Keys
// are the current form's line numbers; money is integer cents. docs/formats.md describes it and
// docs/return.schema.json holds its schema.
#pragma once

#include <nlohmann/json.hpp>

#include "forms/current_return.h"

namespace qreport {

// {"form", "year", "quarter", "payroll_year", "header", "lines", "overpayment_choice",
// "designee", "left_out"}. "lines" maps each line number to its amount (a count on 941 line 1,
// true/false on the box), a two-column line to {"column1", "column2"}, and the schedule line
// (941 "16", 944 "13") to {"schedule", "months", "total"}.
nlohmann::ordered_json CurrentReturnJson(const CurrentReturn& filed);

// "none", "under_2500", "monthly" or "semiweekly".
const char* DepositScheduleName(DepositSchedule schedule);

}  // namespace qreport
