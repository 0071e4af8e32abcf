#include "platform/posix/terminal_dialog.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/posix/dialog_keys.h"
#include "platform/posix/terminal_curses.h"
#include "platform/posix/terminal_draw.h"
#include "platform/posix/terminal_keys.h"
#include "platform/posix/terminal_layout.h"

namespace qreport {
namespace {

class TerminalDialog {
 public:
  TerminalDialog(const DialogTable& table, DialogHandler& handler)
      : table_(table), keys_(table, handler), smallest_(SmallestWholeScreen(table)) {}

  int Run() {
    keys_.Start();
    while (!keys_.ended()) {
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
        if (next->name == KeyName::kCharacter && whole) keys_.OnMnemonic(next->character);
        continue;
      }
      // Keys meant for controls the user cannot see do nothing until the terminal is larger.
      if (whole && !keys_.OnKey(key)) ::beep();
    }
    return keys_.result();
  }

 private:
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
    const DialogControl* f = keys_.Focused();
    CursorSpot cursor;
    for (const PlacedControl& p : l.placed) {
      const DialogControl& c = *p.control;
      bool focused = &c == f;
      CursorSpot spot;
      switch (c.kind) {
        case ControlKind::kLabel: DrawLabel(p); break;
        case ControlKind::kTextBox: {
          TextBoxEdit& e = keys_.EditOf(c.id);
          std::string text = keys_.state().Text(c.id);
          KeepCaretInView(e, text.size(), static_cast<std::size_t>(p.width), focused);
          spot = DrawTextBox(p, text, e, focused);
          break;
        }
        case ControlKind::kCheckBox: spot = DrawCheckBox(p, keys_.state().IsChecked(c.id), focused); break;
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
  DialogKeys keys_;
  ScreenSize smallest_;
};

}  // namespace

int RunTerminalDialog(const DialogTable& table, DialogHandler& handler) {
  return TerminalDialog(table, handler).Run();
}

}  // namespace qreport
