#include "platform/posix/terminal_layout.h"

#include <algorithm>

namespace qreport {
namespace {

int CeilDiv(int a, int b) { return (a + b - 1) / b; }

// The cells a label, check box or button needs for its caption.
int NaturalWidth(const DialogControl& c) {
  int caption = static_cast<int>(ShownCaption(c).size());
  switch (c.kind) {
    case ControlKind::kLabel: return caption;
    case ControlKind::kCheckBox: return caption == 0 ? 3 : caption + 4;  // "[x] " and the caption
    case ControlKind::kPushButton: return caption + 4;                   // "[ " caption " ]"
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

// Whether a layout shows every control whole: on a row of the window, with the cells it needs
// (`needed`, one count per control of the table) before the blank cell that LayOutDialog keeps
// in front of the next control of its row.
bool ShowsEveryControl(const DialogLayout& layout, const std::vector<int>& needed) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < layout.placed.size(); ++i) {
    if (layout.placed[i].control->kind == ControlKind::kFrame) continue;
    const PlacedControl& p = layout.placed[i];
    if (p.row <= layout.top || p.row >= layout.top + layout.rows - 1) return false;
    order.push_back(i);
  }
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const PlacedControl& p = layout.placed[a];
    const PlacedControl& q = layout.placed[b];
    return p.row != q.row ? p.row < q.row : p.col < q.col;
  });
  const int right_edge = layout.left + layout.cols - 1;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const PlacedControl& p = layout.placed[order[k]];
    int end = p.col + needed[order[k]];
    bool last_of_row = k + 1 == order.size() || layout.placed[order[k + 1]].row != p.row;
    if (end > (last_of_row ? right_edge : layout.placed[order[k + 1]].col - 1)) return false;
  }
  return true;
}

}  // namespace

std::string ShownCaption(const DialogControl& c) { return CaptionWithoutMnemonic(c.text); }

DialogLayout LayOutDialog(const DialogTable& table, int screen_rows, int screen_cols) {
  DialogLayout layout;
  screen_rows = std::max(3, screen_rows);
  screen_cols = std::max(3, screen_cols);
  Axis across(table.width, kUnitsPerCellAcross, screen_cols - 2);
  Axis down(table.height, kUnitsPerCellDown, screen_rows - 2);
  layout.rows = down.cells() + 2;
  layout.cols = across.cells() + 2;
  layout.top = (screen_rows - layout.rows) / 2;
  layout.left = (screen_cols - layout.cols) / 2;
  auto col = [&](int x) { return layout.left + 1 + across.Cell(x); };
  auto row = [&](int y) { return layout.top + 1 + std::min(down.Cell(y), down.cells() - 1); };
  int right_edge = layout.left + 1 + across.cells();

  for (const DialogControl& c : table.controls) {
    PlacedControl p{&c, row(c.y), col(c.x), std::max(1, col(c.x + c.w) - col(c.x)), 0};
    if (c.kind == ControlKind::kFrame) p.bottom = layout.top + 1 + down.Cell(c.y + c.h);
    layout.placed.push_back(p);
  }
  // A caption may run on into free cells up to the next control of its row.
  for (PlacedControl& placed : layout.placed) {
    const DialogControl& control = *placed.control;
    if (control.kind == ControlKind::kFrame) continue;
    if (control.kind == ControlKind::kTextBox) {
      placed.width = std::max(placed.width, 2);
      continue;
    }
    int limit = right_edge;
    for (const PlacedControl& q : layout.placed) {
      if (&q == &placed || q.control->kind == ControlKind::kFrame) continue;
      if (q.row == placed.row && q.col > placed.col) limit = std::min(limit, q.col - 1);
    }
    // Never over the next control: a caption that does not fit is cut, as a window clips it.
    placed.width = std::max(1, std::min(std::max(placed.width, NaturalWidth(control)), limit - placed.col));
  }
  return layout;
}

ScreenSize SmallestWholeScreen(const DialogTable& table) {
  ScreenSize full{CeilDiv(std::max(table.width, 1), kUnitsPerCellAcross) + 2,
                  CeilDiv(std::max(table.height, 1), kUnitsPerCellDown) + 2};
  DialogLayout natural = LayOutDialog(table, full.rows, full.cols);
  std::vector<int> needed;
  for (const PlacedControl& p : natural.placed) {
    const DialogControl& c = *p.control;
    needed.push_back(c.kind == ControlKind::kTextBox ? 2 : std::min(NaturalWidth(c), p.width));
  }
  ScreenSize smallest = full;
  while (smallest.cols > 3 && ShowsEveryControl(LayOutDialog(table, full.rows, smallest.cols - 1), needed)) {
    --smallest.cols;
  }
  while (smallest.rows > 3 && ShowsEveryControl(LayOutDialog(table, smallest.rows - 1, full.cols), needed)) {
    --smallest.rows;
  }
  return smallest;
}

BoxArea CentredBox(int rows, int cols, int min_rows, int min_cols, int screen_rows, int screen_cols) {
  BoxArea box;
  box.rows = std::min(rows, std::max(screen_rows, min_rows));
  box.cols = std::min(cols, std::max(screen_cols, min_cols));
  box.top = std::max(0, (screen_rows - box.rows) / 2);
  box.left = std::max(0, (screen_cols - box.cols) / 2);
  return box;
}

}  // namespace qreport
