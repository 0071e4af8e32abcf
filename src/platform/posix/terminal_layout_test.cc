// Where a dialog lands on screens of several sizes, worked out by hand from the rule (three
// dialog units a cell across, eight down, squeezed when the screen is smaller).
#include "platform/posix/terminal_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qreport {
namespace {

// A 150 x 64 unit dialog: a frame around a label and its text box, a check box, and two
// buttons side by side on the bottom row.
DialogTable SmallDialog() {
  DialogTable t;
  t.title = "Small";
  t.width = 150;
  t.height = 64;
  t.controls = {
      {1, ControlKind::kFrame, "", 2, 2, 146, 36},
      {2, ControlKind::kLabel, "&Name:", 6, 8, 40, 8},
      {3, ControlKind::kTextBox, "", 50, 8, 90, 10},
      {4, ControlKind::kCheckBox, "&Print", 6, 24, 60, 10},
      {5, ControlKind::kPushButton, "OK", 40, 44, 30, 14},
      {6, ControlKind::kPushButton, "Cancel", 80, 44, 30, 14},
  };
  return t;
}

struct Cell {
  int row, col, width;
  bool operator==(const Cell&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Cell& c) {
  return os << "{" << c.row << ", " << c.col << ", " << c.width << "}";
}

TEST(TerminalLayout, ControlsLandWhereTheScaleSaysAtEachScreenSize) {
  struct Case {
    const char* what;
    int screen_rows, screen_cols;
    BoxArea window;
    std::vector<Cell> cells;  // in the table's order
    int frame_bottom;
  } cases[] = {
      // 50 x 8 cells and the border fit: centred, three units a cell across, eight down.
      {"room to spare", 24, 80, {7, 14, 10, 52},
       {{8, 15, 49}, {9, 17, 13}, {9, 31, 30}, {11, 17, 20}, {13, 28, 10}, {13, 41, 10}}, 12},
      {"exactly the full size", 10, 52, {0, 0, 10, 52},
       {{1, 1, 49}, {2, 3, 13}, {2, 17, 30}, {4, 3, 20}, {6, 14, 10}, {6, 27, 10}}, 5},
      // 38 cells for 150 units: x * 38 / 150; Cancel, last of its row, keeps its whole caption.
      {"narrower: squeezed across", 24, 40, {7, 0, 10, 40},
       {{8, 1, 37}, {9, 2, 10}, {9, 13, 23}, {11, 2, 15}, {13, 11, 7}, {13, 21, 10}}, 12},
      // 4 rows for 64 units: y * 4 / 64.
      {"shorter: squeezed down", 6, 80, {0, 14, 6, 52},
       {{1, 15, 49}, {1, 17, 13}, {1, 31, 30}, {2, 17, 20}, {3, 28, 10}, {3, 41, 10}}, 3},
      // Below three cells a side the screen counts as three: one cell inside the border.
      {"a screen too small for anything", 1, 2, {0, 0, 3, 3},
       {{1, 1, 1}, {1, 1, 1}, {1, 1, 2}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}}, 1},
  };
  DialogTable table = SmallDialog();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DialogLayout l = LayOutDialog(table, c.screen_rows, c.screen_cols);
    EXPECT_EQ(l.top, c.window.top);
    EXPECT_EQ(l.left, c.window.left);
    EXPECT_EQ(l.rows, c.window.rows);
    EXPECT_EQ(l.cols, c.window.cols);
    std::vector<Cell> cells;
    for (const PlacedControl& p : l.placed) cells.push_back({p.row, p.col, p.width});
    EXPECT_EQ(cells, c.cells);
    EXPECT_EQ(l.placed[0].bottom, c.frame_bottom);
  }
}

TEST(TerminalLayout, BoxesAreCentredAndCutToTheScreen) {
  struct Case {
    const char* what;
    int rows, cols, screen_rows, screen_cols;
    BoxArea box;
  } cases[] = {
      {"fits", 7, 30, 24, 80, {8, 25, 7, 30}},
      {"odd leftovers go below and right", 6, 31, 25, 80, {9, 24, 6, 31}},
      {"wider than the screen", 7, 100, 24, 80, {8, 0, 7, 80}},
      {"the screen below the least size", 9, 40, 3, 6, {0, 0, 5, 12}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BoxArea b = CentredBox(c.rows, c.cols, 5, 12, c.screen_rows, c.screen_cols);
    EXPECT_EQ(b.top, c.box.top);
    EXPECT_EQ(b.left, c.box.left);
    EXPECT_EQ(b.rows, c.box.rows);
    EXPECT_EQ(b.cols, c.box.cols);
  }
}

}  // namespace
}  // namespace qreport
