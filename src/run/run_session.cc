#include "run/run_session.h"

#include <filesystem>

#include "data/errors.h"
#include "data/paths.h"
#include "data/rates.h"
#include "data/record_file.h"
#include "platform/platform.h"
#include "run/dialogs.h"
#include "run/stages.h"
#include "text/numbers.h"
#include "worksheet/worksheet_run.h"

namespace qreport {
namespace {

// The marks of the options dialog's check boxes as the run's values set them, for a choice made
// outside the dialog (the command line's form) and applied through the dialog's own rule.
class CheckMarks final : public DialogControls {
 public:
  explicit CheckMarks(const DialogTable& table) {
    for (const DialogControl& control : table.controls) {
      if (control.kind == ControlKind::kCheckBox) checked_.emplace_back(control.id, control.checked);
    }
  }
  std::string Text(int) const override { return ""; }
  bool IsChecked(int id) const override {
    for (const auto& [box, checked] : checked_) {
      if (box == id) return checked;
    }
    return false;
  }
  void SetChecked(int id, bool checked) override {
    for (auto& [box, mark] : checked_) {
      if (box == id) mark = checked;
    }
  }
  void End(int) override {}

 private:
  std::vector<std::pair<int, bool>> checked_;
};

// A folder as a message names it: absolute, "." for the current one.
std::string ShownFolder(std::string_view folder) {
  std::error_code ec;
  std::filesystem::path path(folder.empty() ? std::string(".") : std::string(folder));
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return (ec ? path : absolute.lexically_normal()).string();
}

}  // namespace

RunSession::RunSession(RunSetup setup, Platform& platform) : setup_(std::move(setup)), ctx_(platform) {
  if (setup_.writes_report && !setup_.data_dir.empty()) {
    // Two runs of one client would mix their pages and race on the saved entries. Whatever a
    // killed run left in the folder is removed once the lock is ours: no run is using it.
    const std::filesystem::path folder(setup_.data_dir);
    lock_.emplace(folder);
    if (lock_->held()) RemoveLeftoverTemporaries(folder);
  }
  if (!setup_.writes_report) ctx_.missing = MissingFile::kReadAsEmpty;
  ctx_.want_schedule_b = setup_.schedule_b;
  if (setup_.schedule_b) ctx_.schedule_b_result = ScheduleBOutcome::kNoForms;
  StartRun(ctx_, setup_.data_dir, setup_.rates_dir);
  route_ = TakesFormRoute(ctx_.state.report_date) ? Route::kForm : Route::kShort;
  if (route_ == Route::kShort) {
    ctx_.state.device_code = "P";
  } else if (!ctx_.state.data_dir.empty()) {
    ReadFormRouteEntries(ctx_);
  }
  handler_ = std::make_unique<RouteDialogHandler>(ctx_, route_);
  figures_.report_kind = setup_.report_kind;
  figures_.route = route_;
  // Before anything is played or computed: a file with errors would give a confident wrong return.
  if (!setup_.answers_file.empty()) answers_errors_ = AnswersFileErrors(setup_.answers_file, *this);
  figures_.answers_errors = answers_errors_;
}

RunSession::~RunSession() = default;

DialogTable RunSession::Dialog() const {
  return route_ == Route::kForm ? OptionsDialogTable(ctx_.state)
                                : ReportDateDialogTable(ctx_.state, ReportDateDialogTitle(setup_.report_kind));
}

DialogHandler& RunSession::handler() { return *handler_; }

bool RunSession::AskUser() {
  if (!answers_errors_.empty()) return false;
  // The form route of a client folder with no name has nothing to ask and nothing to print.
  if (route_ == Route::kForm && ctx_.state.data_dir.empty()) return false;
  if (route_ == Route::kForm) {
    ShowOptionsDialog(ctx_);
  } else {
    ShowReportDateDialog(ctx_, ReportDateDialogTitle(setup_.report_kind));
  }
  if (TakeCancel()) return false;
  ApplyChosenForm();
  return true;
}

void RunSession::ApplyChosenForm() {
  if (route_ != Route::kForm || (setup_.form != 941 && setup_.form != 944)) return;
  const int box = setup_.form == 944 ? kPrint944Box : kPrint941Box;
  CheckMarks marks(Dialog());
  marks.SetChecked(box, true);
  handler_->Notify(box, marks);
}

void RunSession::AddScheduleB() {
  if (!figures_.form941) return;
  try {
    figures_.schedule_b = ReadScheduleB(ctx_.state, ctx_.missing);
  } catch (const RunError&) {
  }
}

bool RunSession::TakeCancel() {
  // A dialog ended by its events (the web page) rather than by AskUser leaves its cancel here.
  if (ctx_.state.cancel_requested) {
    cancelled_ = true;
    ctx_.state.cancel_requested = false;
  }
  figures_.cancelled = cancelled_;
  return cancelled_;
}

void RunSession::FinishFigures() {
  const RunState& state = ctx_.state;
  ReportPeriod period = PeriodOf(state, figures_.form941.has_value(), figures_.form944.has_value());
  figures_.year = period.year;
  figures_.quarter = period.quarter;
  figures_.state = state;
}

ReportPeriod RunSession::Period() const {
  const RunState& state = ctx_.state;
  const bool cancelled = cancelled_ || state.cancel_requested;
  const bool forms = route_ == Route::kForm && !state.data_dir.empty() && !cancelled;
  return PeriodOf(state, forms && state.print_941, forms && state.print_944);
}

const ReportFigures& RunSession::Compute(std::span<WorksheetSink* const> sinks) {
  if (!answers_errors_.empty()) return figures_;
  if (TakeCancel()) {
    FinishFigures();
    return figures_;
  }
  if (route_ == Route::kForm) {
    if (!ctx_.state.data_dir.empty()) {
      ComputeFormRouteParts(ctx_, figures_, sinks);
      AddScheduleB();
    }
  } else if (setup_.report_kind == "941") {
    try {
      figures_.worksheet = RunWorksheetPass(ctx_, sinks);
    } catch (const RunError& error) {
      figures_.worksheet_error = error.number();
    }
  }
  FinishFigures();
  return figures_;
}

RunOutcome RunSession::Report(std::string& device_code, std::span<WorksheetSink* const> sinks) {
  RunOutcome outcome;
  if (TakeCancel()) {
    // Nothing is written: the short route's device code says so.
    outcome.cancelled = true;
    if (route_ == Route::kShort) device_code = "X";
    if (route_ == Route::kForm && ctx_.want_schedule_b) ctx_.schedule_b_result = ScheduleBOutcome::kCancelled;
    FinishFigures();
  } else if (route_ == Route::kForm) {
    ReportFormRoute(sinks, outcome);
  } else {
    ReportShortRoute(device_code, sinks, outcome);
  }
  outcome.error_shown = outcome.error_shown || ctx_.error_shown;
  outcome.incomplete_report = ctx_.incomplete_report;
  outcome.schedule_b = ctx_.schedule_b_result;
  return outcome;
}

void RunSession::ReportFormRoute(std::span<WorksheetSink* const> sinks, RunOutcome& outcome) {
  if (ctx_.state.data_dir.empty()) return;
  SaveEntries(ctx_);
  if (BeginReport(ctx_, /*show_error=*/true)) {
    // The pages are a view of the computed figures: the worksheet's lines are printed as the
    // pass makes them, the other parts once computed.
    ComputeAndPrintFormRouteParts(ctx_, figures_, sinks);
    FinishReport(ctx_);
  }
  // Schedule B's figures, for a front end that checks the return (batch); the run's own page
  // is written from the file below when it was asked for.
  AddScheduleB();
  FinishFigures();
  ctx_.state.device_code = "P";
  HandOffToPrinter(ctx_, /*short_route=*/false, outcome);
  // After the report has gone its way, so that nothing about it depends on this page.
  if (ctx_.want_schedule_b) WriteScheduleB(ctx_);
}

void RunSession::ReportShortRoute(std::string& device_code, std::span<WorksheetSink* const> sinks,
                                  RunOutcome& outcome) {
  RunState& state = ctx_.state;
  device_code = state.device_code;
  // From here on any failing step ends the run; a report that cannot be started ends it quietly.
  if (!BeginReport(ctx_, /*show_error=*/false)) return;
  if (state.device_code.empty()) state.device_code = "P";
  device_code = state.device_code;
  if (setup_.report_kind == "941") RunWorksheet(ctx_, &figures_, sinks);
  FinishReport(ctx_);
  FinishFigures();
  if (state.device_code == "P") HandOffToPrinter(ctx_, /*short_route=*/true, outcome);
}

std::string AnswersFileFor(std::string_view data_dir, std::string_view given) {
  if (!given.empty()) return std::string(given);
  std::error_code ec;
  const std::filesystem::path own = std::filesystem::path(std::string(data_dir)) / kAnswersFileName;
  return std::filesystem::is_regular_file(own, ec) ? own.string() : std::string();
}

std::string RatesFolderFor(std::string_view data_dir, std::string_view given) {
  if (!given.empty()) return std::string(given);
  std::error_code ec;
  if (!data_dir.empty() && std::filesystem::is_regular_file(ResolveHostPath(data_dir, kRatesFileName), ec)) {
    return std::string(data_dir);
  }
  return std::string();
}

std::string RatesFileNote(std::string_view data_dir, std::string_view rates_dir) {
  std::error_code ec;
  const std::filesystem::path file = ResolveHostPath(rates_dir, kRatesFileName);
  if (std::filesystem::equivalent(file, ResolveHostPath(data_dir, kRatesFileName), ec)) return "";
  if (!std::filesystem::is_regular_file(file, ec)) return "";  // RatesProblem says so
  return "note: the rates file is " + (std::filesystem::path(ShownFolder(rates_dir)) / file.filename()).string() +
         " (not in the client folder)";
}

std::string RatesProblem(std::string_view data_dir, std::string_view rates_dir) {
  const std::filesystem::path file = ResolveHostPath(rates_dir, kRatesFileName);
  std::string searched = ShownFolder(rates_dir);
  if (rates_dir.empty() && !data_dir.empty()) searched = ShownFolder(data_dir) + " nor in " + searched;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    return "no rates file " + std::string(kRatesFileName) + " in " + searched +
           ": social security and Medicare would print as 0";
  }
  const std::string where = std::string(kRatesFileName) + " in " + ShownFolder(rates_dir);
  if (std::filesystem::file_size(file, ec) == 0 && !ec) {
    return "the rates file " + where + " is empty: social security and Medicare would print as 0";
  }
  FicaRates rates;
  try {
    rates = ReadFicaRates(rates_dir);
  } catch (const RunError& error) {
    return "the rates file " + where + " cannot be read (error " + std::to_string(error.number()) + ")";
  }
  if (rates.ss_rate1 + rates.ss_rate2 == 0) return "the rates file " + where + " gives a social security rate of 0";
  if (rates.medicare_rate1 + rates.medicare_rate2 == 0) return "the rates file " + where + " gives a Medicare rate of 0";
  return "";
}

std::vector<std::string> AnswersFileErrors(const std::string& path, const RunSession& session,
                                           std::vector<std::string>* warnings) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return {path + ": cannot be read"};
  std::string bytes;
  try {
    bytes = ReadWholeFile(path);
  } catch (const RunError&) {
    return {path + ": cannot be read"};
  }
  const DialogTable table = session.Dialog();
  std::vector<int> money;
  if (session.route() == Route::kForm) {
    for (const DialogControl& control : table.controls) {
      if (IsOptionsMoneyBox(control.id)) money.push_back(control.id);
    }
  }
  std::vector<std::string> errors;
  for (const AnswersProblem& problem : CheckAnswers(bytes, table, money)) {
    std::string line = path + ":" + std::to_string(problem.line) + ": " + problem.message;
    if (!problem.warning) {
      errors.push_back(std::move(line));
    } else if (warnings != nullptr) {
      warnings->push_back(std::move(line));
    }
  }
  return errors;
}

RunOutcome RunReport(std::string_view data_dir, std::string& device_code, std::string_view report_kind,
                     Platform& platform, std::string_view rates_dir, const RunExtras& extras) {
  RunOutcome outcome;
  // A fault that ends the run early leaves Schedule B unwritten.
  if (extras.schedule_b) outcome.schedule_b = ScheduleBOutcome::kFailed;
  try {
    RunSetup setup;
    setup.data_dir = std::string(data_dir);
    setup.rates_dir = std::string(rates_dir);
    setup.report_kind = std::string(report_kind);
    setup.schedule_b = extras.schedule_b;
    setup.form = extras.form;
    RunSession session(std::move(setup), platform);
    // The short route writes its device code before it asks.
    if (session.route() == Route::kShort) device_code = "P";
    session.AskUser();
    outcome = session.Report(device_code);
    outcome.form_printed = session.figures().form941.has_value() || session.figures().form944.has_value();
  } catch (const RunInterrupted&) {
    throw;  // only the command's platform stops a run so; its caller says so
  } catch (const std::exception& e) {
    // Nothing a run meets may reach the host; this is a fault of the module, not of the data.
    outcome.error_shown = true;
    try {
      platform.MessageBox(kDefaultCaption, std::string("Error ") + e.what());
    } catch (...) {
    }
  } catch (...) {
    outcome.error_shown = true;
  }
  return outcome;
}

ReportFigures ComputeClientFigures(RunSetup setup, Platform& platform, std::span<WorksheetSink* const> sinks) {
  setup.writes_report = false;
  setup.schedule_b = false;
  RunSession session(std::move(setup), platform);
  session.AskUser();
  return session.Compute(sinks);
}

ReportFigures ComputeClientFigures(std::string_view data_dir, std::string_view rates_dir,
                                   std::string_view report_kind, Platform& platform,
                                   std::span<WorksheetSink* const> sinks) {
  RunSetup setup;
  setup.data_dir = std::string(data_dir);
  setup.rates_dir = std::string(rates_dir);
  setup.report_kind = std::string(report_kind);
  return ComputeClientFigures(std::move(setup), platform, sinks);
}

}  // namespace qreport
