#include "platform/posix/text_box_edit.h"

#include <algorithm>
#include <optional>

#include "text/cp1252.h"

namespace qreport {
namespace {

void Erase(std::string& text, TextBoxEdit& edit, bool forward) {
  if (edit.selected) {
    text.clear();
    edit.caret = 0;
    edit.selected = false;
  } else if (forward && edit.caret < text.size()) {
    text.erase(edit.caret, 1);
  } else if (!forward && edit.caret > 0) {
    text.erase(--edit.caret, 1);
  }
}

}  // namespace

EditOutcome ApplyEditKey(std::string& text, TextBoxEdit& edit, const Key& key) {
  edit.caret = std::min(edit.caret, text.size());
  const std::string before = text;
  switch (key.name) {
    case KeyName::kLeft:
      if (edit.caret > 0) --edit.caret;
      edit.selected = false;
      return EditOutcome::kUnchanged;
    case KeyName::kRight:
      if (edit.caret < text.size()) ++edit.caret;
      edit.selected = false;
      return EditOutcome::kUnchanged;
    case KeyName::kHome:
      edit.caret = 0;
      edit.selected = false;
      return EditOutcome::kUnchanged;
    case KeyName::kEnd:
      edit.caret = text.size();
      edit.selected = false;
      return EditOutcome::kUnchanged;
    case KeyName::kBackspace: Erase(text, edit, /*forward=*/false); break;
    case KeyName::kDelete: Erase(text, edit, /*forward=*/true); break;
    case KeyName::kCharacter: {
      std::optional<char> byte = ToCp1252(key.character);
      if (!byte) return EditOutcome::kRefused;
      if (edit.selected) {
        text.clear();
        edit.caret = 0;
        edit.selected = false;
      }
      text.insert(edit.caret, 1, *byte);
      ++edit.caret;
      break;
    }
    default: return EditOutcome::kUnchanged;
  }
  return text == before ? EditOutcome::kUnchanged : EditOutcome::kChanged;
}

void KeepCaretInView(TextBoxEdit& e, std::size_t text_size, std::size_t width, bool focused) {
  e.caret = std::min(e.caret, text_size);
  if (e.caret < e.scroll) e.scroll = e.caret;
  if (e.caret >= e.scroll + width) e.scroll = e.caret - width + 1;
  if (!focused) e.scroll = 0;
}

}  // namespace qreport
