// The report run: one call of the host for one client. Reads the client file, chooses the form
// route or the short route from the payroll date's year, asks the user, and has the report written
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
  int form = 0;             // the command line's form choice (RunSetup::form)
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
  bool form_printed = false;  // the report holds a Form 941 or 944 facsimile
};

// Runs one report for the client in `data_dir`. `device_code` is written on the short route ("P",
// or "X" when the user cancelled) and left alone on the form route. Never throws (but lets a
// platform's RunInterrupted through, which a host's platform never raises): every failure ends
// as the module's own message, or silently where the run ignores it. The rates file and the
// letterhead file are looked up in `rates_dir` (empty: the current directory, as for a host).
// A run session (run/run_session.h) does the run, holding the client folder's lock throughout.
// `extras` asks for more than the host's report; the report, the saved entries and the print
// command are the same bytes with or without it.
RunOutcome RunReport(std::string_view data_dir, std::string& device_code, std::string_view report_kind,
                     Platform& platform, std::string_view rates_dir = {}, const RunExtras& extras = {});

// The first stages of a run, which the run session (run/run_session.h) takes in order: the client
// file into the state, the route from the payroll date's year, and on the form route the
// quarter's liabilities and the saved entries.
void StartRun(RunContext& ctx, std::string_view data_dir, std::string_view rates_dir);
void ReadClientIntoState(RunContext& ctx);  // employer texts and payroll date
// The form route when the last two characters of the date read as a year after 04.
bool TakesFormRoute(std::string_view report_date);
void ReadFormRouteEntries(RunContext& ctx);  // the quarter's liabilities and the saved entries
std::string ReportDateDialogTitle(std::string_view report_kind);  // the report date dialog's title

}  // namespace qreport
