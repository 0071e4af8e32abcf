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
    DialogLayout layout = LayOutDialog(table_, LINES, COLS);
    ::erase();
    DrawBox({layout.top, layout.left, layout.rows, layout.cols}, /*fill=*/true);
    DrawTitle({layout.top, layout.left, layout.rows, layout.cols}, table_.title);
    // Frames first, so that the controls inside them are drawn over their borders.
    for (const PlacedControl& p : layout.placed) {
      if (p.control->kind == ControlKind::kFrame) DrawFrame(p);
    }
    const DialogControl* focused_control = keys_.Focused();
    CursorSpot cursor;
    for (const PlacedControl& placed : layout.placed) {
      const DialogControl& control = *placed.control;
      bool focused = &control == focused_control;
      CursorSpot spot;
      switch (control.kind) {
        case ControlKind::kLabel: DrawLabel(placed); break;
        case ControlKind::kTextBox: {
          TextBoxEdit& e = keys_.EditOf(control.id);
          std::string text = keys_.state().Text(control.id);
          KeepCaretInView(e, text.size(), static_cast<std::size_t>(placed.width), focused);
          spot = DrawTextBox(placed, text, e, focused);
          break;
        }
        case ControlKind::kCheckBox: spot = DrawCheckBox(placed, keys_.state().IsChecked(control.id), focused); break;
        case ControlKind::kPushButton: spot = DrawPushButton(placed, focused); break;
        case ControlKind::kFrame: break;
      }
      if (focused) cursor = spot;
    }
    bool show_cursor = focused_control != nullptr && focused_control->kind == ControlKind::kTextBox;
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
