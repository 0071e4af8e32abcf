#include "platform/posix/terminal_draw.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "text/ascii.h"
#include "text/cp1252.h"

namespace qreport {

void PutByte(int row, int col, unsigned char byte, attr_t attr) {
  auto wc = static_cast<wchar_t>(ShownCp1252(byte));
  if (::wcwidth(wc) != 1) wc = L'?';  // a character of two cells, or none, in this locale
  wchar_t text[2] = {wc, 0};
  cchar_t cell;
  ::setcchar(&cell, text, attr, 0, nullptr);
  ::mvadd_wch(row, col, &cell);
}

void PutText(int row, int col, int width, std::string_view text, attr_t attr, int pad) {
  int n = 0;
  for (; n < width && n < static_cast<int>(text.size()); ++n) {
    PutByte(row, col + n, static_cast<unsigned char>(text[n]), attr);
  }
  for (; n < pad && n < width; ++n) PutByte(row, col + n, ' ', attr);
}

void DrawBox(const BoxArea& b, bool fill) {
  if (b.rows < 2 || b.cols < 2) return;
  const int bottom = b.top + b.rows - 1, right = b.left + b.cols - 1;
  if (fill) {
    for (int r = b.top + 1; r < bottom; ++r) {
      for (int c = b.left + 1; c < right; ++c) ::mvaddch(r, c, ' ');
    }
  }
  ::mvaddch(b.top, b.left, ACS_ULCORNER);
  ::mvaddch(b.top, right, ACS_URCORNER);
  ::mvaddch(bottom, b.left, ACS_LLCORNER);
  ::mvaddch(bottom, right, ACS_LRCORNER);
  ::mvhline(b.top, b.left + 1, ACS_HLINE, b.cols - 2);
  ::mvhline(bottom, b.left + 1, ACS_HLINE, b.cols - 2);
  ::mvvline(b.top + 1, b.left, ACS_VLINE, b.rows - 2);
  ::mvvline(b.top + 1, right, ACS_VLINE, b.rows - 2);
}

void DrawTitle(const BoxArea& b, std::string_view title) {
  if (title.empty() || b.cols < 6) return;
  int room = b.cols - 4;
  int shown = std::min<int>(room, static_cast<int>(title.size()));
  int col = b.left + (b.cols - shown - 2) / 2;
  ::mvaddch(b.top, col, ' ');
  PutText(b.top, col + 1, shown, title, A_BOLD);
  ::mvaddch(b.top, col + 1 + shown, ' ');
}

void DrawLabel(const PlacedControl& placed) {
  PutText(placed.row, placed.col, placed.width, ShownCaption(*placed.control), A_NORMAL);
}

CursorSpot DrawTextBox(const PlacedControl& placed, std::string_view text, const TextBoxEdit& edit, bool focused) {
  // Focused: reversed, and bold while the whole text is selected; otherwise underlined.
  attr_t attr = focused ? (edit.selected ? A_REVERSE | A_BOLD : A_REVERSE) : A_UNDERLINE;
  PutText(placed.row, placed.col, placed.width, text.substr(std::min(edit.scroll, text.size())), attr, placed.width);
  return {placed.row, placed.col + static_cast<int>(edit.caret - edit.scroll)};
}

CursorSpot DrawCheckBox(const PlacedControl& placed, bool checked, bool focused) {
  PutText(placed.row, placed.col, placed.width, checked ? "[x]" : "[ ]", focused ? A_REVERSE : A_NORMAL);
  std::string caption = ShownCaption(*placed.control);
  if (!caption.empty() && placed.width > 4) PutText(placed.row, placed.col + 4, placed.width - 4, caption, A_NORMAL);
  return {placed.row, placed.col + 1};
}

CursorSpot DrawPushButton(const PlacedControl& placed, bool focused) {
  std::string caption = ShownCaption(*placed.control);
  bool roomy = static_cast<int>(caption.size()) + 4 <= placed.width;
  std::string shown = roomy ? "[ " + caption + " ]" : "[" + caption + "]";
  int col = placed.col + std::max(0, (placed.width - static_cast<int>(shown.size())) / 2);
  const attr_t attr = focused ? A_REVERSE | A_BOLD : A_BOLD;
  PutText(placed.row, col, placed.width, shown, attr);
  char m = MnemonicOf(placed.control->text);
  std::string either_case{m, LowerAscii(m)};
  std::size_t at = m == 0 ? std::string::npos : shown.find_first_of(either_case);
  if (at != std::string::npos && static_cast<int>(at) < placed.width) {
    PutByte(placed.row, col + static_cast<int>(at), static_cast<unsigned char>(shown[at]), attr | A_UNDERLINE);
  }
  return {placed.row, col + 1};
}

void DrawFrame(const PlacedControl& placed) {
  DrawBox({placed.row, placed.col, placed.bottom - placed.row + 1, placed.width + 1}, /*fill=*/false);
}

}  // namespace qreport
