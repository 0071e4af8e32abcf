#include "platform/posix/text_box_edit.h"

#include <algorithm>
#include <optional>

#include "text/cp1252.h"

namespace qreport {
namespace {

void Erase(std::string& text, TextBoxEdit& e, bool forward) {
  if (e.selected) {
    text.clear();
    e.caret = 0;
    e.selected = false;
  } else if (forward && e.caret < text.size()) {
    text.erase(e.caret, 1);
  } else if (!forward && e.caret > 0) {
    text.erase(--e.caret, 1);
  }
}

}  // namespace

EditOutcome ApplyEditKey(std::string& text, TextBoxEdit& e, const Key& key) {
  e.caret = std::min(e.caret, text.size());
  const std::string before = text;
  switch (key.name) {
    case KeyName::kLeft:
      if (e.caret > 0) --e.caret;
      e.selected = false;
      return EditOutcome::kUnchanged;
    case KeyName::kRight:
      if (e.caret < text.size()) ++e.caret;
      e.selected = false;
      return EditOutcome::kUnchanged;
    case KeyName::kHome:
      e.caret = 0;
      e.selected = false;
      return EditOutcome::kUnchanged;
    case KeyName::kEnd:
      e.caret = text.size();
      e.selected = false;
      return EditOutcome::kUnchanged;
    case KeyName::kBackspace: Erase(text, e, /*forward=*/false); break;
    case KeyName::kDelete: Erase(text, e, /*forward=*/true); break;
    case KeyName::kCharacter: {
      std::optional<char> byte = ToCp1252(key.character);
      if (!byte) return EditOutcome::kRefused;
      if (e.selected) {
        text.clear();
        e.caret = 0;
        e.selected = false;
      }
      text.insert(e.caret, 1, *byte);
      ++e.caret;
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
