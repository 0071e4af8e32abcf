// Dialogs, message boxes and the printer picker drawn in a terminal (ncurses).
//
// A dialog's table is drawn in character cells: dialog units are scaled so that the whole
// window fits the terminal (three units across and eight down make a cell when there is room;
// see terminal_layout.h), each label runs up to the next control on its row, and a check box
// or button shows its caption after its mark. Keys: Tab and Shift-Tab (or Down and Up) move
// through the controls in the table's order; typing edits a text box (a box entered with Tab
// has its text selected, so typing replaces it); Left, Right, Home, End, Backspace and Delete
// edit; Space toggles a check box or presses a button; Enter presses a button; Alt with a
// mnemonic letter, or Escape and then the letter, acts on that control (the letter alone works
// too where the focus is not a text box); Escape alone closes the dialog in no button's way.
// Every change of a text box, and its gaining and losing the focus, notifies the dialog's
// handler as a window would.
//
// A terminal too small to show every control whole shows one centred line instead, "enlarge
// the window to at least WxH", and the dialog as soon as the terminal has grown; a control is
// never left out.
//
// The parts: terminal_layout (where things go, pure), terminal_keys (reading keys),
// text_box_edit (a text box's editing, pure), dialog_keys (what keys do to a dialog: focus,
// presses, mnemonics, notifications; pure), terminal_draw (each kind of control), terminal_box
// (the centred box with a key loop of the message box and the picker) and terminal_dialog (one
// dialog's draw and key loop). This class opens and closes the curses screen around them.
// The curses form and menu libraries are not used: a form field can neither show a box's whole
// text selected nor hold single bytes of the code page, and a menu would draw the picker's
// list, its highlight and its "no CUPS printers" line otherwise.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"

struct screen;

namespace qreport {

class TerminalUi {
 public:
  TerminalUi() = default;
  ~TerminalUi();
  TerminalUi(const TerminalUi&) = delete;
  TerminalUi& operator=(const TerminalUi&) = delete;

  // Whether standard input and output are a terminal that curses can drive.
  static bool Available();

  // Shows the dialog until its handler ends it (its result) or Escape closes it (kDialogClosed).
  // Returns kDialogClosed at once when the terminal cannot be set up.
  int RunDialog(const DialogTable& table, DialogHandler& handler);

  // A centred box with the caption, the text (CR LF starts a new line) and an OK button.
  void MessageBox(std::string_view caption, std::string_view text);

  // Lets the user choose among "PDF file" and `destinations` (saying "no CUPS printers found"
  // when there are none) and whether to preview; returns the picker's reply, or "" when the user
  // chose not to print (Escape).
  std::string PickPrinter(std::string_view report_path, const std::vector<std::string>& destinations);

 private:
  bool Enter();
  void Leave();

  screen* screen_ = nullptr;
  int depth_ = 0;
  std::string saved_ctype_;
};

}  // namespace qreport
