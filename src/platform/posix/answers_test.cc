// The answers file: how its lines read, and how its events play in a dialog.
#include "platform/posix/answers.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qreport {
namespace {

TEST(Answers, LinesReadAsEvents) {
  std::vector<Answer> a = ParseAnswers(
      "# a comment\r\n"
      "\n"
      "202=1,234.56\r\n"
      "213= &LH1% = name \n"
      "401\r\n"
      " 220 =1\n"
      "abc=9\n"
      "214=a\rb\n"
      "215=\n"
      "  # not a comment: the id is not a number\n"
      "403");
  ASSERT_EQ(a.size(), 9u);
  struct Want {
    bool known;
    int id;
    bool has_text;
    const char* text;
  } want[] = {
      {true, 202, true, "1,234.56"}, {true, 213, true, " &LH1% = name "}, {true, 401, false, ""},
      {true, 220, true, "1"},        {false, 0, true, "9"},               {true, 214, true, "a\rb"},
      {true, 215, true, ""},         {false, 0, false, ""},               {true, 403, false, ""},
  };
  for (std::size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(a[i].known_id, want[i].known);
    if (want[i].known) {
      EXPECT_EQ(a[i].id, want[i].id);
    }
    EXPECT_EQ(a[i].has_text, want[i].has_text);
    EXPECT_EQ(a[i].text, want[i].text);
  }
}

// Records every notification with what the control holds at that moment; button 1 ends the
// dialog with 7.
class Recorder final : public DialogHandler {
 public:
  void Notify(int id, DialogControls& d) override {
    if (id == 1) {
      d.End(7);
      log.push_back("end");
      return;
    }
    log.push_back(std::to_string(id) + ":" + (id == 3 ? (d.IsChecked(3) ? "on" : "off") : d.Text(id)));
  }
  std::vector<std::string> log;
};

DialogTable SmallDialog() {
  DialogTable t;
  t.controls = {
      {1, ControlKind::kPushButton, "&OK", 0, 0, 10, 10},
      {2, ControlKind::kTextBox, "start", 0, 0, 10, 10},
      {3, ControlKind::kCheckBox, "Flag", 0, 0, 10, 10},
      {4, ControlKind::kLabel, "Label", 0, 0, 10, 10},
      {5, ControlKind::kFrame, "", 0, 0, 10, 10},
  };
  t.controls[2].checked = true;
  return t;
}

TEST(Answers, PlayNotifiesLikeAUser) {
  struct Case {
    const char* what;
    const char* answers;
    int result;
    std::vector<std::string> log;
    std::size_t next;  // where the next dialog would start
  } cases[] = {
      {"typing sets the text, then notifies", "2=typed\n1\n", 7, {"2:typed", "end"}, 2},
      {"a box alone gains and loses the focus", "2\n1\n", 7, {"2:start", "2:start", "end"}, 2},
      {"1 checks, anything else unchecks, alone toggles", "3=0\n3=1\n3=yes\n3\n", kDialogClosed,
       {"3:off", "3:on", "3:off", "3:on"}, 4},
      {"labels, frames and unknown ids do nothing", "4=x\n5\n99\nzz\n", kDialogClosed, {}, 4},
      {"events after the end wait for the next dialog", "1=anything\n2=late\n", 7, {"end"}, 1},
      {"no events: closed in no button's way", "", kDialogClosed, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DialogTable t = SmallDialog();
    std::vector<Answer> answers = ParseAnswers(c.answers);
    Recorder r;
    std::size_t next = 0;
    EXPECT_EQ(PlayAnswers(t, r, answers, next), c.result);
    EXPECT_EQ(r.log, c.log);
    EXPECT_EQ(next, c.next);
  }
}

TEST(Answers, AFileThatCannotBeReadClosesTheDialogAtOnce) {
  // A host's QREPORT_ANSWERS may name a file that is not there: the dialog shows nothing and the
  // run goes on with what the dialog showed at first.
  PlatformOptions options;
  options.answers_file = "/no/such/folder/answers";
  auto platform = MakePlatform(options);
  DialogTable t = SmallDialog();
  Recorder r;
  EXPECT_EQ(platform->RunDialog(t, r), kDialogClosed);
  EXPECT_TRUE(r.log.empty());
}

TEST(DialogCaptions, MnemonicsAndDoubledAmpersands) {
  struct Case {
    const char* caption;
    const char* shown;
    char mnemonic;
  } cases[] = {
      {"&Done", "Done", 'D'},   {"&help", "help", 'H'},
      {"Preparer Lines (Codes) &&LH1%, etc", "Preparer Lines (Codes) &LH1%, etc", 0},
      {"A&&B &Cancel", "A&B Cancel", 'C'}, {"OK", "OK", 0}, {"end&", "end", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(CaptionWithoutMnemonic(c.caption), c.shown);
    EXPECT_EQ(MnemonicOf(c.caption), c.mnemonic);
  }
}

}  // namespace
}  // namespace qreport
