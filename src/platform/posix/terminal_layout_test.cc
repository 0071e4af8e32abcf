// Where a dialog lands on screens of several sizes, worked out by hand from the rule (three
// dialog units a cell across, eight down, squeezed when the screen is smaller), and the
// smallest screen that shows every control whole.
#include "platform/posix/terminal_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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
    DialogLayout layout = LayOutDialog(table, c.screen_rows, c.screen_cols);
    EXPECT_EQ(layout.top, c.window.top);
    EXPECT_EQ(layout.left, c.window.left);
    EXPECT_EQ(layout.rows, c.window.rows);
    EXPECT_EQ(layout.cols, c.window.cols);
    std::vector<Cell> cells;
    for (const PlacedControl& p : layout.placed) cells.push_back({p.row, p.col, p.width});
    EXPECT_EQ(cells, c.cells);
    EXPECT_EQ(layout.placed[0].bottom, c.frame_bottom);
  }
}

// The cells a control's drawing takes: the caption, "[x] " before a check box's caption,
// "[ " and " ]" around a button's, two cells for a text box.
int Needed(const DialogControl& c) {
  int caption = static_cast<int>(CaptionWithoutMnemonic(c.text).size());
  switch (c.kind) {
    case ControlKind::kTextBox: return 2;
    case ControlKind::kCheckBox: case ControlKind::kPushButton: return caption + 4;
    default: return caption;
  }
}

// Whether every control of the screen's layout is inside the window with the cells it needs
// (at most `cap` of them: what the dialog's full size gives it) and apart from the others.
bool ShowsWhole(const DialogTable& table, int rows, int cols, const std::map<int, int>& cap) {
  DialogLayout layout = LayOutDialog(table, rows, cols);
  for (const PlacedControl& p : layout.placed) {
    if (p.control->kind == ControlKind::kFrame) continue;
    if (p.row <= layout.top || p.row >= layout.top + layout.rows - 1) return false;
    if (p.width < std::min(Needed(*p.control), cap.at(p.control->id))) return false;
    if (p.col + p.width > layout.left + layout.cols - 1) return false;
    for (const PlacedControl& q : layout.placed) {
      if (&q == &p || q.control->kind == ControlKind::kFrame || q.row != p.row) continue;
      if (q.col >= p.col && q.col < p.col + p.width) return false;
    }
  }
  return true;
}

TEST(TerminalLayout, TheSmallestWholeScreenShowsEveryControlAndOneLessDoesNot) {
  DialogTable wide = SmallDialog();
  // Two buttons on one row; "Discard" needs 11 cells and its units give it 9 even at full size,
  // so 9 is what it needs: at 20 columns Save takes cells 1..8, a blank, Discard 10..18 and the
  // border; at 19 Discard's ninth cell is the border.
  DialogTable one_row;
  one_row.width = 60;
  one_row.height = 20;
  one_row.controls = {{1, ControlKind::kPushButton, "&Save", 3, 4, 24, 12},
                      {2, ControlKind::kPushButton, "&Discard", 33, 4, 24, 12}};
  struct Case {
    const char* what;
    const DialogTable& table;
    ScreenSize smallest;
  } cases[] = {
      // At 26 columns (x * 24 / 150) OK starts at 7 and Cancel at 13: "[ OK ]" would lose its
      // last cell to the blank before Cancel. At 4 rows the check box shares the label's row.
      {"the small dialog", wide, {27, 5}},
      {"captions wider than their units", one_row, {20, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScreenSize s = SmallestWholeScreen(c.table);
    EXPECT_EQ(s.cols, c.smallest.cols);
    EXPECT_EQ(s.rows, c.smallest.rows);
    const int full_cols = (c.table.width + 2) / 3 + 2, full_rows = (c.table.height + 7) / 8 + 2;
    std::map<int, int> cap;
    for (const PlacedControl& p : LayOutDialog(c.table, full_rows, full_cols).placed) cap[p.control->id] = p.width;
    for (int cols = s.cols; cols <= full_cols; ++cols) {
      EXPECT_TRUE(ShowsWhole(c.table, full_rows, cols, cap)) << cols << " columns";
    }
    for (int rows = s.rows; rows <= full_rows; ++rows) {
      EXPECT_TRUE(ShowsWhole(c.table, rows, full_cols, cap)) << rows << " rows";
    }
    if (s.cols > 3) {
      EXPECT_FALSE(ShowsWhole(c.table, full_rows, s.cols - 1, cap));
    }
    if (s.rows > 3) {
      EXPECT_FALSE(ShowsWhole(c.table, s.rows - 1, full_cols, cap));
    }
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
