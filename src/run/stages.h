// The later stages of a report run, each over the one context of the call: saved entries,
// dialogs, the worksheet, the forms, the voucher and the hand-off to the print utility.
#pragma once

#include <string_view>

#include "run/report_run.h"
#include "state/run_state.h"

namespace qreport {

struct ReportFigures;

// Loads "\save941.info" into the designee, preparer and state texts.
void LoadSavedEntries(RunContext& ctx);
// Writes the four texts back to "\save941.info".
void SaveEntries(RunContext& ctx);
// The options dialog of the form path; copies every control into the state as the user types.
void ShowOptionsDialog(RunContext& ctx);
// The report date dialog of the short path, with its title.
void ShowShortDialog(RunContext& ctx, std::string_view title);
// Writes the quarterly worksheet into a new "\report.txt" and leaves the plan totals; a file
// that cannot be read or written ends it with the module's error message.
void RunWorksheet(RunContext& ctx);
// Append the chosen form's two pages and the payment voucher to "\report.txt".
void PrintForm941(RunContext& ctx);
void PrintForm944(RunContext& ctx);
void PrintVoucher(RunContext& ctx);
// Prints the computed parts of the form path into "\report.txt": the worksheet (or the message of
// the error that kept it from being computed), the chosen form and the voucher.
void PrintFormPathParts(RunContext& ctx, const ReportFigures& figures);
// Asks for a printer and hands the report to the print utility ("/FP" on the short path); notes
// in `outcome` whether it was handed on, and if not, why.
void HandOffToPrinter(RunContext& ctx, bool short_path, RunOutcome& outcome);

// The message for a run-time error: the printer message for 24, 25, 27 and 68, otherwise
// "Error " with the number, captioned "at line  0".
void ShowRunError(Platform& platform, int number);

}  // namespace qreport
