// One dialog shown in the terminal: the focus moved through the table's controls by keys, text
// boxes edited, check boxes and buttons pressed, and every change reported to the dialog's
// handler as a window would report it. Below the smallest screen that shows every control
// whole, one centred line asks for a larger window instead.
#pragma once

#include "platform/dialog.h"

namespace qreport {

// Shows the dialog on the open curses screen until its handler ends it (its result), Escape
// alone closes it or the input ends (kDialogClosed).
int RunTerminalDialog(const DialogTable& table, DialogHandler& handler);

}  // namespace qreport
