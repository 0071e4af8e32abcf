#include "platform/win32/dialog_template.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace qreport {
namespace {

// Predefined control classes, by atom.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(static_cast<WORD>(value & 0xFFFF));
    Word(static_cast<WORD>(value >> 16));
  }
  void Short(int value) { Word(static_cast<WORD>(static_cast<std::int16_t>(value))); }
  // A NUL-terminated UTF-16 text.
  void Text(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  // Pads to the next four-byte boundary.
  void AlignDword() {
    if (words_.size() % 2 != 0) Word(0);
  }
  std::vector<WORD> Take() { return std::move(words_); }

 private:
  std::vector<WORD> words_;
};

std::wstring ControlText(const DialogControl& control) {
  unsigned code_page = control.kind == ControlKind::kTextBox ? CP_ACP : kWindows1252;
  return WideFromBytes(control.text, code_page);
}

// A captioned popup with a modal frame and no system menu, or the 3-D look style alone (value
// 4), which Windows shows as an overlapped window with a caption. Both are centred and carry the
// template's font.
DWORD DialogStyle(DialogFrame frame) {
  constexpr DWORD kEveryDialog = DS_SETFONT | DS_CENTER;
  switch (frame) {
    case DialogFrame::kModalPopup:
      return kEveryDialog | WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    case DialogFrame::kPlainOverlapped:
      return kEveryDialog | DS_3DLOOK;
  }
  return kEveryDialog | WS_POPUP | WS_CAPTION | DS_MODALFRAME;
}

DWORD ControlStyle(const DialogControl& control) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  switch (control.kind) {
    case ControlKind::kLabel:
      return kChild | SS_LEFT;
    case ControlKind::kTextBox:
      return kChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    case ControlKind::kCheckBox:
      return kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
    case ControlKind::kPushButton:
      return kChild | WS_TABSTOP | BS_PUSHBUTTON | (control.centred_text ? BS_CENTER : 0);
    case ControlKind::kFrame:
      return kChild | BS_GROUPBOX;
  }
  return kChild;
}

DWORD ControlExStyle(const DialogControl& control) {
  return control.kind == ControlKind::kTextBox ? WS_EX_CLIENTEDGE : 0;
}

WORD ControlClassAtom(ControlKind kind) {
  switch (kind) {
    case ControlKind::kTextBox:
      return kEditAtom;
    case ControlKind::kLabel:
      return kStaticAtom;
    case ControlKind::kCheckBox:
    case ControlKind::kPushButton:
    case ControlKind::kFrame:
      return kButtonAtom;
  }
  return kStaticAtom;
}

}  // namespace

std::vector<WORD> BuildDialogTemplate(const DialogTable& table) {
  TemplateWriter t;
  // DLGTEMPLATE; DS_CENTER places the window, so x and y stay 0.
  t.Dword(DialogStyle(table.frame));
  t.Dword(0);  // extended style
  t.Word(static_cast<WORD>(table.controls.size()));
  t.Short(0);
  t.Short(0);
  t.Short(table.width);
  t.Short(table.height);
  t.Word(0);  // no menu
  t.Word(0);  // the predefined dialog class
  t.Text(WideFromBytes(table.title, CP_ACP));
  t.Word(kDialogFontPoints);
  t.Text(kDialogFontFace);

  for (const DialogControl& control : table.controls) {
    t.AlignDword();
    // DLGITEMTEMPLATE
    t.Dword(ControlStyle(control));
    t.Dword(ControlExStyle(control));
    t.Short(control.x);
    t.Short(control.y);
    t.Short(control.w);
    t.Short(control.h);
    t.Word(static_cast<WORD>(control.id));
    t.Word(0xFFFF);  // a class atom follows
    t.Word(ControlClassAtom(control.kind));
    t.Text(ControlText(control));
    t.Word(0);  // no creation data
  }
  return t.Take();
}

}  // namespace qreport
