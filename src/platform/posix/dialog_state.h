// The controls of an open dialog kept as plain values: each text box's text and each check
// box's mark, started from the dialog's table. The scripted and terminal backends edit these
// values as their user does and hand the object to the dialog's handler.
#pragma once

#include <map>
#include <string>

#include "platform/dialog.h"

namespace qreport {

class DialogState final : public DialogControls {
 public:
  // Starts every control as `table` gives it; `table` must outlive the object.
  explicit DialogState(const DialogTable& table);
  DialogState(const DialogState&) = delete;
  DialogState& operator=(const DialogState&) = delete;

  std::string Text(int id) const override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  void End(int result) override;

  // The kind of control `id`, or nullptr when the dialog has no such control.
  const DialogControl* Control(int id) const { return table_.Find(id); }
  const DialogTable& table() const { return table_; }

  // Sets a text box's text as the user does (no notification; the caller notifies).
  void SetText(int id, std::string text);

  bool ended() const { return ended_; }
  int result() const { return result_; }

 private:
  const DialogTable& table_;
  std::map<int, std::string> texts_;
  std::map<int, bool> checks_;
  bool ended_ = false;
  int result_ = kDialogClosed;
};

}  // namespace qreport
