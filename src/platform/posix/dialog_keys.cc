#include "platform/posix/dialog_keys.h"

#include <string>

#include "text/ascii.h"

namespace qreport {
namespace {

bool IsTabStop(const DialogControl& c) {
  return c.kind == ControlKind::kTextBox || c.kind == ControlKind::kCheckBox || c.kind == ControlKind::kPushButton;
}

}  // namespace

DialogKeys::DialogKeys(const DialogTable& table, DialogHandler& handler)
    : table_(table), handler_(handler), state_(table) {
  for (const DialogControl& c : table.controls) {
    if (IsTabStop(c)) stops_.push_back(&c);
  }
}

void DialogKeys::Start() {
  if (!stops_.empty()) Focus(0, /*select=*/true);
}

void DialogKeys::Notify(int id) {
  if (!state_.ended()) handler_.Notify(id, state_);
}

// Text boxes notify when they lose the focus and when they gain it.
void DialogKeys::Focus(std::size_t index, bool select) {
  const DialogControl* old = Focused();
  bool first = !focused_once_;
  focused_once_ = true;
  if (!first && old != nullptr && old->kind == ControlKind::kTextBox) Notify(old->id);
  focus_ = index;
  const DialogControl* now = Focused();
  if (now->kind == ControlKind::kTextBox) {
    TextBoxEdit& e = edits_[now->id];
    e.caret = state_.Text(now->id).size();
    e.selected = select;
    Notify(now->id);
  }
}

void DialogKeys::Move(int step) {
  if (stops_.empty()) return;
  std::size_t n = stops_.size();
  Focus((focus_ + n + static_cast<std::size_t>(step + static_cast<int>(n))) % n, /*select=*/true);
}

void DialogKeys::FocusControl(const DialogControl* c) {
  for (std::size_t i = 0; i < stops_.size(); ++i) {
    if (stops_[i] == c && i != focus_) Focus(i, /*select=*/true);
  }
}

void DialogKeys::Press(const DialogControl& c) {
  if (c.kind == ControlKind::kCheckBox) {
    state_.SetChecked(c.id, !state_.IsChecked(c.id));
    Notify(c.id);
  } else if (c.kind == ControlKind::kPushButton) {
    Notify(c.id);
  }
}

void DialogKeys::OnMnemonic(char32_t typed) {
  if (typed == 0 || typed > 0x7F) return;
  char letter = UpperAscii(static_cast<char>(typed));
  for (std::size_t i = 0; i < table_.controls.size(); ++i) {
    const DialogControl& control = table_.controls[i];
    if (MnemonicOf(control.text) != letter || control.kind == ControlKind::kTextBox) continue;
    if (control.kind == ControlKind::kPushButton) {
      Press(control);
    } else if (control.kind == ControlKind::kCheckBox) {
      FocusControl(&control);
      Press(control);
    } else {
      for (std::size_t j = i + 1; j < table_.controls.size(); ++j) {
        if (IsTabStop(table_.controls[j])) {
          FocusControl(&table_.controls[j]);
          break;
        }
      }
    }
    return;
  }
}

bool DialogKeys::OnKey(const Key& key) {
  const DialogControl* focused_control = Focused();
  if (focused_control == nullptr) return true;
  switch (key.name) {
    case KeyName::kTab: case KeyName::kDown: Move(1); return true;
    case KeyName::kBackTab: case KeyName::kUp: Move(-1); return true;
    case KeyName::kEnter:
      if (focused_control->kind == ControlKind::kPushButton) Press(*focused_control);
      return true;
    case KeyName::kResize: return true;
    default: break;
  }
  if (focused_control->kind == ControlKind::kTextBox) return EditKey(*focused_control, key);
  if (key.name == KeyName::kLeft) {
    Move(-1);
  } else if (key.name == KeyName::kRight) {
    Move(1);
  } else if (key.IsCharacter(' ')) {
    Press(*focused_control);
  } else if (key.name == KeyName::kCharacter) {
    OnMnemonic(key.character);
  }
  return true;
}

bool DialogKeys::EditKey(const DialogControl& box, const Key& key) {
  std::string text = state_.Text(box.id);
  switch (ApplyEditKey(text, edits_[box.id], key)) {
    case EditOutcome::kChanged:
      state_.SetText(box.id, text);
      Notify(box.id);
      return true;
    case EditOutcome::kRefused: return false;
    case EditOutcome::kUnchanged: return true;
  }
  return true;
}

}  // namespace qreport
