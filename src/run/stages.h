// The later stages of a report run, each over the one context of the call: saved entries,
// dialogs, the worksheet, the forms, the voucher and the hand-off to the print utility.
#pragma once

#include <span>
#include <string_view>

#include "forms/schedule_b.h"
#include "platform/dialog.h"
#include "run/report_figures.h"
#include "run/report_run.h"
#include "state/run_state.h"

namespace qreport {

class WorksheetPrinting;

// Loads "\save941.info" into the designee, preparer and state texts.
void LoadSavedEntries(RunContext& ctx);
// Writes the four texts back to "\save941.info"; a save that fails shows the write-failure
// message and keeps the old file whole.
void SaveEntries(RunContext& ctx);
// The rule of the route's dialog over the run's values, whoever shows the dialog (a terminal, a
// Win32 window, an answers file, the web page): the options dialog's on the form route, the
// report date dialog's on the short route.
class RouteDialogHandler final : public DialogHandler {
 public:
  RouteDialogHandler(RunContext& ctx, Route route) : ctx_(ctx), route_(route) {}
  void Notify(int id, DialogControls& dialog) override;

 private:
  RunContext& ctx_;
  Route route_;
};

// The options dialog of the form route; copies every control into the state as the user types.
void ShowOptionsDialog(RunContext& ctx);
// The report date dialog of the short route, with its title.
void ShowReportDateDialog(RunContext& ctx, std::string_view title);
// Starts this run's report: a new temporary file beside "\report.txt" that the printing steps
// write (ctx.report_path). In a folder where no file can be created, the steps write the report
// file itself, as long as it is a regular file. False when neither can be written: the error
// has then been shown when `show_error` is set.
bool BeginReport(RunContext& ctx, bool show_error);
// Ends this run's report after its printing: when every write succeeded the temporary file,
// synced, replaces "\report.txt", or, when a part could not be read (ctx.report_read_failed),
// "\report.incomplete.txt", leaving the report file as it was; otherwise it is removed and the
// report file stays as it was.
void FinishReport(RunContext& ctx);
// Writes the quarterly worksheet into the run's report and leaves the plan totals; a file
// that cannot be read or written ends it with the module's error message. The worksheet's
// figures (or the error's number) go to `figures` when it is given, its employees also to `sinks`.
void RunWorksheet(RunContext& ctx, ReportFigures* figures = nullptr, std::span<WorksheetSink* const> sinks = {});
// Append the chosen form's two pages and the payment voucher to "\report.txt".
void PrintForm941(RunContext& ctx);
void PrintForm944(RunContext& ctx);
void PrintVoucher(RunContext& ctx);
// Prints the computed parts of the form route into the run's report: the worksheet's totals and
// recap after the lines `worksheet` printed during the pass (or, when the pass could not read its
// files, the error's message and no part of the worksheet), the chosen form and the voucher.
void PrintFormRouteParts(RunContext& ctx, const ReportFigures& figures, WorksheetPrinting& worksheet);
// The form route once its dialog has ended, into the run's report: the parts computed into
// `figures` (the worksheet's lines printed as its pass makes them, and handed to `sinks`), then
// printed. The run session, the form tests and the benchmark all print through this one call.
void ComputeAndPrintFormRouteParts(RunContext& ctx, ReportFigures& figures, std::span<WorksheetSink* const> sinks = {});

// The messages of a report that is not handed on; the report file's path follows each.
inline constexpr std::string_view kReportIncompleteText =
    "The report is incomplete and was not sent to the printer. Its pages are in ";
inline constexpr std::string_view kReportIncompleteKeptText =
    "The report is incomplete and was not sent to the printer; the last report was left as it was. The incomplete "
    "pages are in ";
inline constexpr std::string_view kReportNotWrittenText =
    "The new report could not be written and was not sent to the printer. The report file was left as it was: ";

// Asks for a printer and hands the report to the print utility ("/FP" on the short route); notes
// in `outcome` whether it was handed on, and if not, why. A report the run found incomplete (an
// error message was shown) is not handed on: one more message says so and names the file that
// holds it (the side file when a read failed).
void HandOffToPrinter(RunContext& ctx, bool short_route, RunOutcome& outcome);
// Writes Schedule B into "\scheduleb.txt" beside the report when the semiweekly depositor box
// is checked and Form 941 was printed, and records in schedule_b_result what it did; the file is
// replaced whole, never written through a link. A failure shows a message and touches nothing
// of the report.
void WriteScheduleB(RunContext& ctx);
// Replaces the client folder's "\scheduleb.txt" with the page of `schedule_b`, as WriteScheduleB
// does (a front end that shows a finished report writes it the same way). Throws RunError.
void WriteScheduleBFile(std::string_view data_dir, const ScheduleB& schedule_b);

// The message for a run-time error: "Error " with the number, captioned "at line  0". The
// numbers are those of src/data/errors.h; printing reports its problems through the platform.
void ShowRunError(Platform& platform, int number);

}  // namespace qreport
