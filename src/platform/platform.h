// The port to the outside world: message boxes, the modal dialogs, the printer picker and print
// utility, and the pause. One implementation per platform (posix/, win32/); the report run and
// the disk space service talk to the user and the printers only through it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

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

  // Hands the command text (report path, printer, field 3, options) to the print utility.
  virtual void Print(std::string_view command) = 0;

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
  // Renders a printer-text report to a PDF file for the stand-in print utility; returns false
  // with a reason when it cannot. Null: this build renders nothing.
  bool (*render_pdf)(const std::string& report_path, const std::string& pdf_path, std::string& error) = nullptr;
};

// The options a host's call gets from the environment (QREPORT_ANSWERS, QREPORT_PRINTER_REPLY).
PlatformOptions PlatformOptionsFromEnvironment();

// The platform of this build, set up by `options`.
std::unique_ptr<Platform> MakePlatform(const PlatformOptions& options);

}  // namespace qreport
