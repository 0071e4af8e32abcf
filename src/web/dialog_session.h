// A dialog opened in a page: a run session that only looks (run/run_session.h), the dialog's
// table, its controls as plain values, and every event the page sent. Each event is played
// through the same code as an answers file line and the session's dialog rule; when the page
// ends the dialog with a button that goes on, the report is run once from the start with the
// recorded events as its answers, so it is the report `qreport run` writes from the same
// answers file.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/posix/answers.h"
#include "platform/posix/dialog_state.h"
#include "run/run_session.h"
#include "web/web_platform.h"

namespace qreport::web {

struct SessionSetup {
  std::string data_dir;      // the client folder
  std::string rates_dir;     // where the rates and letterhead files are; empty: current directory
  std::string report_kind = "941";
  PlatformOptions print_options;
};

// What a report run from the recorded events left.
struct RunResult {
  std::vector<ShownMessage> messages;  // shown after the dialog (those inside were shown live)
  bool handed_on = false;              // the run finished its report and asked for a printer
};

class DialogSession {
 public:
  // Reads the client and what its dialog starts from: the saved entries, then the values of the
  // client folder's answers file (its events but the buttons', played as recorded events, so the
  // report run from the page plays them too). The rates folder is chosen by the one rule of every
  // command (RatesFolderFor). Messages shown meanwhile are in opening_messages().
  explicit DialogSession(SessionSetup setup);
  ~DialogSession();
  DialogSession(const DialogSession&) = delete;
  DialogSession& operator=(const DialogSession&) = delete;

  const DialogTable& table() const { return table_; }
  const DialogState& controls() const { return *controls_; }
  bool short_route() const { return session_->route() == Route::kShort; }
  const SessionSetup& setup() const { return setup_; }

  // Plays one event; returns the messages it showed. After the dialog ended, events do nothing.
  std::vector<ShownMessage> Apply(const Answer& event);
  bool ended() const { return controls_->ended(); }
  // Ended by the dialog's cancel button: nothing is written.
  bool cancelled() const { return cancelled_; }
  // The messages shown while the dialog was prepared.
  const std::vector<ShownMessage>& opening_messages() const { return opening_messages_; }
  // The errors of the client folder's answers file ("PATH:LINE: message"), which the dialog then
  // does not open with; the page shows them instead of the dialog.
  const std::vector<std::string>& answers_errors() const { return session_->answers_errors(); }

  // The recorded events as an answers file.
  std::string AnswersText() const;
  const std::vector<Answer>& events() const { return events_; }
  std::size_t event_count() const { return events_.size(); }

  // Runs the report from the start with the recorded events; the printer picker gets no reply,
  // so nothing is printed (the page prints later through HandOff).
  RunResult RunReport() const;

  // The report's figures with the recorded events, as `qreport lines --json` gives them (the
  // figures object of the figures JSON); computed without writing anything.
  nlohmann::ordered_json Figures() const;

 private:
  SessionSetup setup_;
  WebPlatform platform_;
  std::unique_ptr<RunSession> session_;
  bool cancelled_ = false;
  DialogTable table_;
  std::unique_ptr<DialogState> controls_;
  std::vector<Answer> events_;
  std::vector<ShownMessage> opening_messages_;
};

struct PrintResult {
  std::string command;  // the print command handed on; empty when nothing was
  std::string problem;  // why it was not printed, in plain words
};

// Hands the finished report of `data_dir` to the print utility through the run's own hand-off,
// with the picker's reply `reply`; `short_route` appends the short route's "/FP".
PrintResult HandOff(const std::string& data_dir, bool short_route, const std::string& reply,
                    const PlatformOptions& print_options);

}  // namespace qreport::web
