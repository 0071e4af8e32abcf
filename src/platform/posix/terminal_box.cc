#include "platform/posix/terminal_box.h"

#include "platform/posix/terminal_curses.h"
#include "platform/posix/terminal_draw.h"

namespace qreport {

void RunCentredBox(const CentredBoxLoop& loop) {
  while (true) {
    BoxArea box = loop.place(LINES, COLS);
    if (loop.clears_screen) ::erase();
    DrawBox(box, /*fill=*/true);
    DrawTitle(box, loop.title);
    loop.draw_inside(box);
    ::curs_set(0);
    ::refresh();
    Key key;
    if (!ReadKey(key) || loop.on_key(key)) return;
  }
}

}  // namespace qreport
