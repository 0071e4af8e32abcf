// What keys do to an open dialog, apart from any screen: the focus moved through the table's
// tab stops, text boxes edited, check boxes and buttons pressed, mnemonics, and every change
// reported to the dialog's handler as a window reports it (a text box when it gains and loses
// the focus and when its text changes, a check box or button when it is pressed).
#pragma once

#include <map>
#include <vector>

#include "platform/dialog.h"
#include "platform/posix/dialog_state.h"
#include "platform/posix/terminal_keys.h"
#include "platform/posix/text_box_edit.h"

namespace qreport {

class DialogKeys {
 public:
  // `table` and `handler` must outlive the object. Nothing is notified before Start().
  DialogKeys(const DialogTable& table, DialogHandler& handler);
  DialogKeys(const DialogKeys&) = delete;
  DialogKeys& operator=(const DialogKeys&) = delete;

  // Gives the first tab stop the focus, with a text box's text selected.
  void Start();

  // Acts on a key. Returns false when a text box refused a typed character.
  bool OnKey(const Key& key);

  // Acts on the control whose caption marks `typed` as its mnemonic: a button is pressed, a
  // check box focused and toggled, a label moves the focus to the next control that takes it.
  void OnMnemonic(char32_t typed);

  // The control with the focus, or nullptr when the dialog has no tab stop.
  const DialogControl* Focused() const { return stops_.empty() ? nullptr : stops_[focus_]; }
  TextBoxEdit& EditOf(int id) { return edits_[id]; }
  const DialogState& state() const { return state_; }
  bool ended() const { return state_.ended(); }
  int result() const { return state_.result(); }

 private:
  void Notify(int id);
  void Focus(std::size_t index, bool select);
  void Move(int step);
  void FocusControl(const DialogControl* c);
  void Press(const DialogControl& c);
  bool EditKey(const DialogControl& box, const Key& key);

  const DialogTable& table_;
  DialogHandler& handler_;
  DialogState state_;
  std::vector<const DialogControl*> stops_;
  std::size_t focus_ = 0;
  bool focused_once_ = false;
  std::map<int, TextBoxEdit> edits_;
};

}  // namespace qreport
