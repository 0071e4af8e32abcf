// A platform for tests: records message boxes and print commands, plays dialogs from a set
// answers text (as an answers file would), answers the printer picker with a set reply, and
// never waits.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/answers.h"

namespace qreport::testing {

class RecordingPlatform final : public Platform {
 public:
  void MessageBox(std::string_view caption, std::string_view text) override {
    messages.push_back(std::string(caption) + ": " + std::string(text));
  }
  int RunDialog(const DialogTable& table, DialogHandler& handler) override {
    dialogs.push_back(table);
    if (!parsed_) {
      events_ = ParseAnswers(answers);
      parsed_ = true;
    }
    int result = PlayAnswers(table, handler, events_, next_event_);
    dialog_results.push_back(result);
    return result;
  }
  std::string PickPrinter(std::string_view report_path) override {
    picked_for.push_back(std::string(report_path));
    return printer_reply;
  }
  std::string Print(std::string_view command) override {
    commands.push_back(std::string(command));
    return print_problem;
  }
  void Sleep(int milliseconds) override { slept_ms += milliseconds; }

  std::string answers;  // an answers file's bytes, read when the first dialog is shown
  std::string printer_reply;
  std::string print_problem;  // what Print answers: "" printed
  std::vector<std::string> messages, picked_for, commands;
  std::vector<DialogTable> dialogs;  // the tables of the dialogs shown, in order
  std::vector<int> dialog_results;
  int slept_ms = 0;

 private:
  bool parsed_ = false;
  std::vector<Answer> events_;
  std::size_t next_event_ = 0;
};

}  // namespace qreport::testing
