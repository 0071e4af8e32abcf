// The in-memory dialog template that shows a DialogTable with DialogBoxIndirectParamA: one
// DLGTEMPLATE followed by one DLGITEMTEMPLATE per control, in the table's order, each on a
// four-byte boundary. Positions, sizes, ids and captions come from the table and from nowhere
// else. The font is 8-point "MS Sans Serif"; the dialog is centred and has no menu or class.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/windows_api.h"

#include "platform/dialog.h"

namespace qreport {

inline constexpr WORD kDialogFontPoints = 8;
inline constexpr wchar_t kDialogFontFace[] = L"MS Sans Serif";

// The window style of a dialog frame: a captioned popup with a modal frame and no system menu,
// or the 3-D look style alone (value 4), which Windows shows as an overlapped window with a
// caption. Both are centred and carry the template's font.
DWORD DialogStyle(DialogFrame frame);

// The window style of one control: every control is a visible child; text boxes, check boxes
// and push buttons are tab stops.
DWORD ControlStyle(const DialogControl& control);

// The extended style of one control: a text box has a sunken client edge.
DWORD ControlExStyle(const DialogControl& control);

// The predefined window class of a control kind, as its atom (button, edit or static).
WORD ControlClassAtom(ControlKind kind);

// The whole template of `table`, ready for DialogBoxIndirectParamA; the buffer starts on a
// four-byte boundary. Texts are UTF-16: the title and the text boxes' contents in the ANSI code
// page (they are the host's and the user's text, read back with GetDlgItemTextA), every other
// caption in Windows-1252.
std::vector<WORD> BuildDialogTemplate(const DialogTable& table);

}  // namespace qreport
