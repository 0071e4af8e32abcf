// What a preparer files from: the current return (forms/current_return.h) as JSON and as the
// filing sheet, made here for every front end (`qreport return`, batch, the web page) so that
// each shows the same return with the same words. The sheet's captions are the computation's
// own tables; its notes are the checks of the current return (check/return_checks.h).
#pragma once

#include <string>
#include <vector>

#include "check/findings.h"
#include "escp/cairo/filing_sheet.h"
#include "escp/cairo/fonts.h"
#include "forms/current_return.h"
#include "run/report_figures.h"

namespace qreport {

// `filed` as `qreport return --json` prints it: indented, ending in a newline.
std::string CurrentReturnJsonText(const CurrentReturn& filed);

// The sheet of `filed`, with each of `findings` as a note (a sentence, in the order given).
escp::FilingSheet CurrentReturnSheet(const CurrentReturn& filed, const std::vector<Finding>& findings);

// The sheet of `filed`, computed from `figures`, with the findings of the current return's checks
// over `figures` as its notes.
escp::FilingSheet CurrentReturnSheet(const ReportFigures& figures, const CurrentReturn& filed);

// The sheet as PDF bytes. Throws escp::RenderError when it cannot be drawn.
std::string CurrentReturnPdf(const escp::FilingSheet& sheet, const escp::FontSet& fonts);

}  // namespace qreport
