// The stages of the report run. Those still to come do nothing yet; the run calls each in its place.
#include "run/stages.h"

#include "worksheet/worksheet_run.h"

namespace qreport {

void LoadSavedEntries(RunContext&) {}
void SaveEntries(RunContext&) {}
void ShowOptionsDialog(RunContext&) {}
void ShowShortDialog(RunContext&, std::string_view) {}
void RunWorksheet(RunContext& ctx) { RunQuarterlyWorksheet(ctx); }
void PrintForm941(RunContext&) {}
void PrintForm944(RunContext&) {}
void PrintVoucher(RunContext&) {}
void HandOffToPrinter(RunContext&, bool) {}

}  // namespace qreport
