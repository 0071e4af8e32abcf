// The printing stages of the report run: the worksheet, the forms and the voucher.
#include "run/stages.h"

#include "data/errors.h"
#include "data/paths.h"
#include "data/report_writer.h"
#include "forms/form_prints.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "text/masks.h"
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

void ShowRunError(Platform& platform, int number) {
  if (number == 24 || number == 25 || number == 27 || number == 68) {
    platform.MessageBox(kDefaultCaption, "PRINTER ERROR -- CHECK LPT -- Click OK to Exit ");
  } else {
    platform.MessageBox("at line " + NumberText(0), "Error " + NumberText(number));
  }
}

void RunWorksheet(RunContext& ctx) {
  try {
    RunQuarterlyWorksheet(ctx);
  } catch (const RunError& error) {
    ctx.ErrorShown = true;
    ShowRunError(ctx.platform, error.number());
  }
}
void PrintFormPathParts(RunContext& ctx, const ReportFigures& figures) {
  RunState& s = ctx.state;
  std::filesystem::path report = ResolveHostPath(s.DataDir, kReportFileName);
  try {
    if (figures.worksheet_error) throw RunError(*figures.worksheet_error, "worksheet");
    if (figures.worksheet) PrintWorksheet(*figures.worksheet, s, report);
  } catch (const RunError& error) {
    ctx.ErrorShown = true;
    ShowRunError(ctx.platform, error.number());
  }
  auto step = [&](auto append, const auto& page) {
    try {
      append(page, report);
    } catch (const RunError& error) {
      if (!ctx.ErrorShown) {
        ctx.ErrorShown = true;
        ShowRunError(ctx.platform, error.number());
      }
    }
  };
  if (figures.form941) step(AppendForm941, *figures.form941);
  if (figures.form944) step(AppendForm944, *figures.form944);
  if (figures.voucher) step(AppendVoucher, *figures.voucher);
}

void PrintForm941(RunContext& ctx) { AppendStep(ctx, PrintForm941Facsimile); }
void PrintForm944(RunContext& ctx) { AppendStep(ctx, PrintForm944Facsimile); }
void PrintVoucher(RunContext& ctx) { AppendStep(ctx, PrintPaymentVoucher); }

}  // namespace qreport
