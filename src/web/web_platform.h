// The port a report run started from the web pages talks through. Nothing here draws on the
// screen: message boxes are kept for the page to show, a dialog is played from the events the
// page sent (the way an answers file is played), the printer picker answers what the page chose,
// and a print command goes to this machine's print utility stand-in like the command line's.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/answers.h"

namespace qreport::web {

struct ShownMessage {
  std::string caption, text;  // Windows-1252, as the module wrote them
  bool in_dialog = false;     // shown while a dialog was open
};

class WebPlatform final : public Platform {
 public:
  // `print_options` set up the print utility stand-in (its renderer, above all).
  explicit WebPlatform(const PlatformOptions& print_options);
  ~WebPlatform() override;

  // The events every dialog of the run is played from, in order.
  void SetAnswers(std::vector<Answer> answers);
  // The picker's reply; empty: nothing is printed.
  void SetPrinterReply(std::string reply) { printer_reply_ = std::move(reply); }

  void MessageBox(std::string_view caption, std::string_view text) override;
  int RunDialog(const DialogTable& table, DialogHandler& handler) override;
  std::string PickPrinter(std::string_view report_path) override;
  std::string Print(std::string_view command) override;
  void Sleep(int milliseconds) override;

  const std::vector<ShownMessage>& messages() const { return messages_; }
  // Whether the run asked for a printer: its report was finished and is to be handed on.
  bool asked_for_printer() const { return asked_for_printer_; }
  const std::string& print_command() const { return print_command_; }

 private:
  std::unique_ptr<Platform> printing_;
  std::vector<Answer> answers_;
  std::size_t next_answer_ = 0;
  std::string printer_reply_;
  std::vector<ShownMessage> messages_;
  bool in_dialog_ = false;
  bool asked_for_printer_ = false;
  std::string print_command_;
};

}  // namespace qreport::web
