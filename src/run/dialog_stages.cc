// The stages of the report run that talk to the user: the saved entries, the two dialogs and
// the hand-off of the finished report to the printer picker and print utility.
#include <string>

#include "data/paths.h"
#include "platform/platform.h"
#include "run/dialogs.h"
#include "run/print_handoff.h"
#include "run/saved_entries.h"
#include "run/stages.h"
#include "data/report_writer.h"

namespace qreport {

void RouteDialogHandler::Notify(int id, DialogControls& dialog) {
  if (route_ == Route::kForm) {
    NotifyOptionsDialog(ctx_, id, dialog);
  } else {
    NotifyReportDateDialog(ctx_, id, dialog);
  }
}

void LoadSavedEntries(RunContext& ctx) {
  RunState& state = ctx.state;
  SavedEntries saved = LoadSavedEntriesFile(state.data_dir, ctx.platform, ctx.missing);
  if (saved.lines >= 1) state.designee_name = saved.designee_name;
  if (saved.lines >= 2) state.designee_phone = saved.designee_phone;
  if (saved.lines >= 3) state.preparer_codes = saved.preparer_codes;
  if (saved.lines >= 4) state.state_code = saved.state_code;
}

void SaveEntries(RunContext& ctx) {
  const RunState& state = ctx.state;
  // The old file stays whole; the user is told that the new entries were not kept.
  int error = WriteSavedEntriesFile(state.data_dir, {state.designee_name, state.designee_phone, state.preparer_codes, state.state_code, 4});
  if (error != 0 && !ctx.error_shown) {
    ctx.error_shown = true;
    ShowRunError(ctx.platform, error);
  }
}

void ShowOptionsDialog(RunContext& ctx) {
  DialogTable table = OptionsDialogTable(ctx.state);
  RouteDialogHandler handler(ctx, Route::kForm);
  ctx.platform.RunDialog(table, handler);
}

void ShowReportDateDialog(RunContext& ctx, std::string_view title) {
  DialogTable table = ReportDateDialogTable(ctx.state, title);
  RouteDialogHandler handler(ctx, Route::kShort);
  ctx.platform.RunDialog(table, handler);
}

void HandOffToPrinter(RunContext& ctx, bool short_route, RunOutcome& outcome) {
  std::string report_path = ResolveHostPath(ctx.state.data_dir, kReportFileName).string();
  if (ctx.report_write_failed) {
    ctx.platform.MessageBox(kDefaultCaption, std::string(kReportNotWrittenText) + report_path);
    return;
  }
  if (ctx.error_shown) {
    if (!ctx.incomplete_report.empty()) {
      ctx.platform.MessageBox(kDefaultCaption, std::string(kReportIncompleteKeptText) + ctx.incomplete_report);
    } else {
      ctx.platform.MessageBox(kDefaultCaption, std::string(kReportIncompleteText) + report_path);
    }
    return;
  }
  std::string reply = ctx.platform.PickPrinter(report_path);
  std::optional<PrinterChoice> choice = ParsePrinterReply(reply);
  if (!choice) {
    // An empty reply is the user's choice not to print; any other reply the module cannot read
    // leaves the report unprinted just the same, which a caller is told as a failure.
    if (reply.empty()) {
      outcome.hand_off = RunOutcome::HandOff::kNothingChosen;
      outcome.hand_off_problem = "no printer was chosen";
    } else {
      outcome.hand_off = RunOutcome::HandOff::kFailed;
      outcome.hand_off_problem = "the printer reply '" + reply + "' names no printer (NAME*PRINTER*FIELD3*FLAG)";
    }
    return;
  }
  std::string problem = ctx.platform.Print(BuildPrintCommand(report_path, *choice, short_route));
  outcome.hand_off = problem.empty() ? RunOutcome::HandOff::kPrinted : RunOutcome::HandOff::kFailed;
  outcome.hand_off_problem = problem;
}

}  // namespace qreport
