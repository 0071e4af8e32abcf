// Shows a DialogTable as a real modal dialog: built from its in-memory template, no owner,
// centred. Every WM_COMMAND of a control, whatever its notification code (a text box's change
// or focus, a click), goes to the handler, which reads the controls through GetDlgItemTextA and
// the check marks.
#pragma once

#include "platform/dialog.h"

namespace qreport {

// Runs the dialog of `table` on the calling thread until the handler ends it; returns the
// handler's result, or kDialogClosed when the dialog could not be shown. An exception thrown by
// the handler closes the dialog and is thrown again from here, once the window's own frames
// are gone.
int ShowModalDialog(const DialogTable& table, DialogHandler& handler);

}  // namespace qreport
