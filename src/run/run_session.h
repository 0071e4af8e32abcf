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
  void FinishFigures();

  RunSetup setup_;
  std::optional<FolderLock> lock_;
  RunContext ctx_;
  Route route_ = Route::kForm;
  bool cancelled_ = false;
  ReportFigures figures_;
  std::unique_ptr<RouteDialogHandler> handler_;
};

}  // namespace qreport
