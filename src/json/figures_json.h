// The report's figures as JSON: what `qreport lines --json` prints and what any other view that
// wants the figures as data reuses. Every key is documented in docs/formats.md; money is integer
// cents (the worksheet's dollars as the page prints them, see PrintedCents), never a float.
#pragma once

#include <nlohmann/json.hpp>

#include "run/report_figures.h"

namespace qreport {

// The figures as one JSON object: path, form, quarter, year, dialog, lines, months, worksheet,
// voucher, schedule_b (and checks: the flags the forms derive from their lines). schedule_b is
// null without Form 941, else {"days": [[31 cents] x 3], "month3_other": cents, "months":
// [3 cents], "total": cents}.
nlohmann::ordered_json FiguresJson(const ReportFigures& figures);

}  // namespace qreport
