#include "platform/posix/terminal_ui.h"

#define NCURSES_NOMACROS 1
#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <optional>

#include "platform/posix/dialog_state.h"
#include "platform/posix/print_utility.h"
#include "text/cp1252.h"

namespace qreport {
namespace {

// Draws one single-byte character; what the terminal cannot show becomes "?".
void PutByte(int row, int col, unsigned char byte, attr_t attr) {
  auto wc = static_cast<wchar_t>(FromCp1252(byte));
  if (wc < 0x20 || wc == 0x7F || wc == 0 || ::wcwidth(wc) != 1) wc = L'?';
  wchar_t text[2] = {wc, 0};
  cchar_t cell;
  ::setcchar(&cell, text, attr, 0, nullptr);
  ::mvadd_wch(row, col, &cell);
}

// Draws `text` from `col`, at most `width` cells; pads with blanks to `pad` cells.
void PutText(int row, int col, int width, std::string_view text, attr_t attr, int pad = 0) {
  int n = 0;
  for (; n < width && n < static_cast<int>(text.size()); ++n) {
    PutByte(row, col + n, static_cast<unsigned char>(text[n]), attr);
  }
  for (; n < pad && n < width; ++n) PutByte(row, col + n, ' ', attr);
}

void DrawBox(int top, int left, int height, int width, bool fill) {
  if (height < 2 || width < 2) return;
  if (fill) {
    for (int r = top + 1; r < top + height - 1; ++r) {
      for (int c = left + 1; c < left + width - 1; ++c) ::mvaddch(r, c, ' ');
    }
  }
  ::mvaddch(top, left, ACS_ULCORNER);
  ::mvaddch(top, left + width - 1, ACS_URCORNER);
  ::mvaddch(top + height - 1, left, ACS_LLCORNER);
  ::mvaddch(top + height - 1, left + width - 1, ACS_LRCORNER);
  ::mvhline(top, left + 1, ACS_HLINE, width - 2);
  ::mvhline(top + height - 1, left + 1, ACS_HLINE, width - 2);
  ::mvvline(top + 1, left, ACS_VLINE, height - 2);
  ::mvvline(top + 1, left + width - 1, ACS_VLINE, height - 2);
}

// A title centred in a box's top border.
void DrawTitle(int top, int left, int width, std::string_view title) {
  if (title.empty() || width < 6) return;
  int room = width - 4;
  int shown = std::min<int>(room, static_cast<int>(title.size()));
  int col = left + (width - shown - 2) / 2;
  ::mvaddch(top, col, ' ');
  PutText(top, col + 1, shown, title, A_BOLD);
  ::mvaddch(top, col + 1 + shown, ' ');
}

// Lines of a message: CR LF, a lone LF or a lone CR each start a new line.
std::vector<std::string> MessageLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// Reads one key. Returns false on end of input (the terminal went away).
struct Key {
  bool function = false;  // a KEY_ code in `code`
  wint_t code = 0;
};

bool ReadKey(Key& key) {
  wint_t wch = 0;
  int kind = ::get_wch(&wch);
  if (kind == ERR) return false;
  key.function = kind == KEY_CODE_YES;
  key.code = wch;
  return true;
}

// After an Escape: the letter that follows at once (Alt sends both together; a person pressing
// Escape and then a letter has a moment), or nullopt when none came.
std::optional<Key> KeyAfterEscape() {
  ::timeout(800);
  Key key;
  bool got = ReadKey(key);
  ::timeout(-1);
  if (!got) return std::nullopt;
  return key;
}

bool IsTabStop(const DialogControl& c) {
  return c.kind == ControlKind::kTextBox || c.kind == ControlKind::kCheckBox || c.kind == ControlKind::kPushButton;
}

// Where a control lands on the screen.
struct Placed {
  const DialogControl* control;
  int row, col, width;
  int bottom;  // a frame's last row
};

struct Layout {
  int top = 0, left = 0, rows = 0, cols = 0;  // the window with its border
  std::vector<Placed> placed;
};

int CeilDiv(int a, int b) { return (a + b - 1) / b; }

std::string ShownCaption(const DialogControl& c) { return CaptionWithoutMnemonic(c.text); }

// The cells a label, check box or button needs for its caption.
int NaturalWidth(const DialogControl& c) {
  int caption = static_cast<int>(ShownCaption(c).size());
  switch (c.kind) {
    case ControlKind::kLabel: return caption;
    case ControlKind::kCheckBox: return caption == 0 ? 3 : caption + 4;
    case ControlKind::kPushButton: return caption + 4;
    default: return 0;
  }
}

// Maps dialog units to cells along one axis: `units_per_cell` units a cell when the extent fits
// in `available` cells that way, otherwise the extent is squeezed into `available` cells.
class Axis {
 public:
  Axis(int extent, int units_per_cell, int available) : extent_(std::max(extent, 1)) {
    int natural = CeilDiv(extent_, units_per_cell);
    if (natural <= available) {
      per_cell_ = units_per_cell;
      cells_ = natural;
    } else {
      cells_ = std::max(available, 1);
    }
  }
  int cells() const { return cells_; }
  // The cell of position `units` (0 to cells() - 1 for positions inside the extent).
  int Cell(int units) const {
    units = std::clamp(units, 0, extent_);
    int cell = per_cell_ > 0 ? units / per_cell_ : units * cells_ / extent_;
    return std::min(cell, cells_);
  }

 private:
  int extent_;
  int per_cell_ = 0;  // 0: squeezed
  int cells_ = 1;
};

Layout Place(const DialogTable& table, int screen_rows, int screen_cols) {
  Layout l;
  screen_rows = std::max(3, screen_rows);
  screen_cols = std::max(3, screen_cols);
  Axis across(table.width, 3, screen_cols - 2);
  Axis down(table.height, 8, screen_rows - 2);
  l.rows = down.cells() + 2;
  l.cols = across.cells() + 2;
  l.top = (screen_rows - l.rows) / 2;
  l.left = (screen_cols - l.cols) / 2;
  auto col = [&](int x) { return l.left + 1 + across.Cell(x); };
  auto row = [&](int y) { return l.top + 1 + std::min(down.Cell(y), down.cells() - 1); };
  int right_edge = l.left + 1 + across.cells();

  for (const DialogControl& c : table.controls) {
    Placed p{&c, row(c.y), col(c.x), std::max(1, col(c.x + c.w) - col(c.x)), 0};
    if (c.kind == ControlKind::kFrame) p.bottom = l.top + 1 + down.Cell(c.y + c.h);
    l.placed.push_back(p);
  }
  // A caption may run on into free cells up to the next control of its row.
  for (Placed& p : l.placed) {
    const DialogControl& c = *p.control;
    if (c.kind == ControlKind::kFrame) continue;
    if (c.kind == ControlKind::kTextBox) {
      p.width = std::max(p.width, 2);
      continue;
    }
    int limit = right_edge;
    for (const Placed& q : l.placed) {
      if (&q == &p || q.control->kind == ControlKind::kFrame) continue;
      if (q.row == p.row && q.col > p.col) limit = std::min(limit, q.col - 1);
    }
    // Never over the next control: a caption that does not fit is cut, as a window clips it.
    p.width = std::max(1, std::min(std::max(p.width, NaturalWidth(c)), limit - p.col));
  }
  return l;
}

// Whether a layout shows every control whole: on a row of the window, with the cells it needs
// (`needed`, one count per control of the table) before the next control of its row begins.
bool ShowsEveryControl(const Layout& l, const std::vector<int>& needed) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < l.placed.size(); ++i) {
    if (l.placed[i].control->kind == ControlKind::kFrame) continue;
    const Placed& p = l.placed[i];
    if (p.row <= l.top || p.row >= l.top + l.rows - 1) return false;
    order.push_back(i);
  }
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const Placed& p = l.placed[a];
    const Placed& q = l.placed[b];
    return p.row != q.row ? p.row < q.row : p.col < q.col;
  });
  const int right_edge = l.left + l.cols - 1;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const Placed& p = l.placed[order[k]];
    int end = p.col + needed[order[k]];
    bool last_of_row = k + 1 == order.size() || l.placed[order[k + 1]].row != p.row;
    if (end > (last_of_row ? right_edge : l.placed[order[k + 1]].col)) return false;
  }
  return true;
}

// The smallest terminal that shows the dialog of `table` with no control left out or run into
// another: each caption whole (as far as the dialog's own size shows it) and each text box at
// least two cells wide. Found from the dialog's full size down, so every size between it and
// the full size shows the dialog too.
struct Size {
  int cols = 0, rows = 0;
};

Size SmallestWhole(const DialogTable& table) {
  Size full{CeilDiv(std::max(table.width, 1), 3) + 2, CeilDiv(std::max(table.height, 1), 8) + 2};
  Layout natural = Place(table, full.rows, full.cols);
  std::vector<int> needed;
  for (const Placed& p : natural.placed) {
    const DialogControl& c = *p.control;
    needed.push_back(c.kind == ControlKind::kTextBox ? 2 : std::min(NaturalWidth(c), p.width));
  }
  Size smallest = full;
  while (smallest.cols > 3 && ShowsEveryControl(Place(table, full.rows, smallest.cols - 1), needed)) --smallest.cols;
  while (smallest.rows > 3 && ShowsEveryControl(Place(table, smallest.rows - 1, full.cols), needed)) --smallest.rows;
  return smallest;
}

// The editing state of one text box.
struct Edit {
  std::size_t caret = 0;
  std::size_t scroll = 0;
  bool selected = false;  // the whole text, as after entering the box with Tab
};

// One open dialog in the terminal.
class TerminalDialog {
 public:
  TerminalDialog(const DialogTable& table, DialogHandler& handler)
      : table_(table), handler_(handler), state_(table), smallest_(SmallestWhole(table)) {
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
      if (!key.function && key.code == 27) {
        std::optional<Key> next = KeyAfterEscape();
        if (!next) return kDialogClosed;  // Escape alone
        if (!next->function && whole) Mnemonic(next->code);
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
      Edit& e = edits_[now->id];
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

  void Press(const DialogControl& c) {
    if (c.kind == ControlKind::kCheckBox) {
      state_.SetChecked(c.id, !state_.IsChecked(c.id));
      Notify(c.id);
    } else if (c.kind == ControlKind::kPushButton) {
      Notify(c.id);
    }
  }

  void Mnemonic(wint_t code) {
    if (code == 0 || code > 0x7F) return;
    char letter = static_cast<char>(code);
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
        // A label's mnemonic moves to the next control that takes the focus.
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

  void FocusControl(const DialogControl* c) {
    for (std::size_t i = 0; i < stops_.size(); ++i) {
      if (stops_[i] == c && i != focus_) Focus(i, /*select=*/true);
    }
  }

  void HandleKey(const Key& key) {
    const DialogControl* f = Focused();
    if (f == nullptr) return;
    if (key.function) {
      switch (key.code) {
        case KEY_BTAB: case KEY_UP: Move(-1); return;
        case KEY_DOWN: Move(1); return;
        case KEY_ENTER:
          if (f->kind == ControlKind::kPushButton) Press(*f);
          return;
        case KEY_RESIZE: return;
        default: break;
      }
      if (f->kind == ControlKind::kTextBox) {
        EditKey(*f, key);
      } else if (key.code == KEY_LEFT) {
        Move(-1);
      } else if (key.code == KEY_RIGHT) {
        Move(1);
      }
      return;
    }
    wint_t c = key.code;
    if (c == '\t') return Move(1);
    if (c == '\r' || c == '\n') {
      if (f->kind == ControlKind::kPushButton) Press(*f);
      return;
    }
    if (f->kind == ControlKind::kTextBox) return EditKey(*f, key);
    if (c == ' ') return Press(*f);
    Mnemonic(c);
  }

  void EditKey(const DialogControl& box, const Key& key) {
    Edit& e = edits_[box.id];
    std::string text = state_.Text(box.id);
    e.caret = std::min(e.caret, text.size());
    std::string before = text;
    if (key.function) {
      switch (key.code) {
        case KEY_LEFT: if (e.caret > 0) --e.caret; e.selected = false; return;
        case KEY_RIGHT: if (e.caret < text.size()) ++e.caret; e.selected = false; return;
        case KEY_HOME: e.caret = 0; e.selected = false; return;
        case KEY_END: e.caret = text.size(); e.selected = false; return;
        case KEY_BACKSPACE: Erase(text, e, /*forward=*/false); break;
        case KEY_DC: Erase(text, e, /*forward=*/true); break;
        default: return;
      }
    } else if (key.code == 127 || key.code == 8) {
      Erase(text, e, /*forward=*/false);
    } else if (std::optional<char> byte = ToCp1252(static_cast<wchar_t>(key.code))) {
      if (e.selected) {
        text.clear();
        e.caret = 0;
        e.selected = false;
      }
      text.insert(e.caret, 1, *byte);
      ++e.caret;
    } else {
      ::beep();
      return;
    }
    if (text != before) {
      state_.SetText(box.id, text);
      Notify(box.id);
    }
  }

  static void Erase(std::string& text, Edit& e, bool forward) {
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
    Layout l = Place(table_, LINES, COLS);
    ::erase();
    DrawBox(l.top, l.left, l.rows, l.cols, /*fill=*/true);
    DrawTitle(l.top, l.left, l.cols, table_.title);
    const DialogControl* f = Focused();
    int cursor_row = -1, cursor_col = -1;
    for (const Placed& p : l.placed) {
      if (p.control->kind == ControlKind::kFrame) DrawBox(p.row, p.col, p.bottom - p.row + 1, p.width + 1, false);
    }
    for (const Placed& p : l.placed) {
      const DialogControl& c = *p.control;
      bool focused = &c == f;
      switch (c.kind) {
        case ControlKind::kLabel: PutText(p.row, p.col, p.width, ShownCaption(c), A_NORMAL); break;
        case ControlKind::kTextBox: {
          Edit& e = edits_[c.id];
          std::string text = state_.Text(c.id);
          std::size_t w = static_cast<std::size_t>(p.width);
          e.caret = std::min(e.caret, text.size());
          if (e.caret < e.scroll) e.scroll = e.caret;
          if (e.caret >= e.scroll + w) e.scroll = e.caret - w + 1;
          if (!focused) e.scroll = 0;
          attr_t attr = focused ? (e.selected ? A_REVERSE | A_BOLD : A_REVERSE) : A_UNDERLINE;
          PutText(p.row, p.col, p.width, std::string_view(text).substr(std::min(e.scroll, text.size())), attr, p.width);
          if (focused) {
            cursor_row = p.row;
            cursor_col = p.col + static_cast<int>(e.caret - e.scroll);
          }
          break;
        }
        case ControlKind::kCheckBox: {
          std::string shown = state_.IsChecked(c.id) ? "[x]" : "[ ]";
          PutText(p.row, p.col, p.width, shown, focused ? A_REVERSE : A_NORMAL);
          std::string caption = ShownCaption(c);
          if (!caption.empty() && p.width > 4) PutText(p.row, p.col + 4, p.width - 4, caption, A_NORMAL);
          if (focused) {
            cursor_row = p.row;
            cursor_col = p.col + 1;
          }
          break;
        }
        case ControlKind::kPushButton: {
          std::string caption = ShownCaption(c);
          bool roomy = static_cast<int>(caption.size()) + 4 <= p.width;
          std::string shown = roomy ? "[ " + caption + " ]" : "[" + caption + "]";
          int col = p.col + std::max(0, (p.width - static_cast<int>(shown.size())) / 2);
          PutText(p.row, col, p.width, shown, focused ? A_REVERSE | A_BOLD : A_BOLD);
          // Underline the mnemonic letter.
          char m = MnemonicOf(c.text);
          std::string either_case{m, static_cast<char>(m - 'A' + 'a')};
          std::size_t at = m == 0 ? std::string::npos : shown.find_first_of(either_case);
          if (at != std::string::npos && static_cast<int>(at) < p.width) {
            PutByte(p.row, col + static_cast<int>(at), static_cast<unsigned char>(shown[at]),
                    (focused ? A_REVERSE | A_BOLD : A_BOLD) | A_UNDERLINE);
          }
          if (focused) {
            cursor_row = p.row;
            cursor_col = col + 1;
          }
          break;
        }
        case ControlKind::kFrame: break;
      }
    }
    bool show_cursor = f != nullptr && f->kind == ControlKind::kTextBox;
    ::curs_set(show_cursor ? 1 : 0);
    if (cursor_row >= 0) ::move(cursor_row, std::min(cursor_col, COLS - 1));
    ::refresh();
  }

  const DialogTable& table_;
  DialogHandler& handler_;
  DialogState state_;
  Size smallest_;
  std::vector<const DialogControl*> stops_;
  std::size_t focus_ = 0;
  bool focused_once_ = false;
  std::map<int, Edit> edits_;
};

}  // namespace

TerminalUi::~TerminalUi() {
  while (depth_ > 0) Leave();
}

bool TerminalUi::Available() {
  if (::isatty(STDIN_FILENO) == 0 || ::isatty(STDOUT_FILENO) == 0) return false;
  const char* term = std::getenv("TERM");
  return term != nullptr && *term != '\0' && std::string_view(term) != "dumb";
}

bool TerminalUi::Enter() {
  if (depth_ > 0) {
    ++depth_;
    return true;
  }
  if (const char* ctype = std::setlocale(LC_CTYPE, nullptr)) saved_ctype_ = ctype;
  std::setlocale(LC_CTYPE, "");
  screen_ = ::newterm(nullptr, stdout, stdin);
  if (screen_ == nullptr) {
    std::setlocale(LC_CTYPE, saved_ctype_.c_str());
    return false;
  }
  ::set_term(screen_);
  ::cbreak();
  ::noecho();
  ::nonl();
  ::keypad(stdscr, TRUE);
  ::set_escdelay(25);
  depth_ = 1;
  return true;
}

void TerminalUi::Leave() {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  ::curs_set(1);
  ::erase();
  ::refresh();
  ::endwin();
  ::delscreen(screen_);
  screen_ = nullptr;
  std::setlocale(LC_CTYPE, saved_ctype_.c_str());
}

int TerminalUi::RunDialog(const DialogTable& table, DialogHandler& handler) {
  if (!Enter()) return kDialogClosed;
  int result = TerminalDialog(table, handler).Run();
  Leave();
  return result;
}

void TerminalUi::MessageBox(std::string_view caption, std::string_view text) {
  if (!Enter()) return;
  std::vector<std::string> lines = MessageLines(text);
  while (true) {
    int longest = static_cast<int>(caption.size());
    for (const std::string& line : lines) longest = std::max(longest, static_cast<int>(line.size()));
    int width = std::min(std::max(longest + 4, 12), std::max(COLS, 12));
    int height = std::min(static_cast<int>(lines.size()) + 4, std::max(LINES, 5));
    int top = std::max(0, (LINES - height) / 2), left = std::max(0, (COLS - width) / 2);
    DrawBox(top, left, height, width, /*fill=*/true);
    DrawTitle(top, left, width, caption);
    for (int i = 0; i < static_cast<int>(lines.size()) && i < height - 4; ++i) {
      PutText(top + 1 + i, left + 2, width - 4, lines[static_cast<std::size_t>(i)], A_NORMAL);
    }
    PutText(top + height - 2, left + (width - 6) / 2, 6, "[ OK ]", A_REVERSE | A_BOLD);
    ::curs_set(0);
    ::refresh();
    Key key;
    if (!ReadKey(key)) break;
    if (key.function && key.code == KEY_RESIZE) continue;
    if (key.function ? key.code == KEY_ENTER
                     : (key.code == '\r' || key.code == '\n' || key.code == ' ' || key.code == 27 ||
                        key.code == 'o' || key.code == 'O')) {
      if (!key.function && key.code == 27) KeyAfterEscape();  // Alt+O arrives as Escape, O
      break;
    }
  }
  Leave();
}

std::string TerminalUi::PickPrinter(std::string_view report_path, const std::vector<std::string>& destinations) {
  if (!Enter()) return "";
  std::vector<std::string> items = {"PDF file (" + PdfPathFor(report_path) + ")"};
  for (const std::string& d : destinations) items.push_back(d);
  std::size_t chosen = 0;
  bool preview = true;
  std::string reply;
  while (true) {
    const std::string hint = "Up/Down choose, Space preview, Enter print, Esc none";
    int width = static_cast<int>(hint.size()) + 4;
    for (const std::string& item : items) width = std::max(width, static_cast<int>(item.size()) + 8);
    width = std::min(width, std::max(COLS, 10));
    // Without CUPS destinations the list says so under the PDF file, on a line of its own.
    const int listed = static_cast<int>(items.size()) + (destinations.empty() ? 1 : 0);
    int height = std::min(listed + 8, std::max(LINES, 8));
    int top = std::max(0, (LINES - height) / 2), left = std::max(0, (COLS - width) / 2);
    ::erase();
    DrawBox(top, left, height, width, /*fill=*/true);
    DrawTitle(top, left, width, "Print report");
    PutText(top + 1, left + 2, width - 4, "Print to:", A_NORMAL);
    for (std::size_t i = 0; i < items.size() && static_cast<int>(i) < height - 7; ++i) {
      PutText(top + 2 + static_cast<int>(i), left + 4, width - 6, items[i], i == chosen ? A_REVERSE : A_NORMAL,
              width - 6);
    }
    if (destinations.empty() && height - 7 > 1) {
      PutText(top + 3, left + 4, width - 6, "no CUPS printers found", A_DIM);
    }
    int below = top + height - 4;
    PutText(below, left + 2, width - 4, std::string(preview ? "[x]" : "[ ]") + " Preview (open the PDF)", A_NORMAL);
    PutText(below + 1, left + 2, width - 4, hint, A_DIM);
    ::curs_set(0);
    ::refresh();
    Key key;
    if (!ReadKey(key)) break;
    if (key.function) {
      if (key.code == KEY_UP && chosen > 0) --chosen;
      if (key.code == KEY_DOWN && chosen + 1 < items.size()) ++chosen;
      if (key.code == KEY_ENTER) {
        reply = InteractivePickerReply(chosen == 0 ? "" : destinations[chosen - 1], preview);
        break;
      }
      continue;
    }
    if (key.code == ' ') preview = !preview;
    if (key.code == '\t') chosen = (chosen + 1) % items.size();
    if (key.code == '\r' || key.code == '\n') {
      reply = InteractivePickerReply(chosen == 0 ? "" : destinations[chosen - 1], preview);
      break;
    }
    if (key.code == 27 && !KeyAfterEscape()) break;
  }
  Leave();
  return reply;
}

}  // namespace qreport
