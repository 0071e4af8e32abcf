// Where things land on a terminal screen of a given size: a dialog's controls, with dialog units
// scaled to character cells, the smallest screen that shows every control whole, and the
// centred boxes of a message and of the printer picker. Pure functions of the screen size, so
// any size can be tried without a terminal.
//
// Three dialog units across and eight down make a cell when the dialog fits that way; a
// dialog larger than the screen is squeezed into it along that axis. Across, a cell takes three
// units rather than the four of an average character, so that a caption drawn one character a
// cell still fits the room its table gives it for a proportional font.
#pragma once

#include <string>
#include <vector>

#include "platform/dialog.h"

namespace qreport {

inline constexpr int kUnitsPerCellAcross = 3;
inline constexpr int kUnitsPerCellDown = 8;

// Where one control lands: its first cell and how many cells of its row it may use.
struct PlacedControl {
  const DialogControl* control = nullptr;
  int row = 0, col = 0, width = 0;
  int bottom = 0;  // a frame's last row (0 for any other kind)
};

// A dialog on the screen: its window with the border, and every control of the table in the
// table's order.
struct DialogLayout {
  int top = 0, left = 0, rows = 0, cols = 0;
  std::vector<PlacedControl> placed;
};

// The dialog of `table` centred on a screen of `screen_rows` x `screen_cols` cells. A label's,
// check box's or button's caption may run on into free cells up to the next control of its row,
// and is cut there; a text box is at least two cells wide.
DialogLayout LayOutDialog(const DialogTable& table, int screen_rows, int screen_cols);

struct ScreenSize {
  int cols = 0, rows = 0;
};

// The smallest screen that shows the dialog of `table` with no control left out or run into
// another: each caption whole (as far as the dialog's own size shows it) and each text box at
// least two cells wide. Every size between it and the dialog's full size shows it too.
ScreenSize SmallestWholeScreen(const DialogTable& table);

// A caption as the terminal shows it (without its mnemonic mark).
std::string ShownCaption(const DialogControl& c);

// A box on the screen, its border included.
struct BoxArea {
  int top = 0, left = 0, rows = 0, cols = 0;
};

// A box of `rows` x `cols` centred on a screen of `screen_rows` x `screen_cols`; a box larger
// than the screen is cut to it, but never below `min_rows` x `min_cols`, and then starts at
// the screen's top or left edge.
BoxArea CentredBox(int rows, int cols, int min_rows, int min_cols, int screen_rows, int screen_cols);

}  // namespace qreport
