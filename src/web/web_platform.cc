#include "web/web_platform.h"

namespace qreport::web {

WebPlatform::WebPlatform(const PlatformOptions& print_options) {
  PlatformOptions options = print_options;
  // The stand-in is used for printing alone: it never shows a dialog, a message or a picker.
  options.answers_file.clear();
  options.command_line = false;
  printing_ = MakePlatform(options);
}

WebPlatform::~WebPlatform() = default;

void WebPlatform::SetAnswers(std::vector<Answer> answers) {
  answers_ = std::move(answers);
  next_answer_ = 0;
}

void WebPlatform::MessageBox(std::string_view caption, std::string_view text) {
  messages_.push_back({std::string(caption), std::string(text), in_dialog_});
}

int WebPlatform::RunDialog(const DialogTable& table, DialogHandler& handler) {
  in_dialog_ = true;
  int result = PlayAnswers(table, handler, answers_, next_answer_);
  in_dialog_ = false;
  return result;
}

std::string WebPlatform::PickPrinter(std::string_view) {
  asked_for_printer_ = true;
  return printer_reply_;
}

std::string WebPlatform::Print(std::string_view command) {
  print_command_ = std::string(command);
  return printing_->Print(command);
}

void WebPlatform::Sleep(int milliseconds) { printing_->Sleep(milliseconds); }

}  // namespace qreport::web
