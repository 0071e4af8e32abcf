// Editing a dialog's text box from keys, as a window's edit box behaves: a caret, the whole
// text selected after the box is entered with Tab (so typing replaces it, and Backspace or
// Delete empties it), and a horizontal scroll that keeps the caret in view. The text is
// single-byte (Windows-1252); a typed character the code page lacks is refused.
#pragma once

#include <cstddef>
#include <string>

#include "platform/posix/terminal_keys.h"

namespace qreport {

struct TextBoxEdit {
  std::size_t caret = 0;   // bytes before the caret
  std::size_t scroll = 0;  // the first byte shown
  bool selected = false;   // the whole text, as after entering the box with Tab
};

enum class EditOutcome {
  kChanged,    // the text changed: the dialog's handler hears of it
  kUnchanged,  // the caret moved, or the key means nothing to a text box
  kRefused,    // a character the box cannot hold (the terminal beeps)
};

// Applies `key` to `text` and the box's editing state.
EditOutcome ApplyEditKey(std::string& text, TextBoxEdit& edit, const Key& key);

// Scrolls a box `width` cells wide so that its caret is in view; a box without the focus shows
// its text from the start.
void KeepCaretInView(TextBoxEdit& edit, std::size_t text_size, std::size_t width, bool focused);

}  // namespace qreport
