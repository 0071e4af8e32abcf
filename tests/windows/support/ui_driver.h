// A user at the screen of the thread that calls into the module. The module's dialogs and
// message boxes are modal on that thread, so the user is a second thread: it waits for the
// windows the first one shows and works them through their controls' own messages (text set
// with WM_SETTEXT, clicks with BM_CLICK), the way typing and clicking reach them.
//
// Every wait has a deadline. When one passes, or when the call returns while the script still
// waits, the driver writes what it waited for and the windows it saw to standard error and ends
// the process with exit code 3: a test can fail, but it never hangs.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#undef MessageBox

namespace qreport::wintest {

struct MessageBoxSeen {
  HWND window = nullptr;
  std::string caption;
  std::string text;
};

// What the screen shows next: one of the module's dialogs, a message box, or nothing any more
// because the call has returned.
struct ScreenEvent {
  enum Kind { kDialog, kMessageBox, kCallReturned } kind = kCallReturned;
  HWND window = nullptr;
};

class Screen {
 public:
  Screen(DWORD ui_thread, HANDLE call_returned) : ui_thread_(ui_thread), call_returned_(call_returned) {}

  // Waits for a visible, enabled dialog of the thread that holds control `id`.
  HWND WaitForDialog(int id);
  // Waits for a message box and records it (see messages()); the box stays open.
  MessageBoxSeen WaitForMessageBox();
  // Presses the box's OK button and waits until the box has gone.
  void AnswerMessageBox(const MessageBoxSeen& box);
  // Waits for whatever comes next. A dialog is recognised by holding control `dialog_marker`
  // (or `other_marker`).
  ScreenEvent WaitForNext(int dialog_marker, int other_marker);
  // After a press in `dialog`: waits until either a message box is up (returned, and recorded)
  // or the dialog has gone (nullopt).
  std::optional<MessageBoxSeen> WaitForMessageBoxOrClose(HWND dialog);
  // Waits until `window` has gone (destroyed or hidden).
  void WaitUntilClosed(HWND window);
  // Waits until the call into the module has returned.
  void WaitForReturn();

  // Sets a text box's text: the box notifies its dialog of the change.
  void Type(HWND dialog, int id, std::string_view text);
  // Clicks a check box and waits until the click has been handled.
  void Click(HWND dialog, int id);
  // Presses a push button; returns at once, since what the press starts (a message box, the end
  // of the dialog) runs on the dialog's thread.
  void Press(HWND dialog, int id);
  // Presses key `virtual_key` in control `id`: the key goes into the dialog's message queue, after
  // anything posted before and before anything posted after.
  void Key(HWND dialog, int id, UINT virtual_key);
  // Moves the focus into a text box and on to the next control.
  void FocusInAndOut(HWND dialog, int id);
  // A check box's BN_CLICKED without a change of its mark.
  void NotifyClicked(HWND dialog, int id);

  bool IsChecked(HWND dialog, int id) const;
  std::string Text(HWND dialog, int id) const;

  [[noreturn]] void Fail(const std::string& why) const;

  // The message boxes seen so far, one line each: "message: CAPTION: TEXT" with CR and LF in
  // the text written as \r and \n.
  std::vector<std::string> messages() const;

 private:
  template <typename Found>
  HWND WaitFor(const std::string& what, Found found);
  HWND Control(HWND dialog, int id) const;

  DWORD ui_thread_;
  HANDLE call_returned_;
  mutable std::mutex mutex_;
  std::vector<std::string> messages_;
};

using Script = std::function<void(Screen&)>;

// Runs `script` on a thread of its own against the windows of the constructing thread, while
// that thread calls into the module.
class UiDriver {
 public:
  explicit UiDriver(Script script);
  ~UiDriver();
  UiDriver(const UiDriver&) = delete;
  UiDriver& operator=(const UiDriver&) = delete;

  // Call when the call into the module has returned: waits for the script to end and returns
  // the message boxes it saw.
  std::vector<std::string> Finish();

 private:
  HANDLE call_returned_;
  Screen screen_;
  std::thread thread_;
  bool finished_ = false;
};

// A message box line as the scripted Linux dialogs write it.
std::string MessageLine(std::string_view caption, std::string_view text);

}  // namespace qreport::wintest
