#include "web/dialog_session.h"

#include "data/record_file.h"
#include "json/figures_json.h"
#include "run/report_figures.h"
#include "run/dialogs.h"
#include "run/report_run.h"
#include "run/stages.h"

namespace qreport::web {
namespace {

using NotifyFn = void (*)(RunContext&, int, DialogControls&);

class SessionHandler final : public DialogHandler {
 public:
  SessionHandler(RunContext& ctx, NotifyFn notify) : ctx_(ctx), notify_(notify) {}
  void Notify(int id, DialogControls& dialog) override { notify_(ctx_, id, dialog); }

 private:
  RunContext& ctx_;
  NotifyFn notify_;
};

// A line of an answers file holds no line end; a single-line box never holds one either.
std::string OneLine(std::string text) {
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  return text;
}

}  // namespace

DialogSession::DialogSession(SessionSetup setup)
    : setup_(std::move(setup)), platform_(setup_.print_options), ctx_(platform_) {
  // Opening a dialog writes nothing: a missing record file reads as empty here, and the report
  // run after Done does what the run does with it.
  ctx_.missing = MissingFile::kReadAsEmpty;
  StartRun(ctx_, setup_.data_dir, setup_.work_dir);
  short_path_ = !TakesFormPath(ctx_.state.ReportDate);
  if (short_path_) {
    ctx_.state.PrintDevice = "P";
    table_ = ReportDateDialogTable(ctx_.state, ReportDateDialogTitle(setup_.report_kind));
  } else {
    ReadFormPathEntries(ctx_);
    table_ = OptionsDialogTable(ctx_.state);
  }
  controls_ = std::make_unique<DialogState>(table_);
  opening_messages_ = platform_.messages();
}

std::vector<ShownMessage> DialogSession::Apply(const Answer& event) {
  if (controls_->ended()) return {};
  Answer a = event;
  a.text = OneLine(std::move(a.text));
  std::size_t before = platform_.messages().size();
  SessionHandler handler(ctx_, short_path_ ? NotifyReportDateDialog : NotifyOptionsDialog);
  PlayAnswer(a, *controls_, handler);
  events_.push_back(std::move(a));
  if (controls_->ended() && ctx_.state.CancelRequested != 0) cancelled_ = true;
  return {platform_.messages().begin() + static_cast<std::ptrdiff_t>(before), platform_.messages().end()};
}

nlohmann::ordered_json DialogSession::Figures() const {
  WebPlatform platform(setup_.print_options);
  platform.SetAnswers(events_);
  return ClientFiguresJson(setup_.data_dir, setup_.work_dir, setup_.report_kind, platform);
}

std::string DialogSession::AnswersText() const {
  std::string text;
  for (const Answer& a : events_) {
    if (!a.known_id) continue;
    text += std::to_string(a.id);
    if (a.has_text) text += "=" + a.text;
    text += '\n';
  }
  return text;
}

RunResult DialogSession::RunReport() const {
  WebPlatform platform(setup_.print_options);
  platform.SetAnswers(events_);
  std::string device = "P";
  RunOutcome outcome = qreport::RunReport(setup_.data_dir, device, setup_.report_kind, platform, setup_.work_dir);
  RunResult result;
  for (const ShownMessage& m : platform.messages()) {
    if (!m.in_dialog) result.messages.push_back(m);
  }
  // The run asks for a printer only for a finished, complete report.
  result.handed_on = platform.asked_for_printer() && !outcome.error_shown;
  return result;
}

PrintResult HandOff(const std::string& data_dir, bool short_path, const std::string& reply,
                    const PlatformOptions& print_options) {
  WebPlatform platform(print_options);
  platform.SetPrinterReply(reply);
  RunContext ctx(platform);
  ctx.state.DataDir = data_dir;
  RunOutcome outcome;
  HandOffToPrinter(ctx, short_path, outcome);
  PrintResult result;
  result.command = platform.print_command();
  if (outcome.hand_off != RunOutcome::HandOff::kPrinted) result.problem = outcome.hand_off_problem;
  return result;
}

}  // namespace qreport::web
