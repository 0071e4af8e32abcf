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

// The whole template of `table`, ready for DialogBoxIndirectParamA; the buffer starts on a
// four-byte boundary. Texts are UTF-16: the title and the text boxes' contents in the ANSI code
// page (they are the host's and the user's text, read back with GetDlgItemTextA), every other
// caption in Windows-1252.
std::vector<WORD> BuildDialogTemplate(const DialogTable& table);

}  // namespace qreport
