// Modal dialogs described as data: a table of controls (kind, id, text, position and size in
// dialog units, style) that every backend builds its window from, and the two small interfaces
// through which a dialog's owner hears about its controls and acts on them. The rules of a
// dialog live with its owner, never in a backend: a backend only shows the table, edits the
// controls as the user works, and reports each control's notification to the handler.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/ascii.h"

namespace qreport {

enum class ControlKind {
  kLabel,       // static text, left-aligned
  kTextBox,     // single-line edit box, auto horizontal scroll, tab stop, sunken edge
  kCheckBox,    // auto check box with a tab stop
  kPushButton,  // push button with a tab stop
  kFrame,       // group box, drawn around other controls
};

// The most characters a text box holds: the limit an edit control of the host's dialogs has
// (it never set another), so the most a user could ever type into one. Every text a dialog
// takes in, typed, played from answers or loaded from the saved entries, is cut there.
inline constexpr std::size_t kTextBoxLimit = 32767;

// `text` cut at kTextBoxLimit bytes.
inline std::string WithinTextBoxLimit(std::string_view text) {
  return std::string(text.substr(0, kTextBoxLimit));
}

// One control. Positions and sizes are dialog units (a quarter of the average character width
// across, an eighth of the character height down). Text is single-byte, Windows-1252; in a
// caption "&" marks the next character as the keyboard mnemonic and "&&" is a plain "&".
struct DialogControl {
  int id = 0;
  ControlKind kind = ControlKind::kLabel;
  std::string text;  // caption, or the initial text of a text box
  int x = 0, y = 0, w = 0, h = 0;
  bool checked = false;        // a check box's initial state
  bool centred_text = false;   // a push button's caption is centred explicitly
};

// How the window itself looks.
enum class DialogFrame {
  kModalPopup,      // captioned popup with a modal frame and no system menu
  kPlainOverlapped, // the 3-D look style alone: a plain overlapped window with a caption
};

// A whole dialog: shown modal, with no owner, centred on the screen. Controls are created, and
// tabbed through, in the order of `controls`. The font is 8-point "MS Sans Serif".
struct DialogTable {
  std::string title;
  int width = 0, height = 0;
  DialogFrame frame = DialogFrame::kModalPopup;
  std::vector<DialogControl> controls;

  // The control with `id`, or nullptr.
  const DialogControl* Find(int id) const {
    for (const DialogControl& c : controls) {
      if (c.id == id) return &c;
    }
    return nullptr;
  }
};

// The result a dialog returns when it was closed in no button's way (Escape, a closed window,
// an answers file that ran out).
inline constexpr int kDialogClosed = -1;

// The open dialog as its handler sees it.
class DialogControls {
 public:
  // The current text of a text box ("" for any other id).
  virtual std::string Text(int id) const = 0;
  // Whether a check box is checked (false for any other id).
  virtual bool IsChecked(int id) const = 0;
  // Sets or clears a check box's mark; raises no notification.
  virtual void SetChecked(int id, bool checked) = 0;
  // Ends the dialog with `result` once the current notification has been handled.
  virtual void End(int result) = 0;

 protected:
  ~DialogControls() = default;
};

// The owner of a dialog: hears every notification of a control (a text box's focus or change,
// a click on a check box or push button) and applies its rule for that control.
class DialogHandler {
 public:
  virtual void Notify(int id, DialogControls& dialog) = 0;

 protected:
  ~DialogHandler() = default;
};

// A caption as it is shown: "&&" becomes "&", a single "&" disappears.
inline std::string CaptionWithoutMnemonic(std::string_view caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    else if (caption[i] == '&') continue;
    shown += caption[i];
  }
  return shown;
}

// The mnemonic letter of a caption in upper case (the character after a single "&"), or 0.
inline char MnemonicOf(std::string_view caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return UpperAscii(caption[i + 1]);
  }
  return 0;
}

}  // namespace qreport
