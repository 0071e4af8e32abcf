// The printing stages of the report run: the worksheet, the forms and the voucher.
#include "run/stages.h"

#include "worksheet/worksheet_run.h"

namespace qreport {

void RunWorksheet(RunContext& ctx) { RunQuarterlyWorksheet(ctx); }
void PrintForm941(RunContext&) {}
void PrintForm944(RunContext&) {}
void PrintVoucher(RunContext&) {}

}  // namespace qreport
