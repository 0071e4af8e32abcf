// Keys in an open dialog without a terminal: which control has the focus after each key, and
// what the dialog's handler hears, in order, as a window would tell it.
#include "platform/posix/dialog_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qreport {
namespace {

constexpr int kLabel = 1, kAmount = 10, kName = 11, kPrint = 20, kDone = 30, kCancel = 31;

DialogTable Fixture() {
  DialogTable t;
  t.width = 200;
  t.height = 60;
  t.controls = {
      {kLabel, ControlKind::kLabel, "&Amount:", 4, 4, 40, 8},
      {kAmount, ControlKind::kTextBox, "5", 50, 4, 60, 12},
      {kName, ControlKind::kTextBox, "", 120, 4, 60, 12},
      {kPrint, ControlKind::kCheckBox, "&Print", 4, 20, 60, 10},
      {kDone, ControlKind::kPushButton, "&Done", 4, 40, 40, 14},
      {kCancel, ControlKind::kPushButton, "Cancel", 50, 40, 40, 14},
  };
  return t;
}

// Hears "id text" from a text box, "id 0/1" from the check box, "id" from a button; Done
// ends the dialog with 1.
class Recorder final : public DialogHandler {
 public:
  void Notify(int id, DialogControls& dialog) override {
    if (id == kAmount || id == kName) heard.push_back(std::to_string(id) + " " + dialog.Text(id));
    else if (id == kPrint) heard.push_back(std::to_string(id) + (dialog.IsChecked(id) ? " 1" : " 0"));
    else heard.push_back(std::to_string(id));
    if (id == kDone) dialog.End(1);
  }
  std::vector<std::string> heard;
};

// A step: a key, or the letter that follows Escape (an Alt combination).
struct Step {
  Key key;
  bool after_escape = false;
};
Step Ch(char32_t c) { return {{KeyName::kCharacter, c}}; }
Step Named(KeyName name) { return {{name}}; }
Step Alt(char32_t c) { return {{KeyName::kCharacter, c}, true}; }

TEST(DialogKeys, FocusEditsAndPressesNotifyAsAWindowDoes) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<std::string> heard;
    int focused;
    int result = kDialogClosed;
  } cases[] = {
      {"the first box has the focus and says so", {}, {"10 5"}, kAmount},
      {"typing replaces the selected text, each change heard", {Ch('4'), Ch('2')}, {"10 5", "10 4", "10 42"}, kAmount},
      {"Tab: the box left and the box entered are heard", {Named(KeyName::kTab)}, {"10 5", "10 5", "11 "}, kName},
      {"Down moves as Tab, Up as Shift-Tab", {Named(KeyName::kDown), Named(KeyName::kUp)},
       {"10 5", "10 5", "11 ", "11 ", "10 5"}, kAmount},
      {"Shift-Tab from the first stop wraps to the last", {Named(KeyName::kBackTab)}, {"10 5", "10 5"}, kCancel},
      {"Space toggles the check box", {Named(KeyName::kTab), Named(KeyName::kTab), Ch(' '), Ch(' ')},
       {"10 5", "10 5", "11 ", "11 ", "20 1", "20 0"}, kPrint},
      {"Right leaves a check box, Enter presses the button", {Named(KeyName::kTab), Named(KeyName::kTab),
       Named(KeyName::kRight), Named(KeyName::kEnter)}, {"10 5", "10 5", "11 ", "11 ", "30"}, kDone, 1},
      {"Enter in a text box presses nothing", {Named(KeyName::kEnter)}, {"10 5"}, kAmount},
      {"a letter in a text box is typed, not a mnemonic", {Ch('d')}, {"10 5", "10 d"}, kAmount},
      {"a letter where the focus is no text box is a mnemonic", {Named(KeyName::kBackTab), Ch('p')},
       {"10 5", "10 5", "20 1"}, kPrint},
      {"Alt and a button's letter press it from a text box", {Alt('d')}, {"10 5", "30"}, kAmount, 1},
      {"Alt and a label's letter focus the control after it", {Named(KeyName::kTab), Alt('A')},
       {"10 5", "10 5", "11 ", "11 ", "10 5"}, kAmount},
      {"Alt and a letter no caption marks does nothing", {Alt('z')}, {"10 5"}, kAmount},
      {"nothing is heard once the dialog has ended", {Alt('d'), Named(KeyName::kTab), Ch('x')}, {"10 5", "30"},
       kName, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DialogTable table = Fixture();
    Recorder recorder;
    DialogKeys keys(table, recorder);
    keys.Start();
    for (const Step& s : c.steps) {
      if (s.after_escape) keys.OnMnemonic(s.key.character);
      else keys.OnKey(s.key);
    }
    EXPECT_EQ(recorder.heard, c.heard);
    ASSERT_NE(keys.Focused(), nullptr);
    EXPECT_EQ(keys.Focused()->id, c.focused);
    EXPECT_EQ(keys.result(), c.result);
  }
}

TEST(DialogKeys, ARefusedCharacterIsReportedAndChangesNothing) {
  DialogTable table = Fixture();
  Recorder recorder;
  DialogKeys keys(table, recorder);
  keys.Start();
  EXPECT_FALSE(keys.OnKey({KeyName::kCharacter, U'\u2603'}));
  EXPECT_TRUE(keys.OnKey({KeyName::kCharacter, U'\u20AC'}));
  EXPECT_EQ(keys.state().Text(kAmount), "\x80");
  EXPECT_EQ(recorder.heard, (std::vector<std::string>{"10 5", "10 \x80"}));
}

}  // namespace
}  // namespace qreport
