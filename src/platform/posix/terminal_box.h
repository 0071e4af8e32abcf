// A box centred on the terminal with a title in its border, redrawn for every key until its
// owner closes it: what the message box and the printer picker are made of.
#pragma once

#include <functional>
#include <string_view>

#include "platform/posix/terminal_keys.h"
#include "platform/posix/terminal_layout.h"

namespace qreport {

struct CentredBoxLoop {
  std::string_view title;
  // False: the box is drawn over what the screen shows (a message over the dialog it speaks
  // of); true: on a blank screen.
  bool clears_screen = false;
  // Where the box goes on a screen of rows x cols, asked before every drawing so that the box
  // follows a terminal that changes its size.
  std::function<BoxArea(int screen_rows, int screen_cols)> place;
  // Draws what the box holds inside its border.
  std::function<void(const BoxArea& box)> draw_inside;
  // Acts on a key; returns true when the box is done.
  std::function<bool(const Key& key)> on_key;
};

// Shows the box until `on_key` closes it or the input ends. Needs an open curses screen.
void RunCentredBox(const CentredBoxLoop& loop);

}  // namespace qreport
