#include "support/ui_driver.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace qreport::wintest {
namespace {

constexpr ULONGLONG kDeadlineMs = 20'000;
constexpr DWORD kPollMs = 10;

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
  return text;
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> ThreadWindows(DWORD thread) {
  std::vector<HWND> windows;
  EnumThreadWindows(thread, Collect, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&children));
  return children;
}

bool IsShownDialog(HWND w) { return IsWindowVisible(w) && IsWindowEnabled(w) && ClassOf(w) == "#32770"; }

bool HasEditBox(HWND w) {
  for (HWND child : Children(w)) {
    if (ClassOf(child) == "Edit") return true;
  }
  return false;
}

// A message box: a dialog with an OK button and no text box (the module's dialogs have text
// boxes and no control with the id of OK).
bool IsMessageBox(HWND w) { return IsShownDialog(w) && GetDlgItem(w, IDOK) != nullptr && !HasEditBox(w); }

// The message of a box: its first static control that shows text rather than an icon.
std::string MessageText(HWND box) {
  for (HWND child : Children(box)) {
    if (ClassOf(child) != "Static") continue;
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) continue;
    std::string text = TextOf(child);
    if (!text.empty()) return text;
  }
  return {};
}

std::string Describe(DWORD thread) {
  std::string text;
  for (HWND w : ThreadWindows(thread)) {
    text += "  window class=" + ClassOf(w) + " caption=\"" + TextOf(w) + "\"" +
            (IsWindowVisible(w) ? " visible" : " hidden") + (IsWindowEnabled(w) ? "" : " disabled");
    if (IsMessageBox(w)) text += " text=\"" + MessageText(w) + "\"";
    text += "\n";
  }
  return text.empty() ? "  (no windows)\n" : text;
}

}  // namespace

std::string MessageLine(std::string_view caption, std::string_view text) {
  std::string line = "message: ";
  line += caption;
  line += ": ";
  for (char c : text) {
    if (c == '\r') line += "\\r";
    else if (c == '\n') line += "\\n";
    else line += c;
  }
  return line;
}

void Screen::Fail(const std::string& why) const {
  std::string report = "ui driver: " + why + "\nwindows of the calling thread:\n" + Describe(ui_thread_);
  std::fwrite(report.data(), 1, report.size(), stderr);
  std::fflush(stderr);
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 3);
  for (;;) Sleep(INFINITE);
}

template <typename Found>
HWND Screen::WaitFor(const std::string& what, Found found) {
  ULONGLONG deadline = GetTickCount64() + kDeadlineMs;
  for (;;) {
    for (HWND w : ThreadWindows(ui_thread_)) {
      if (found(w)) return w;
    }
    if (WaitForSingleObject(call_returned_, 0) == WAIT_OBJECT_0) Fail("the call returned while waiting for " + what);
    if (GetTickCount64() > deadline) Fail("gave up waiting for " + what);
    Sleep(kPollMs);
  }
}

HWND Screen::WaitForDialog(int id) {
  return WaitFor("a dialog with control " + std::to_string(id),
                 [id](HWND w) { return IsShownDialog(w) && GetDlgItem(w, id) != nullptr && HasEditBox(w); });
}

MessageBoxSeen Screen::WaitForMessageBox() {
  MessageBoxSeen box;
  box.window = WaitFor("a message box", IsMessageBox);
  box.caption = TextOf(box.window);
  box.text = MessageText(box.window);
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.push_back(MessageLine(box.caption, box.text));
  return box;
}

void Screen::AnswerMessageBox(const MessageBoxSeen& box) {
  PostMessageA(GetDlgItem(box.window, IDOK), BM_CLICK, 0, 0);
  WaitUntilClosed(box.window);
}

ScreenEvent Screen::WaitForNext(int dialog_marker, int other_marker) {
  ULONGLONG deadline = GetTickCount64() + kDeadlineMs;
  for (;;) {
    for (HWND w : ThreadWindows(ui_thread_)) {
      if (IsMessageBox(w)) return {ScreenEvent::kMessageBox, w};
      if (IsShownDialog(w) && HasEditBox(w) &&
          (GetDlgItem(w, dialog_marker) != nullptr || GetDlgItem(w, other_marker) != nullptr)) {
        return {ScreenEvent::kDialog, w};
      }
    }
    if (WaitForSingleObject(call_returned_, 0) == WAIT_OBJECT_0) return {ScreenEvent::kCallReturned, nullptr};
    if (GetTickCount64() > deadline) Fail("gave up waiting for a dialog, a message box or the end of the call");
    Sleep(kPollMs);
  }
}

std::optional<MessageBoxSeen> Screen::WaitForMessageBoxOrClose(HWND dialog) {
  ULONGLONG deadline = GetTickCount64() + kDeadlineMs;
  for (;;) {
    for (HWND w : ThreadWindows(ui_thread_)) {
      if (IsMessageBox(w)) return WaitForMessageBox();
    }
    if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return std::nullopt;
    if (GetTickCount64() > deadline) Fail("gave up waiting for a message box or the end of the dialog");
    Sleep(kPollMs);
  }
}

void Screen::WaitUntilClosed(HWND window) {
  ULONGLONG deadline = GetTickCount64() + kDeadlineMs;
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount64() > deadline) Fail("gave up waiting for a window to close");
    Sleep(kPollMs);
  }
}

void Screen::WaitForReturn() {
  if (WaitForSingleObject(call_returned_, static_cast<DWORD>(kDeadlineMs)) != WAIT_OBJECT_0) {
    Fail("the call did not return");
  }
}

HWND Screen::Control(HWND dialog, int id) const {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) Fail("the dialog has no control " + std::to_string(id));
  return control;
}

void Screen::Type(HWND dialog, int id, std::string_view text) {
  std::string value(text);
  SetWindowTextA(Control(dialog, id), value.c_str());
}

void Screen::Click(HWND dialog, int id) { SendMessageA(Control(dialog, id), BM_CLICK, 0, 0); }

void Screen::Press(HWND dialog, int id) { PostMessageA(Control(dialog, id), BM_CLICK, 0, 0); }

void Screen::Key(HWND dialog, int id, UINT virtual_key) {
  HWND control = Control(dialog, id);
  PostMessageA(control, WM_KEYDOWN, virtual_key, 1);
  PostMessageA(control, WM_KEYUP, virtual_key, 1 | (1u << 30) | (1u << 31));
}

void Screen::FocusInAndOut(HWND dialog, int id) {
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(dialog, id)), TRUE);
  SendMessageA(dialog, WM_NEXTDLGCTL, 0, FALSE);
}

void Screen::NotifyClicked(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(dialog, id)));
}

bool Screen::IsChecked(HWND dialog, int id) const {
  return SendMessageA(Control(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string Screen::Text(HWND dialog, int id) const { return TextOf(Control(dialog, id)); }

std::vector<std::string> Screen::messages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_;
}

UiDriver::UiDriver(Script script)
    : call_returned_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), screen_(GetCurrentThreadId(), call_returned_) {
  thread_ = std::thread([this, script = std::move(script)] {
    try {
      script(screen_);
    } catch (const std::exception& e) {
      screen_.Fail(std::string("the script failed: ") + e.what());
    }
    screen_.WaitForReturn();
  });
}

UiDriver::~UiDriver() {
  if (!finished_) Finish();
  CloseHandle(call_returned_);
}

std::vector<std::string> UiDriver::Finish() {
  if (!finished_) {
    finished_ = true;
    SetEvent(call_returned_);
    thread_.join();
  }
  return screen_.messages();
}

}  // namespace qreport::wintest
