// The Windows port: real modal dialogs and message boxes with no owner window, and the outside
// printer picker and print utility when they are installed.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/win32/windows_api.h"

#include "platform/platform.h"
#include "platform/win32/dialog_window.h"
#include "platform/win32/outside_printing.h"

namespace qreport {
namespace {

class Win32Platform final : public Platform {
 public:
  explicit Win32Platform(PlatformOptions options) : options_(std::move(options)) {}

  // Task-modal: while the box is up, the thread's other windows (an open dialog, the host's
  // own) take no clicks, so a second Help or a Done cannot slip in under it.
  void MessageBox(std::string_view caption, std::string_view text) override {
    std::string shown_caption(caption.empty() ? kDefaultCaption : caption);
    std::string shown_text(text);
    ::MessageBoxA(nullptr, shown_text.c_str(), shown_caption.c_str(), MB_OK | MB_TASKMODAL);
  }

  int RunDialog(const DialogTable& table, DialogHandler& handler) override {
    return ShowModalDialog(table, handler);
  }

  // Both libraries are looked for before the user is asked for a printer, so a missing print
  // utility is said once, before anything is chosen.
  std::string PickPrinter(std::string_view report_path) override {
    printing_ = std::make_unique<OutsidePrinting>();
    if (std::string missing = printing_->Load(); !missing.empty()) {
      printing_.reset();
      MessageBox(kDefaultCaption, NotInstalledMessage(missing, report_path));
      return {};
    }
    return printing_->PickPrinter(report_path);
  }

  std::string Print(std::string_view command) override {
    if (options_.command_line) {
      std::string line = "print command: " + std::string(command) + "\n";
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fflush(stdout);
    }
    if (printing_ == nullptr) {
      // No printer was asked for first: the libraries are looked for now.
      printing_ = std::make_unique<OutsidePrinting>();
      if (std::string missing = printing_->Load(); !missing.empty()) {
        printing_.reset();
        MessageBox(kDefaultCaption, NotInstalledMessage(missing, command.substr(0, command.find(','))));
        return missing + " is not installed";
      }
    }
    printing_->Print(command);
    return {};
  }

  void Sleep(int milliseconds) override { ::Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds)); }

 private:
  PlatformOptions options_;
  std::unique_ptr<OutsidePrinting> printing_;  // from the printer choice to the print
};

}  // namespace

// A Windows host answers its dialogs itself: nothing is read from the environment.
PlatformOptions PlatformOptionsFromEnvironment() { return {}; }

std::unique_ptr<Platform> MakePlatform(const PlatformOptions& options) {
  return std::make_unique<Win32Platform>(options);
}

// Windows dialogs are real windows, shown on the desktop.
bool DialogsReachAUser(const PlatformOptions&) { return true; }

namespace {
volatile std::sig_atomic_t interrupt_requested = 0;
void OnInterrupt(int) { interrupt_requested = 1; }
}  // namespace

// A console's Ctrl-C only marks the run; the dialogs are windows that it does not reach.
void CatchInterrupts() { std::signal(SIGINT, OnInterrupt); }
bool InterruptRequested() { return interrupt_requested != 0; }

// Windows dialogs are not played from answers files: nothing to check.
std::vector<AnswersProblem> CheckAnswers(std::string_view, const DialogTable&, const std::vector<int>&) { return {}; }

}  // namespace qreport
