// Drawing on the terminal screen: single-byte text, boxes with a title in the border, and each
// kind of dialog control at the place its layout gives it. Nothing here reads a key or decides
// where a control goes.
#pragma once

#include <string_view>

#include "platform/posix/terminal_curses.h"
#include "platform/posix/terminal_layout.h"
#include "platform/posix/text_box_edit.h"

namespace qreport {

// Draws one single-byte character; what the terminal cannot show becomes "?".
void PutByte(int row, int col, unsigned char byte, attr_t attr);

// Draws `text` from `col`, at most `width` cells; pads with blanks to `pad` cells.
void PutText(int row, int col, int width, std::string_view text, attr_t attr, int pad = 0);

// A box's border; `fill` blanks its inside first.
void DrawBox(const BoxArea& box, bool fill);

// A title centred in a box's top border.
void DrawTitle(const BoxArea& box, std::string_view title);

// Where the terminal's cursor goes when the control drawn has the focus.
struct CursorSpot {
  int row = -1, col = -1;
};

void DrawLabel(const PlacedControl& placed);
CursorSpot DrawTextBox(const PlacedControl& placed, std::string_view text, const TextBoxEdit& edit, bool focused);
CursorSpot DrawCheckBox(const PlacedControl& placed, bool checked, bool focused);
// A button's caption in brackets, centred in its cells, with its mnemonic letter underlined.
CursorSpot DrawPushButton(const PlacedControl& placed, bool focused);
// A group box: a border from the frame's first row to its last, caption not shown.
void DrawFrame(const PlacedControl& placed);

}  // namespace qreport
