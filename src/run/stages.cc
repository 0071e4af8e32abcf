// The printing stages of the report run: the worksheet, the forms and the voucher.
#include "run/stages.h"

#include "data/errors.h"
#include "data/paths.h"
#include "forms/form_prints.h"
#include "worksheet/worksheet_run.h"

namespace qreport {
namespace {

// Runs one form-path printing step on the report file. A report file that cannot be written is
// shown with the module's error message, so that a report missing its form is never handed on
// in silence; a run shows that message once, however many steps then fail on the same file.
void AppendStep(RunContext& ctx, void (*step)(RunContext&, const std::filesystem::path&)) {
  try {
    step(ctx, ResolveHostPath(ctx.state.DataDir, kReportFileName));
  } catch (const RunError& error) {
    if (!ctx.ErrorShown) {
      ctx.ErrorShown = true;
      ShowRunError(ctx.platform, error.number());
    }
  }
}

}  // namespace

void RunWorksheet(RunContext& ctx) { RunQuarterlyWorksheet(ctx); }
void PrintForm941(RunContext& ctx) { AppendStep(ctx, PrintForm941Facsimile); }
void PrintForm944(RunContext& ctx) { AppendStep(ctx, PrintForm944Facsimile); }
void PrintVoucher(RunContext& ctx) { AppendStep(ctx, PrintPaymentVoucher); }

}  // namespace qreport
