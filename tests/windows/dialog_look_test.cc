// The two dialogs as Windows shows them, compared with their control tables: every control of the
// table is there, in the table's order, with its kind's class and style, its caption, and the
// position and size the table gives in dialog units, measured through MapDialogRect.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/dialogs.h"
#include "support/client_run.h"

namespace qreport::wintest {
namespace {

std::wstring Wide(std::string_view bytes, UINT code_page) {
  if (bytes.empty()) return {};
  int length = MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
  return text;
}

std::wstring WindowTextW(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::string ClassName(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// One control as the screen shows it.
struct SeenControl {
  int id = 0;
  std::string class_name;
  LONG style = 0, ex_style = 0;
  RECT rect{};           // in the dialog's client coordinates
  RECT expected_rect{};  // the table's dialog units through MapDialogRect
  std::wstring text;
  bool checked = false;
};

struct SeenDialog {
  LONG style = 0;
  std::wstring title;
  RECT client{}, window{};  // the window's own size, placed at 0,0
  RECT expected_size{};     // the table's width and height
  std::string font_face;
  LONG font_height = 0, expected_font_height = 0;
  std::vector<SeenControl> controls;  // in the order of the dialog's child windows
};

// A rectangle in dialog units as the dialog manager places a control: the position and the size
// are each converted and rounded, and the far corner is their sum.
RECT Pixels(HWND dialog, int x, int y, int w, int h) {
  RECT r = {x, y, w, h};
  MapDialogRect(dialog, &r);
  return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

// Reads the dialog `window` and the table's rectangles through the dialog's own font metrics.
SeenDialog Look(HWND window, const DialogTable& table) {
  SeenDialog seen;
  seen.style = GetWindowLongA(window, GWL_STYLE);
  seen.title = WindowTextW(window);
  GetClientRect(window, &seen.client);
  GetWindowRect(window, &seen.window);
  OffsetRect(&seen.window, -seen.window.left, -seen.window.top);
  seen.expected_size = Pixels(window, 0, 0, table.width, table.height);
  auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  LOGFONTA logfont{};
  if (font != nullptr && GetObjectA(font, sizeof logfont, &logfont) != 0) {
    seen.font_face = logfont.lfFaceName;
    seen.font_height = logfont.lfHeight;
  }
  HDC screen = GetDC(nullptr);
  seen.expected_font_height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);

  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    SeenControl c;
    c.id = GetDlgCtrlID(child);
    c.class_name = ClassName(child);
    c.style = GetWindowLongA(child, GWL_STYLE);
    c.ex_style = GetWindowLongA(child, GWL_EXSTYLE);
    GetWindowRect(child, &c.rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&c.rect), 2);
    if (const DialogControl* d = table.Find(c.id)) c.expected_rect = Pixels(window, d->x, d->y, d->w, d->h);
    c.text = WindowTextW(child);
    c.checked = SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    seen.controls.push_back(c);
  }
  return seen;
}

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

// Each control against its table row: the order, the class and style of its kind, the place
// and size, the caption (Windows-1252 for fixed captions, so 0x92 shows as U+2019).
void ExpectControlsMatch(const SeenDialog& seen, const DialogTable& table) {
  ASSERT_EQ(seen.controls.size(), table.controls.size());
  for (std::size_t i = 0; i < table.controls.size(); ++i) {
    const DialogControl& row = table.controls[i];
    const SeenControl& c = seen.controls[i];
    SCOPED_TRACE("control " + std::to_string(row.id));
    ASSERT_EQ(c.id, row.id) << "controls are created in the table's order";
    EXPECT_EQ(Show(c.rect), Show(c.expected_rect));
    EXPECT_TRUE(c.style & WS_VISIBLE);
    switch (row.kind) {
      case ControlKind::kLabel:
        EXPECT_EQ(c.class_name, "Static");
        EXPECT_EQ(c.style & SS_TYPEMASK, SS_LEFT);
        EXPECT_FALSE(c.style & WS_TABSTOP);
        EXPECT_EQ(c.text, Wide(row.text, 1252));
        break;
      case ControlKind::kTextBox:
        EXPECT_EQ(c.class_name, "Edit");
        EXPECT_TRUE(c.style & ES_AUTOHSCROLL);
        EXPECT_FALSE(c.style & ES_MULTILINE);
        EXPECT_TRUE(c.style & WS_TABSTOP);
        EXPECT_TRUE(c.ex_style & WS_EX_CLIENTEDGE);
        EXPECT_EQ(c.text, Wide(row.text, CP_ACP));
        break;
      case ControlKind::kCheckBox:
        EXPECT_EQ(c.class_name, "Button");
        EXPECT_EQ(c.style & BS_TYPEMASK, BS_AUTOCHECKBOX);
        EXPECT_TRUE(c.style & WS_TABSTOP);
        EXPECT_EQ(c.checked, row.checked);
        EXPECT_EQ(c.text, Wide(row.text, 1252));
        break;
      case ControlKind::kPushButton:
        EXPECT_EQ(c.class_name, "Button");
        EXPECT_TRUE((c.style & BS_TYPEMASK) == BS_PUSHBUTTON || (c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        EXPECT_TRUE(c.style & WS_TABSTOP);
        EXPECT_EQ((c.style & BS_CENTER) == BS_CENTER, row.centred_text);
        EXPECT_EQ(c.text, Wide(row.text, 1252));
        break;
      case ControlKind::kFrame:
        EXPECT_EQ(c.class_name, "Button");
        EXPECT_EQ(c.style & BS_TYPEMASK, BS_GROUPBOX);
        EXPECT_FALSE(c.style & WS_TABSTOP);
        break;
    }
  }
}

void ExpectFont(const SeenDialog& seen) {
  EXPECT_EQ(seen.font_face, "MS Sans Serif");
  EXPECT_EQ(seen.font_height, seen.expected_font_height);
}

// The options dialog's table as the run builds it for this client: the saved designee texts and
// the quarter's liabilities are what its boxes start with.
TEST(OptionsDialog, ShowsItsTable) {
  HostModule dll;
  ClientFolder client;
  client.Write("save941.info", "Pat Doe \r\n555-0100 \r\n&LH1% &LH2% \r\nTX  \r\n");
  SeenDialog seen;
  RunOutcome run = RunReport(dll, client.dir(), "P", "941", [&](Screen& screen) {
    HWND dialog = screen.WaitForDialog(kOptionsMarker);
    RunState title_only;
    title_only.data_dir = client.dir();
    seen = Look(dialog, OptionsDialogTable(title_only));
    screen.Press(dialog, kCancelButton);
  });
  EXPECT_EQ(run.call.stack_moved, 0);

  RunState state;
  state.data_dir = client.dir();
  state.designee_name = "Pat Doe";
  state.designee_phone = "555-0100";
  state.preparer_codes = "&LH1% &LH2%";
  state.state_code = "TX";
  DialogTable table = OptionsDialogTable(state);
  // The liabilities come from the client's files; the boxes show them as plain number text.
  for (int id : {216, 217, 218}) {
    for (const SeenControl& c : seen.controls) {
      if (c.id == id) {
        EXPECT_EQ(c.text.substr(0, 1), L" ") << "plain number text starts with the sign blank";
        const_cast<DialogControl*>(table.Find(id))->text = std::string(c.text.begin(), c.text.end());
      }
    }
  }
  ExpectControlsMatch(seen, table);
  ExpectFont(seen);
  // A popup's template size is its client area.
  EXPECT_EQ(Show(seen.client), Show(seen.expected_size));
  EXPECT_EQ(seen.title, Wide("Quarterly Report including 941 facsimile for: " + client.dir(), CP_ACP));
  EXPECT_TRUE(seen.style & WS_POPUP);
  EXPECT_EQ(seen.style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(seen.style & DS_MODALFRAME);
  EXPECT_FALSE(seen.style & WS_SYSMENU) << "no system menu, so no close box";
  const SeenControl* label106 = nullptr;
  for (const SeenControl& c : seen.controls) {
    if (c.id == 106) label106 = &c;
  }
  ASSERT_NE(label106, nullptr);
  EXPECT_NE(label106->text.find(L"Prior quarter\u2019s social security"), std::wstring::npos);
}

// The report date dialog: an overlapped window (style value 4) with a caption, its title by the
// report kind, and buttons with centred text.
TEST(ReportDateDialog, ShowsItsTable) {
  struct Case {
    const char* kind;
    const char* title;
  };
  for (const Case& c : {Case{"941", "Quarterly Report"}, Case{"940", ""}}) {
    SCOPED_TRACE(c.kind);
    HostModule dll;
    ClientFolder client("063004");
    SeenDialog seen;
    RunState state;
    RunOutcome run = RunReport(dll, client.dir(), "P", c.kind, [&](Screen& screen) {
      HWND dialog = screen.WaitForDialog(kReportDateMarker);
      state.report_date = "063004";
      seen = Look(dialog, ReportDateDialogTable(state, c.title));
      screen.Press(dialog, kReportDateCancelButton);
    });
    EXPECT_EQ(run.call.stack_moved, 0);
    EXPECT_EQ(run.device_code, "X");
    ExpectControlsMatch(seen, ReportDateDialogTable(state, c.title));
    ExpectFont(seen);
    // The template's style has no caption or border, so its size is the whole window's, and the
    // caption that an overlapped window always gets comes out of the client area.
    EXPECT_EQ(Show(seen.window), Show(seen.expected_size));
    EXPECT_EQ(seen.title, Wide(c.title, 1252));
    EXPECT_FALSE(seen.style & WS_POPUP);
    EXPECT_FALSE(seen.style & WS_CHILD);
    EXPECT_EQ(seen.style & WS_CAPTION, WS_CAPTION) << "an overlapped window always has a caption";
    EXPECT_FALSE(seen.style & WS_SYSMENU);
  }
}

}  // namespace
}  // namespace qreport::wintest
