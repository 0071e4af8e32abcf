// The report run: one call of the host for one client. Reads the client file, chooses the form
// path or the short path from the payroll date's year, asks the user, and has the report written
// and handed to the print utility.
#pragma once

#include <string>
#include <string_view>

#include "state/run_state.h"

namespace qreport {

class Platform;

// What a caller asks of a run beyond what the host gets.
struct RunExtras {
  bool schedule_b = false;  // write "\scheduleb.txt" after the report (WriteScheduleB)
};

// What became of one report run, for a caller that reports it; a host sees only the files,
// the messages and the device code, which this does not change.
struct RunOutcome {
  bool cancelled = false;     // the user cancelled: this run wrote no report
  bool error_shown = false;   // the run showed an error message: its report is incomplete
  enum class HandOff { kNotAttempted, kPrinted, kNothingChosen, kFailed };
  HandOff hand_off = HandOff::kNotAttempted;
  std::string hand_off_problem;  // why the hand-off failed or chose nothing, in plain words
  // The side file an incomplete report went to instead of replacing the report file (a part of
  // it could not be read); empty when there is none.
  std::string incomplete_report;
  ScheduleBOutcome schedule_b = ScheduleBOutcome::kNotAsked;
};

// Runs one report for the client in `data_dir`. `device_code` is written on the short path ("P",
// or "X" when the user cancelled) and left alone on the form path. Never throws (but lets a
// platform's RunInterrupted through, which a host's platform never raises): every failure ends
// as the module's own message, or silently where the run ignores it. The rates file and the
// letterhead file are looked up in `work_dir` (empty: the current directory, as for a host).
// Holds the client folder's lock for its whole length, so a second run of the same folder
// waits, and first removes what a killed run left behind there.
// `extras` asks for more than the host's report; the report, the saved entries and the print
// command are the same bytes with or without it.
RunOutcome RunReport(std::string_view data_dir, std::string& device_code, std::string_view report_kind,
                     Platform& platform, std::string_view work_dir = {}, const RunExtras& extras = {});

// The stages of the run, in order. Each takes the one context of the call and notes in
// `outcome` what a caller is told. A front end that shows a dialog before it runs the report (the
// web pages) starts the same way: StartRun, then ReadFormPathEntries on the form path, then the
// dialog's table from the state.
void StartRun(RunContext& ctx, std::string_view data_dir, std::string_view work_dir);
void ReadClientIntoState(RunContext& ctx);  // employer texts and payroll date
bool TakesFormPath(std::string_view report_date);
void ReadFormPathEntries(RunContext& ctx);  // the quarter's liabilities and the saved entries
// The form path's questions: the quarter's liabilities, the saved entries and the options
// dialog. False when the user cancelled.
bool AskFormPath(RunContext& ctx);
void RunFormPath(RunContext& ctx, RunOutcome& outcome);
std::string ReportDateDialogTitle(std::string_view report_kind);  // the report date dialog's title
void RunShortPath(RunContext& ctx, std::string& device_code, std::string_view report_kind, RunOutcome& outcome);

}  // namespace qreport
