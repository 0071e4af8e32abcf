// The worksheet run: reads the client's data and writes the complete quarterly worksheet into
// "\report.txt", leaving the plan totals for the forms. A file that cannot be read or written
// ends it with a RunError; the report run shows the message.
#pragma once

#include "state/run_state.h"

namespace qreport {

// Writes the worksheet for ctx.state.DataDir. Sets PrintDevice to "P", may set PayrollDate to
// "013192" when the client gives none, and rewrites ReportDate to MM/DD/YY. When CancelRequested
// is set, clears it and writes nothing. Throws RunError.
void RunQuarterlyWorksheet(RunContext& ctx);

}  // namespace qreport
