// The Linux port: dialogs answered from an answers file or shown in a terminal, message boxes,
// and stand-ins for the printer picker and print utility.
//
// Which way a dialog is shown: with an answers file it is played from the file; otherwise, when
// standard input and output are a terminal, it is drawn there; otherwise it closes at once in no
// button's way and the run goes on with what the dialog showed at first. Message boxes are drawn
// in the terminal in the same case, and written to standard error as one line
// "message: CAPTION: TEXT" in the others.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/answers.h"
#include "platform/posix/print_utility.h"
#include "platform/posix/terminal_ui.h"

namespace qreport {
namespace {

// A message box line as the scripted format writes it: CR LF inside the text as \r\n.
std::string ScriptedMessage(std::string_view caption, std::string_view text) {
  std::string line = "message: ";
  line += caption;
  line += ": ";
  for (char c : text) {
    if (c == '\r') line += "\\r";
    else if (c == '\n') line += "\\n";
    else line += c;
  }
  line += '\n';
  return line;
}

// The whole content of a file, or empty when it cannot be read.
std::string ReadAnswersFile(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

class PosixPlatform final : public Platform {
 public:
  explicit PosixPlatform(PlatformOptions options) : options_(std::move(options)) {
    scripted_ = !options_.answers_file.empty();
    terminal_ = !scripted_ && !options_.never_interactive && TerminalUi::Available();
  }

  void MessageBox(std::string_view caption, std::string_view text) override {
    if (terminal_) {
      ui_.MessageBox(caption, text);
      return;
    }
    std::string line = ScriptedMessage(caption, text);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  }

  int RunDialog(const DialogTable& table, DialogHandler& handler) override {
    if (scripted_) {
      // The file is read when the first dialog needs it; one that cannot be read has no events.
      if (!answers_) answers_ = ParseAnswers(ReadAnswersFile(options_.answers_file));
      return PlayAnswers(table, handler, *answers_, next_answer_);
    }
    if (terminal_) return ui_.RunDialog(table, handler);
    return kDialogClosed;
  }

  std::string PickPrinter(std::string_view report_path) override {
    if (options_.has_printer_reply) return options_.printer_reply;
    if (terminal_) return ui_.PickPrinter(report_path, ListCupsDestinations());
    return "";
  }

  void Print(std::string_view command) override {
    if (const char* log = std::getenv("QREPORT_PRINT_LOG"); log != nullptr && *log != '\0') {
      if (std::FILE* f = std::fopen(log, "ab")) {
        std::fwrite(command.data(), 1, command.size(), f);
        std::fputc('\n', f);
        std::fclose(f);
      }
    }
    if (options_.command_line) {
      std::string line = "print command: " + std::string(command) + "\n";
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fflush(stdout);
    }
    PrintServices services = SystemPrintServices(nullptr);
    if (options_.render_pdf != nullptr) services.render_pdf = options_.render_pdf;
    RunPrintUtility(command, services);
  }

  void Sleep(int milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

 private:
  PlatformOptions options_;
  bool scripted_ = false;
  bool terminal_ = false;
  std::optional<std::vector<Answer>> answers_;
  std::size_t next_answer_ = 0;
  TerminalUi ui_;
};

}  // namespace

PlatformOptions PlatformOptionsFromEnvironment() {
  PlatformOptions options;
  if (const char* answers = std::getenv("QREPORT_ANSWERS")) options.answers_file = answers;
  if (const char* reply = std::getenv("QREPORT_PRINTER_REPLY")) {
    options.printer_reply = reply;
    options.has_printer_reply = true;
  }
  return options;
}

std::unique_ptr<Platform> MakePlatform(const PlatformOptions& options) {
  return std::make_unique<PosixPlatform>(options);
}

}  // namespace qreport
