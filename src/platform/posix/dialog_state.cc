#include "platform/posix/dialog_state.h"

#include <utility>

namespace qreport {

DialogState::DialogState(const DialogTable& table) : table_(table) {
  for (const DialogControl& c : table.controls) {
    if (c.kind == ControlKind::kTextBox) texts_[c.id] = WithinTextBoxLimit(c.text);
    if (c.kind == ControlKind::kCheckBox) checks_[c.id] = c.checked;
  }
}

std::string DialogState::Text(int id) const {
  auto it = texts_.find(id);
  return it == texts_.end() ? std::string() : it->second;
}

bool DialogState::IsChecked(int id) const {
  auto it = checks_.find(id);
  return it != checks_.end() && it->second;
}

void DialogState::SetChecked(int id, bool checked) {
  auto it = checks_.find(id);
  if (it != checks_.end()) it->second = checked;
}

void DialogState::SetText(int id, std::string text) {
  auto it = texts_.find(id);
  if (it == texts_.end()) return;
  if (text.size() > kTextBoxLimit) text.resize(kTextBoxLimit);
  it->second = std::move(text);
}

void DialogState::End(int result) {
  // The first end counts; a dialog is gone once it has been ended.
  if (ended_) return;
  ended_ = true;
  result_ = result;
}

}  // namespace qreport
