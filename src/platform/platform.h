// The port to the outside world: message boxes, the modal dialogs, the printer picker and print
// utility, and the pause. One implementation per platform (posix/, win32/); the report run and
// the disk space service talk to the user and the printers only through it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"

namespace qreport {

// The caption of a message box that has none of its own.
inline constexpr std::string_view kDefaultCaption = "QREPORT";

class Platform {
 public:
  virtual ~Platform() = default;

  // Shows a modal message box with an OK button and waits for it.
  virtual void MessageBox(std::string_view caption, std::string_view text) = 0;

  // Shows the dialog of `table` modally and reports every notification of its controls to
  // `handler` until the handler ends it; returns the handler's result, or kDialogClosed when
  // the dialog was closed in no button's way.
  virtual int RunDialog(const DialogTable& table, DialogHandler& handler) = 0;

  // Asks the printer picker for a printer for `report_path`; returns its "*"-separated reply,
  // or empty text when nothing was chosen.
  virtual std::string PickPrinter(std::string_view report_path) = 0;

  // Hands the command text (report path, printer, kind of destination, options) to the print utility.
  // Returns "" when the print utility took it, otherwise why it could not print, in plain words
  // (a host is told that its own way; the report run only passes it on to its caller).
  virtual std::string Print(std::string_view command) = 0;

  // Waits `milliseconds`.
  virtual void Sleep(int milliseconds) = 0;
};

// How a platform is set up for one call. Empty texts mean "not given".
struct PlatformOptions {
  std::string answers_file;   // scripted dialogs: the answers file
  std::string printer_reply;  // the printer picker's reply, given in advance
  bool has_printer_reply = false;
  bool command_line = false;  // the qreport command, which also shows what it hands on
  // No terminal dialog even where there is a terminal: without an answers file a dialog closes at
  // once with its first values and a message box is one line on standard error (check, batch).
  bool never_interactive = false;
  // The qreport command's runs stop on Ctrl-C (see CatchInterrupts); a host's never do.
  bool stop_on_interrupt = false;
  // Renders a printer-text report to a PDF file for the stand-in print utility; returns false
  // with a reason when it cannot. Null: this build renders nothing.
  bool (*render_pdf)(const std::string& report_path, const std::string& pdf_path, std::string& error) = nullptr;
};

// The options a host's call gets from the environment (QREPORT_ANSWERS, QREPORT_PRINTER_REPLY).
PlatformOptions PlatformOptionsFromEnvironment();

// The platform of this build, set up by `options`.
std::unique_ptr<Platform> MakePlatform(const PlatformOptions& options);

// Whether a platform set up by `options` can show its dialogs to a person (a terminal, a
// desktop, or an answers file playing one). When it cannot, every dialog closes at once with
// the values it showed first.
bool DialogsReachAUser(const PlatformOptions& options);

// Thrown out of the platform's calls by a run that Ctrl-C stopped (only for a platform set up
// with stop_on_interrupt), once the screen is as it was before the run. Not an std::exception,
// so that nothing that handles the run's own failures takes it for one.
struct RunInterrupted {};

// For the qreport command alone: from now on Ctrl-C does not end the process at once but sets
// a flag that InterruptRequested() reads; a platform set up with stop_on_interrupt then ends
// the wait it is in (a dialog, a message box, the printer picker) by throwing RunInterrupted,
// and throws it at its next call if it was in none.
void CatchInterrupts();
bool InterruptRequested();

// One problem of an answers file: its line number, whether it is only a warning, and what.
struct AnswersProblem {
  int line = 0;
  bool warning = false;
  std::string message;
};

// Checks every line of an answers file against the dialog it plays (`table`): a line that is
// neither ID nor ID=TEXT, an id that is no control of the dialog or names a label or frame, a
// check box value other than 0 or 1, a box in `money_boxes` whose text is not an amount ("-$1,234.56",
// blank for 0) are errors; a text cut at the box's limit is a warning. A platform that plays no
// answers files reports nothing.
std::vector<AnswersProblem> CheckAnswers(std::string_view bytes, const DialogTable& table,
                                         const std::vector<int>& money_boxes);

}  // namespace qreport
