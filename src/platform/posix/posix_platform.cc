// The Linux port: dialogs answered from an answers file or shown in a terminal, message boxes,
// and stand-ins for the printer picker and print utility.
//
// Which way a dialog is shown: with an answers file it is played from the file; otherwise, when
// standard input and output are a terminal, it is drawn there; otherwise it closes at once in no
// button's way and the run goes on with what the dialog showed at first. Message boxes are drawn
// in the terminal in the same case, and written to standard error as one line
// "message: CAPTION: TEXT" in the others (with real line breaks when standard error is a
// terminal, which a person reads).
//
// Ctrl-C for the qreport command: a handler that only sets a flag, installed without restarting
// system calls, so that a terminal waiting for a key returns; the platform then throws
// RunInterrupted out of the call it is in, after the terminal is put back.
#include <signal.h>
#include <unistd.h>

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

volatile sig_atomic_t interrupt_requested = 0;

void OnInterrupt(int) { interrupt_requested = 1; }

// A message box line as the scripted format writes it: CR LF inside the text as \r\n, or, for
// a person at a terminal, as a line break and an indent under the text's start.
std::string ScriptedMessage(std::string_view caption, std::string_view text, bool for_a_person) {
  std::string line = "message: ";
  line += caption;
  line += ": ";
  const std::string indent(line.size(), ' ');
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (for_a_person && (c == '\r' || c == '\n')) {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += '\n' + indent;
    } else if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  line += '\n';
  return line;
}

class PosixPlatform final : public Platform {
 public:
  explicit PosixPlatform(PlatformOptions options) : options_(std::move(options)) {
    scripted_ = !options_.answers_file.empty();
    terminal_ = !scripted_ && !options_.never_interactive && TerminalUi::Available();
    if (options_.render_pdf != nullptr) services_.render_pdf = options_.render_pdf;
  }

  void MessageBox(std::string_view caption, std::string_view text) override {
    StopIfInterrupted();
    if (terminal_) {
      ui_.MessageBox(caption, text);
      StopIfInterrupted();
      return;
    }
    std::string line = ScriptedMessage(caption, text, ::isatty(STDERR_FILENO) != 0);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  }

  int RunDialog(const DialogTable& table, DialogHandler& handler) override {
    StopIfInterrupted();
    if (scripted_) {
      // The file is read when the first dialog needs it; one that cannot be read has no events.
      if (!answers_) answers_ = ParseAnswers(ReadAnswersFile(options_.answers_file));
      return PlayAnswers(table, handler, *answers_, next_answer_);
    }
    if (terminal_) {
      int result = ui_.RunDialog(table, handler);
      StopIfInterrupted();
      return result;
    }
    return kDialogClosed;
  }

  std::string PickPrinter(std::string_view report_path) override {
    StopIfInterrupted();
    if (options_.has_printer_reply) return options_.printer_reply;
    if (terminal_) {
      std::string reply = ui_.PickPrinter(report_path, services_.list_destinations());
      StopIfInterrupted();
      return reply;
    }
    return "";
  }

  std::string Print(std::string_view command) override {
    StopIfInterrupted();
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
    std::string problem = RunPrintUtility(command, services_);
    // The command tells its user itself; a host's user hears it here.
    if (!problem.empty() && !options_.command_line) services_.note("print: " + problem);
    return problem;
  }

  void Sleep(int milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

 private:
  void StopIfInterrupted() const {
    if (options_.stop_on_interrupt && interrupt_requested != 0) throw RunInterrupted();
  }

  PlatformOptions options_;
  PrintServices services_ = SystemPrintServices(nullptr);
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

bool DialogsReachAUser(const PlatformOptions& options) {
  return !options.answers_file.empty() || (!options.never_interactive && TerminalUi::Available());
}

void CatchInterrupts() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a read waiting for a key returns
  ::sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return interrupt_requested != 0; }

}  // namespace qreport
