// The run session: one run of the report for one client, the one place that sequences it. Every
// front end drives a session: the host's QREPORTPROC and `qreport run` through RunReport, the
// commands that only look at the figures (`lines`, `check`, `inspect`'s figures) through
// ComputeClientFigures, batch and the web page directly.
//
// A session opens the client once (the client file, and on the form route the quarter's
// liabilities and the saved entries), builds the dialog of its route, applies the dialog's
// events (shown by the platform: a terminal, a Win32 window, an answers file; or sent one by one
// through handler() by the web page) and computes the figures once. A report run then prints
// from the same pass that computes them: the worksheet's lines as the pass makes them, the other
// parts from the computed figures. Checks, JSON and the batch's outputs are views of the same
// figures and of the sinks that saw the pass.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"
#include "platform/files.h"
#include "run/report_figures.h"
#include "run/report_run.h"
#include "run/stages.h"
#include "state/run_state.h"

namespace qreport {

class Platform;

// What a front end asks of a session.
struct RunSetup {
  std::string data_dir;     // the client folder
  std::string rates_dir;    // the rates folder (rates file, letterhead); empty: the current folder
  std::string report_kind = "941";  // as the host passes it
  // The answers file the front end's platform plays the dialog from (AnswersFileFor), or empty.
  // The session checks it strictly when it opens (AnswersFileErrors): a file with errors is not
  // played and nothing is computed from it.
  std::string answers_file;
  // The form chosen on the command line: 941 or 944 checks the options dialog's Print 941 or
  // Print 944 box after the dialog, through the dialog's own rule for that box, so it wins over
  // what the answers set; 0 leaves the dialog's choice. The short route has no such box.
  int form = 0;
  // A report run creates missing record files empty, as the host does, and writes the saved
  // entries and the report; a session that only looks at the figures writes nothing anywhere
  // and reads a missing record file as empty.
  bool writes_report = true;
  bool schedule_b = false;  // a report run also writes "\scheduleb.txt" (WriteScheduleB)
};

// The name of a client folder's own answers file.
inline constexpr std::string_view kAnswersFileName = "answers";

// The answers file every command plays a client's dialog from, by one rule: the one given
// (--answers, or $QREPORT_ANSWERS), else the client folder's own "answers" file when there is
// one, else none (the saved entries and the dialog's first values).
std::string AnswersFileFor(std::string_view data_dir, std::string_view given);

// The folder every command reads the rates file and the letterhead file from, by one rule: the
// one given (--rates-dir), else the client folder when it holds a rates file, else the current
// folder (the host's own rule), given as the empty text.
std::string RatesFolderFor(std::string_view data_dir, std::string_view given);

// The note a command prints on standard error when the rates file it reads is not the client
// folder's own: "note: the rates file is PATH (not in the client folder)". Empty when it is.
std::string RatesFileNote(std::string_view data_dir, std::string_view rates_dir);

// Why the form route's social security and Medicare taxes would be wrong with the rates folder
// `rates_dir` (empty: the current folder): no rates file, an empty one, or a social security or
// Medicare rate of 0, in one line naming the folder searched. Empty when the rates are usable.
std::string RatesProblem(std::string_view data_dir, std::string_view rates_dir);

class RunSession {
 public:
  // Opens the client. A session that writes the report holds the client folder's lock from here
  // to its end, so that a second run of the same folder waits, and first removes what a killed
  // run left behind there. A file the run cannot read leaves its values as they were.
  RunSession(RunSetup setup, Platform& platform);
  ~RunSession();
  RunSession(const RunSession&) = delete;
  RunSession& operator=(const RunSession&) = delete;

  Route route() const { return route_; }
  const RunSetup& setup() const { return setup_; }
  // The run's values: the client's texts, the saved entries, and what the dialog has set.
  const RunState& state() const { return ctx_.state; }

  // The dialog of the route, its boxes filled from the run's values as they are now.
  DialogTable Dialog() const;
  // Applies one notification of the dialog's controls to the run's values: the one rule of the
  // route's dialog, whoever shows it.
  DialogHandler& handler();
  // Whether the dialog has been ended by its cancel button.
  bool cancel_requested() const { return ctx_.state.cancel_requested; }
  // The errors of the setup's answers file, each "PATH:LINE: message" (AnswersFileErrors); while
  // there are any, AskUser plays nothing and Compute computes nothing.
  const std::vector<std::string>& answers_errors() const { return answers_errors_; }

  // Shows the route's dialog through the platform. False when there is nothing to ask (the form
  // route of an empty client folder name) or the dialog was cancelled.
  bool AskUser();

  // The figures from the run's values, computed once; the worksheet's employees go to `sinks`
  // as the pass makes them. Writes nothing. Throws nothing but std::bad_alloc.
  const ReportFigures& Compute(std::span<WorksheetSink* const> sinks = {});

  // The report run after the dialog: saves the entries, prints the report from the one pass
  // that computes the figures (the worksheet's employees also go to `sinks`), replaces the report
  // file and hands it to the printer; then Schedule B when it was asked for. `device_code` is
  // the host's: the short route writes the dialog's print device into it. The figures are
  // figures() afterwards. Call once, after AskUser (or the dialog's events through handler()).
  RunOutcome Report(std::string& device_code, std::span<WorksheetSink* const> sinks = {});

  // The period and form the report will be for, from the values the dialog left: what Compute
  // gives as the figures' quarter and year, known before the employees are read.
  ReportPeriod Period() const;

  // The figures of the last Compute or Report.
  const ReportFigures& figures() const { return figures_; }

 private:
  void ReportFormRoute(std::span<WorksheetSink* const> sinks, RunOutcome& outcome);
  void ReportShortRoute(std::string& device_code, std::span<WorksheetSink* const> sinks, RunOutcome& outcome);
  // Schedule B's figures from the liability file, when Form 941 was computed.
  void AddScheduleB();
  // Takes a cancel the dialog left into cancelled_ (and the figures); true when cancelled.
  bool TakeCancel();
  // Checks the options dialog's Print box of setup_.form, as a click on it would.
  void ApplyChosenForm();
  void FinishFigures();

  RunSetup setup_;
  std::optional<FolderLock> lock_;
  RunContext ctx_;
  Route route_ = Route::kForm;
  bool cancelled_ = false;
  ReportFigures figures_;
  std::unique_ptr<RouteDialogHandler> handler_;
  std::vector<std::string> answers_errors_;
};

// The strict reading of the answers file `path` that every command applies before it computes
// anything, against the dialog `session` shows: each error as "PATH:LINE: message" (a line that
// names no control of the dialog, or names a label; a check box's text other than 0 or 1; a
// money box's text that is not a number), and "PATH: cannot be read" for a file that cannot be.
// What the file loses but still plays (a text cut at the box's limit) goes to `warnings`, when
// given, in the same form. Text typed into a dialog keeps its lenient reading.
std::vector<std::string> AnswersFileErrors(const std::string& path, const RunSession& session,
                                           std::vector<std::string>* warnings = nullptr);

// ComputeClientFigures with every choice of the setup (its answers file checked, its form); the
// setup's writes_report is ignored: nothing is written. When the answers file has errors the
// figures hold them in answers_errors and nothing else is computed.
ReportFigures ComputeClientFigures(RunSetup setup, Platform& platform, std::span<WorksheetSink* const> sinks = {});

}  // namespace qreport
