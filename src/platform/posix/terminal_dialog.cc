#include "platform/posix/terminal_dialog.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/dialog_state.h"
#include "platform/posix/terminal_curses.h"
#include "platform/posix/terminal_draw.h"
#include "platform/posix/terminal_keys.h"
#include "platform/posix/terminal_layout.h"
#include "platform/posix/text_box_edit.h"

namespace qreport {
namespace {

bool IsTabStop(const DialogControl& c) {
  return c.kind == ControlKind::kTextBox || c.kind == ControlKind::kCheckBox || c.kind == ControlKind::kPushButton;
}

class TerminalDialog {
 public:
  TerminalDialog(const DialogTable& table, DialogHandler& handler)
      : table_(table), handler_(handler), state_(table), smallest_(SmallestWholeScreen(table)) {
    for (const DialogControl& c : table.controls) {
      if (IsTabStop(c)) stops_.push_back(&c);
    }
  }

  int Run() {
    if (!stops_.empty()) Focus(0, /*select=*/true);
    while (!state_.ended()) {
      bool whole = TerminalShowsItWhole();
      if (whole) {
        Draw();
      } else {
        DrawEnlargeNotice();
      }
      Key key;
      if (!ReadKey(key)) return kDialogClosed;
      if (key.name == KeyName::kEscape) {
        std::optional<Key> next = KeyAfterEscape();
        if (!next) return kDialogClosed;  // Escape alone
        if (next->name == KeyName::kCharacter && whole) Mnemonic(next->character);
        continue;
      }
      // Keys meant for controls the user cannot see do nothing until the terminal is larger.
      if (whole) HandleKey(key);
    }
    return state_.result();
  }

 private:
  const DialogControl* Focused() const { return stops_.empty() ? nullptr : stops_[focus_]; }

  void Notify(int id) {
    if (!state_.ended()) handler_.Notify(id, state_);
  }

  // Moves the focus; text boxes notify when they lose it and when they gain it.
  void Focus(std::size_t index, bool select) {
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

  void Move(int step) {
    if (stops_.empty()) return;
    std::size_t n = stops_.size();
    Focus((focus_ + n + static_cast<std::size_t>(step + static_cast<int>(n))) % n, /*select=*/true);
  }

  void FocusControl(const DialogControl* c) {
    for (std::size_t i = 0; i < stops_.size(); ++i) {
      if (stops_[i] == c && i != focus_) Focus(i, /*select=*/true);
    }
  }

  void Press(const DialogControl& c) {
    if (c.kind == ControlKind::kCheckBox) {
      state_.SetChecked(c.id, !state_.IsChecked(c.id));
      Notify(c.id);
    } else if (c.kind == ControlKind::kPushButton) {
      Notify(c.id);
    }
  }

  // Acts on the control whose caption marks `typed` as its mnemonic: a button is pressed, a
  // check box focused and toggled, a label moves the focus to the next control that takes it.
  void Mnemonic(char32_t typed) {
    if (typed == 0 || typed > 0x7F) return;
    char letter = static_cast<char>(typed);
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    for (std::size_t i = 0; i < table_.controls.size(); ++i) {
      const DialogControl& c = table_.controls[i];
      if (MnemonicOf(c.text) != letter || c.kind == ControlKind::kTextBox) continue;
      if (c.kind == ControlKind::kPushButton) {
        Press(c);
      } else if (c.kind == ControlKind::kCheckBox) {
        FocusControl(&c);
        Press(c);
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

  void HandleKey(const Key& key) {
    const DialogControl* f = Focused();
    if (f == nullptr) return;
    switch (key.name) {
      case KeyName::kTab: case KeyName::kDown: return Move(1);
      case KeyName::kBackTab: case KeyName::kUp: return Move(-1);
      case KeyName::kEnter:
        if (f->kind == ControlKind::kPushButton) Press(*f);
        return;
      case KeyName::kResize: return;
      default: break;
    }
    if (f->kind == ControlKind::kTextBox) return EditKey(*f, key);
    if (key.name == KeyName::kLeft) return Move(-1);
    if (key.name == KeyName::kRight) return Move(1);
    if (key.IsCharacter(' ')) return Press(*f);
    if (key.name == KeyName::kCharacter) Mnemonic(key.character);
  }

  void EditKey(const DialogControl& box, const Key& key) {
    std::string text = state_.Text(box.id);
    switch (ApplyEditKey(text, edits_[box.id], key)) {
      case EditOutcome::kChanged:
        state_.SetText(box.id, text);
        Notify(box.id);
        break;
      case EditOutcome::kRefused: ::beep(); break;
      case EditOutcome::kUnchanged: break;
    }
  }

  bool TerminalShowsItWhole() const { return COLS >= smallest_.cols && LINES >= smallest_.rows; }

  // One centred line in place of a dialog that the terminal is too small to show whole.
  void DrawEnlargeNotice() {
    std::string notice =
        "enlarge the window to at least " + std::to_string(smallest_.cols) + "x" + std::to_string(smallest_.rows);
    ::erase();
    int width = std::min<int>(COLS, static_cast<int>(notice.size()));
    PutText(std::max(0, LINES / 2), std::max(0, (COLS - width) / 2), width, notice, A_BOLD);
    ::curs_set(0);
    ::refresh();
  }

  void Draw() {
    DialogLayout l = LayOutDialog(table_, LINES, COLS);
    ::erase();
    DrawBox({l.top, l.left, l.rows, l.cols}, /*fill=*/true);
    DrawTitle({l.top, l.left, l.rows, l.cols}, table_.title);
    // Frames first, so that the controls inside them are drawn over their borders.
    for (const PlacedControl& p : l.placed) {
      if (p.control->kind == ControlKind::kFrame) DrawFrame(p);
    }
    const DialogControl* f = Focused();
    CursorSpot cursor;
    for (const PlacedControl& p : l.placed) {
      const DialogControl& c = *p.control;
      bool focused = &c == f;
      CursorSpot spot;
      switch (c.kind) {
        case ControlKind::kLabel: DrawLabel(p); break;
        case ControlKind::kTextBox: {
          TextBoxEdit& e = edits_[c.id];
          std::string text = state_.Text(c.id);
          KeepCaretInView(e, text.size(), static_cast<std::size_t>(p.width), focused);
          spot = DrawTextBox(p, text, e, focused);
          break;
        }
        case ControlKind::kCheckBox: spot = DrawCheckBox(p, state_.IsChecked(c.id), focused); break;
        case ControlKind::kPushButton: spot = DrawPushButton(p, focused); break;
        case ControlKind::kFrame: break;
      }
      if (focused) cursor = spot;
    }
    bool show_cursor = f != nullptr && f->kind == ControlKind::kTextBox;
    ::curs_set(show_cursor ? 1 : 0);
    if (cursor.row >= 0) ::move(cursor.row, std::min(cursor.col, COLS - 1));
    ::refresh();
  }

  const DialogTable& table_;
  DialogHandler& handler_;
  DialogState state_;
  ScreenSize smallest_;
  std::vector<const DialogControl*> stops_;
  std::size_t focus_ = 0;
  bool focused_once_ = false;
  std::map<int, TextBoxEdit> edits_;
};

}  // namespace

int RunTerminalDialog(const DialogTable& table, DialogHandler& handler) {
  return TerminalDialog(table, handler).Run();
}

}  // namespace qreport
