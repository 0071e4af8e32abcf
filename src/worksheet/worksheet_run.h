// The worksheet run: reads the client's data and writes the complete quarterly worksheet into
// "\report.txt", leaving the plan totals for the forms. Errors end the run with the module's
// message; the run itself always returns normally.
#pragma once

#include <filesystem>

#include "run/run_state.h"

namespace qreport {

inline constexpr std::string_view kReportFileName = "\\report.txt";

// The file this run's printing steps write: ctx.ReportPath, or the report file when it is empty.
std::filesystem::path ReportOutputPath(const RunContext& ctx);

// Writes the worksheet for ctx.state.DataDir. Sets PrintDevice to "P", may set PayrollDate to
// "013192" when the client gives none, and rewrites ReportDate to MM/DD/YY. When CancelRequested
// is set, clears it and writes nothing.
void RunQuarterlyWorksheet(RunContext& ctx);

// The message for a run-time error: the printer message for 24, 25, 27 and 68, otherwise
// "Error " with the number, captioned "at line  0".
void ShowRunError(Platform& platform, int number);

}  // namespace qreport
