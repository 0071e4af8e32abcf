#include "web/dialog_session.h"

#include "data/record_file.h"
#include "json/figures_json.h"
#include "run/report_figures.h"
#include "run/dialogs.h"
#include "run/report_run.h"
#include "run/run_session.h"
#include "run/stages.h"

namespace qreport::web {
namespace {

// A line of an answers file holds no line end; a single-line box never holds one either.
std::string OneLine(std::string text) {
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  return text;
}

}  // namespace

DialogSession::DialogSession(SessionSetup setup) : setup_(std::move(setup)), platform_(setup_.print_options) {
  // Opening a dialog writes nothing: a missing record file reads as empty here, and the report
  // run after Done does what the run does with it.
  RunSetup run;
  run.data_dir = setup_.data_dir;
  run.rates_dir = setup_.rates_dir;
  run.report_kind = setup_.report_kind;
  run.writes_report = false;
  session_ = std::make_unique<RunSession>(std::move(run), platform_);
  table_ = session_->Dialog();
  controls_ = std::make_unique<DialogState>(table_);
  opening_messages_ = platform_.messages();
}

DialogSession::~DialogSession() = default;

std::vector<ShownMessage> DialogSession::Apply(const Answer& event) {
  if (controls_->ended()) return {};
  Answer a = event;
  a.text = OneLine(std::move(a.text));
  std::size_t before = platform_.messages().size();
  PlayAnswer(a, *controls_, session_->handler());
  events_.push_back(std::move(a));
  if (controls_->ended() && session_->cancel_requested()) cancelled_ = true;
  return {platform_.messages().begin() + static_cast<std::ptrdiff_t>(before), platform_.messages().end()};
}

nlohmann::ordered_json DialogSession::Figures() const {
  WebPlatform platform(setup_.print_options);
  platform.SetAnswers(events_);
  return ClientFiguresJson(setup_.data_dir, setup_.rates_dir, setup_.report_kind, platform);
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
  RunOutcome outcome = qreport::RunReport(setup_.data_dir, device, setup_.report_kind, platform, setup_.rates_dir);
  RunResult result;
  for (const ShownMessage& m : platform.messages()) {
    if (!m.in_dialog) result.messages.push_back(m);
  }
  // The run asks for a printer only for a finished, complete report.
  result.handed_on = platform.asked_for_printer() && !outcome.error_shown;
  return result;
}

PrintResult HandOff(const std::string& data_dir, bool short_route, const std::string& reply,
                    const PlatformOptions& print_options) {
  WebPlatform platform(print_options);
  platform.SetPrinterReply(reply);
  RunContext ctx(platform);
  ctx.state.data_dir = data_dir;
  RunOutcome outcome;
  HandOffToPrinter(ctx, short_route, outcome);
  PrintResult result;
  result.command = platform.print_command();
  if (outcome.hand_off != RunOutcome::HandOff::kPrinted) result.problem = outcome.hand_off_problem;
  return result;
}

}  // namespace qreport::web
