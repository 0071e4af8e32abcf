// Every figure of one report run as one plain struct: the values the dialogs left, the
// worksheet's totals and recap (its employee lines go to the pass's consumers as they are made,
// see WorksheetSink), the chosen form's lines (Form 941 or Form 944
// with its twelve months), the payment voucher's fields, the quarter and the year.
//
// Contract (for everything built on these figures: `qreport lines`, checks, batch summaries,
// schedules, the web page):
//  - The printed report is a view of this struct. A run session (run/run_session.h) computes
//    these figures once, and a report run prints each page from its part in the same pass, so a
//    figure here is the amount printed at its place in report.txt (the worksheet's dollars read
//    as cents by PrintedCents).
//  - A session that only looks (ComputeClientFigures) writes nothing: no report, no saved
//    entries, and a missing record file reads as empty instead of being created. The dialogs are
//    played from the caller's platform (an answers file, or closed at once with what they show
//    at first) and the saved entries.
//  - Money in the forms and dialog parts is integer cents; the worksheet part holds the dollars
//    (doubles) it prints, as its rules compute them. Nothing here is rounded again for a view.
//  - A part is absent when the run would not print it: the short route has no form and no
//    voucher (and no worksheet unless the report kind is 941); a cancelled dialog has nothing.
//  - The short route and the form route are the two routes a run takes (Route).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "forms/form941_layout.h"
#include "forms/form944_layout.h"
#include "forms/schedule_b.h"
#include "forms/voucher.h"
#include "state/run_state.h"
#include "worksheet/worksheet_run.h"

namespace qreport {

class Platform;

// The route a run takes from the payroll date's year (TakesFormRoute): the form route (options
// dialog, worksheet, forms, voucher) or the short route (report date dialog, worksheet).
enum class Route { kForm, kShort };

struct ReportFigures {
  Route route = Route::kForm;
  std::string report_kind;  // as the host passed it ("941")
  bool cancelled = false;   // the dialog was cancelled: no part below is computed
  // The answers file's errors ("PATH:LINE: message"): it was not played and no part below is
  // computed.
  std::vector<std::string> answers_errors;
  int quarter = 0;          // 1 to 4 from the report date's month; 0 when it names none
  int year = 0;             // "20" and the report date's last two digits (Form 944: payroll date)
  // The run's values after the dialog and the computations: the saved texts and dialog entries
  // (adjustments as entered, Adjust7a after the fraction-of-cents rule once a form is computed),
  // the deposits, the monthly liabilities, the form choice and the employer texts.
  RunState state;
  // The dialog's entries as the forms took them, before the fraction-of-cents rule moved 7a (the
  // current return applies that rule to its own lines).
  ReturnEntries entries;
  std::optional<WorksheetFigures> worksheet;
  // The error number when the worksheet's files could not be read (the run shows its message and
  // goes on with the forms, whose plan totals are then 0).
  std::optional<int> worksheet_error;
  std::optional<Form941Page> form941;
  std::optional<Form944Page> form944;
  std::optional<VoucherPage> voucher;
  // Schedule B from the liability file, with every Form 941 (a semiweekly depositor attaches
  // it; its total is what line 10 must equal). Absent without Form 941, or when the liability
  // file cannot be read.
  std::optional<ScheduleB> schedule_b;
};

// What a run asked for Schedule B does about it with these figures: kWritten when it goes with
// the return, else why not (kCancelled, kNoForms, kNotSemiweekly, kNotForm941); the run's stage
// decides by the same rule. Writing it may still fail (kFailed), which only the run can tell.
ScheduleBOutcome ScheduleBOutcomeOf(const ReportFigures& figures);
// The same from the run's values once the dialog has ended, before the figures are computed.
ScheduleBOutcome ScheduleBOutcomeOf(bool cancelled, Route route, const RunState& state);

// The period a report is for and the form it files: the quarter from the report date's month, the
// year from the payroll date on Form 944 and from the report date otherwise, and "941", "944" or
// "worksheet" (Form 941 first when both are printed). The figures' quarter and year are these,
// from the run's values once computed; a front end that names a report's outputs before running
// it (batch --skip-done) takes them from the values the dialog left, which give the same.
struct ReportPeriod {
  std::string form;
  int quarter = 0;
  int year = 0;
};
ReportPeriod PeriodOf(const RunState& state, bool form941, bool form944);

// What the run keeps of a form page: the employer texts it read and the preparer codes in the
// case it printed them, which the run's later parts and the figures' views read.
template <typename FormPage>
void TakePageTexts(RunState& state, const FormPage& page) {
  TakeEmployerTexts(state, page.employer.texts);
  state.preparer_codes = page.preparer_codes;
}

// The worksheet's pass over the run's client (see ComputeWorksheet), its employees handed to
// `sinks`. The pass only reads the run; what it decided is taken into the run here, where the
// forms read it: the employer name and payroll date its heading shows, the report date as the
// heading shows it once a line was made, and the plan totals. A cancel requested before it ends
// it with nothing and is cleared. Throws RunError, and the run's values then stay as they were.
std::optional<WorksheetFigures> RunWorksheetPass(RunContext& ctx, std::span<WorksheetSink* const> sinks);

// The parts of the form route after its dialog, in the order the report prints them: the
// worksheet (its employees handed to `sinks`, the plan totals left in ctx), the chosen form, the
// voucher. The run session's one computation, whether it prints (its worksheet printing is then
// one more sink, and the rest is printed from the figures) or only looks.
void ComputeFormRouteParts(RunContext& ctx, ReportFigures& figures, std::span<WorksheetSink* const> sinks = {});

// The report's figures for the client in `data_dir`, as `qreport run` would compute them with
// the rates and letterhead files of `rates_dir` (empty: the current directory), without writing
// anything anywhere: a run session that only looks (run/run_session.h), its dialog played from
// `platform`. The worksheet's employees go to `sinks` as the pass makes them. Throws nothing but
// std::bad_alloc.
ReportFigures ComputeClientFigures(std::string_view data_dir, std::string_view rates_dir,
                                   std::string_view report_kind, Platform& platform,
                                   std::span<WorksheetSink* const> sinks = {});

}  // namespace qreport
