#include "platform/win32/dialog_window.h"

#include <exception>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"

#include "platform/win32/dialog_template.h"

namespace qreport {
namespace {

// One open dialog: the table it was built from, its handler and its window.
class DialogSession final : public DialogControls {
 public:
  DialogSession(const DialogTable& table, DialogHandler& handler) : table_(table), handler_(handler) {}

  std::string Text(int id) const override {
    if (!Is(id, ControlKind::kTextBox)) return {};
    HWND control = ::GetDlgItem(window_, id);
    if (control == nullptr) return {};
    int length = ::GetWindowTextLengthA(control);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int copied = ::GetDlgItemTextA(window_, id, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
    return text;
  }

  bool IsChecked(int id) const override {
    return Is(id, ControlKind::kCheckBox) && ::IsDlgButtonChecked(window_, id) == BST_CHECKED;
  }

  // BM_SETCHECK raises no BN_CLICKED, so a rule that sets a mark hears nothing back.
  void SetChecked(int id, bool checked) override {
    if (Is(id, ControlKind::kCheckBox)) ::CheckDlgButton(window_, id, checked ? BST_CHECKED : BST_UNCHECKED);
  }

  void End(int result) override {
    if (ended_) return;
    ended_ = true;
    result_ = result;
    ::EndDialog(window_, result);
  }

  // WM_INITDIALOG: the check boxes take their first marks.
  void Start(HWND window) {
    window_ = window;
    for (const DialogControl& c : table_.controls) {
      if (c.kind == ControlKind::kCheckBox) ::CheckDlgButton(window, c.id, c.checked ? BST_CHECKED : BST_UNCHECKED);
    }
  }

  // WM_COMMAND from control `id`.
  void Command(int id) {
    if (ended_) return;  // the window is going; focus changes on the way out mean nothing
    try {
      handler_.Notify(id, *this);
    } catch (...) {
      error_ = std::current_exception();
      End(kDialogClosed);
    }
  }

  int result() const { return ended_ ? result_ : kDialogClosed; }
  const std::exception_ptr& error() const { return error_; }

 private:
  bool Is(int id, ControlKind kind) const {
    const DialogControl* c = table_.Find(id);
    return c != nullptr && c->kind == kind && window_ != nullptr;
  }

  const DialogTable& table_;
  DialogHandler& handler_;
  HWND window_ = nullptr;
  bool ended_ = false;
  int result_ = kDialogClosed;
  std::exception_ptr error_;
};

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* session = reinterpret_cast<DialogSession*>(lparam);
    session->Start(window);
    // Notifications count only from here on: whatever the controls said while they were being
    // set up was not the user.
    ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    return TRUE;  // focus to the first tab stop
  }
  if (message != WM_COMMAND) return FALSE;
  auto* session = reinterpret_cast<DialogSession*>(::GetWindowLongPtrA(window, DWLP_USER));
  if (session == nullptr) return FALSE;
  session->Command(LOWORD(wparam));
  return TRUE;
}

// The module that holds this code: the instance the dialog's controls belong to.
HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&DialogProc), &module);
  return module;
}

}  // namespace

int ShowModalDialog(const DialogTable& table, DialogHandler& handler) {
  std::vector<WORD> dialog_template = BuildDialogTemplate(table);
  DialogSession session(table, handler);
  ::DialogBoxIndirectParamA(ThisModule(), reinterpret_cast<LPCDLGTEMPLATEA>(dialog_template.data()), nullptr,
                            DialogProc, reinterpret_cast<LPARAM>(&session));
  if (session.error()) std::rethrow_exception(session.error());
  return session.result();
}

}  // namespace qreport
