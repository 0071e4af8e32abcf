// The two dialogs worked as a user works them: typing, clicking check boxes, pressing buttons,
// reading the Help box; and what each way of closing them leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/dialogs.h"
#include "support/client_run.h"

namespace qreport::wintest {
namespace {

// Each click of one of the pairs, and the marks of both pairs after it: the form choice is
// always exactly one box, the depositor type at most one.
TEST(OptionsDialog, CheckBoxPairsFollowEachClick) {
  struct Step {
    int click;
    bool monthly, semiweekly, print941, print944;
  };
  const std::vector<Step> steps = {
      {kPrint941Box, false, false, false, true},      // unchecking 941 checks 944
      {kPrint941Box, false, false, true, false},
      {kPrint944Box, false, false, false, true},
      {kPrint944Box, false, false, true, false},      // unchecking 944 checks 941
      {kMonthlyDepositorBox, true, false, true, false},
      {kSemiweeklyDepositorBox, false, true, true, false},
      {kMonthlyDepositorBox, true, false, true, false},
      {kMonthlyDepositorBox, false, false, true, false},  // both may be clear
  };
  HostModule dll;
  ClientFolder client;
  struct Marks {
    bool monthly, semiweekly, print941, print944;
  };
  Marks first{};
  std::vector<Marks> seen;
  RunOutcome run = RunReport(dll, client.dir(), "P", "941", [&](Screen& screen) {
    HWND dialog = screen.WaitForDialog(kOptionsMarker);
    auto marks = [&] {
      return Marks{screen.IsChecked(dialog, kMonthlyDepositorBox), screen.IsChecked(dialog, kSemiweeklyDepositorBox),
                   screen.IsChecked(dialog, kPrint941Box), screen.IsChecked(dialog, kPrint944Box)};
    };
    first = marks();
    for (const Step& step : steps) {
      screen.Click(dialog, step.click);
      seen.push_back(marks());
    }
    screen.Press(dialog, kCancelButton);
  });
  EXPECT_EQ(run.call.stack_moved, 0);
  EXPECT_FALSE(first.monthly || first.semiweekly || first.print944);
  EXPECT_TRUE(first.print941);
  ASSERT_EQ(seen.size(), steps.size());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE("after click " + std::to_string(i + 1) + " on " + std::to_string(steps[i].click));
    EXPECT_EQ(seen[i].monthly, steps[i].monthly);
    EXPECT_EQ(seen[i].semiweekly, steps[i].semiweekly);
    EXPECT_EQ(seen[i].print941, steps[i].print941);
    EXPECT_EQ(seen[i].print944, steps[i].print944);
  }
}

// Help shows its nine lines in a box captioned "Help"; while the box is up the dialog takes no
// clicks, and afterwards it is still open. Cancel then leaves the client's files as they were.
TEST(OptionsDialog, HelpKeepsTheDialogOpenAndCancelChangesNothing) {
  HostModule dll;
  ClientFolder client;
  const std::string saved = "Pat Doe \r\n555-0100 \r\n&LH1% \r\nIL  \r\n";
  client.Write("save941.info", saved);
  bool enabled_under_box = true, enabled_after = false;
  HWND before = nullptr, after = nullptr;
  RunOutcome run = RunReport(dll, client.dir(), "P", "941", [&](Screen& screen) {
    before = screen.WaitForDialog(kOptionsMarker);
    screen.Press(before, kHelpButton);
    MessageBoxSeen help = screen.WaitForMessageBox();
    enabled_under_box = IsWindowEnabled(before) != FALSE;
    screen.AnswerMessageBox(help);
    after = screen.WaitForDialog(kOptionsMarker);
    enabled_after = IsWindowEnabled(after) != FALSE;
    screen.Press(after, kCancelButton);
  });
  EXPECT_EQ(run.call.stack_moved, 0);
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_EQ(run.messages[0], MessageLine(kHelpCaption, kOptionsHelpText));
  EXPECT_FALSE(enabled_under_box);
  EXPECT_TRUE(enabled_after);
  EXPECT_EQ(before, after);
  EXPECT_EQ(client.Read("save941.info"), saved);
  EXPECT_FALSE(std::filesystem::exists(client.file("report.txt")));
  EXPECT_EQ(run.device_code, "P") << "the form route leaves the device code alone";
}

// Escape and Enter do not end the options dialog: it ends only through its buttons, so no key
// can start a report the user did not confirm. The key is queued before a press on Cancel; had
// the key ended the dialog, the press would never be seen and the report would be written.
TEST(OptionsDialog, EscapeAndEnterLeaveItOpen) {
  for (UINT key : {VK_ESCAPE, VK_RETURN}) {
    SCOPED_TRACE(key == VK_ESCAPE ? "Escape" : "Enter");
    HostModule dll;
    ClientFolder client;
    RunOutcome run = RunReport(dll, client.dir(), "P", "941", [&](Screen& screen) {
      HWND dialog = screen.WaitForDialog(kOptionsMarker);
      screen.Key(dialog, kAdjust7aBox, key);
      screen.Press(dialog, kCancelButton);
      screen.WaitUntilClosed(dialog);
      AnswerMessageBoxesUntilReturn(screen);
    });
    EXPECT_EQ(run.call.stack_moved, 0);
    EXPECT_FALSE(std::filesystem::exists(client.file("report.txt")));
    EXPECT_TRUE(run.messages.empty());
  }
}

// What the boxes show at first is what the run keeps unless the user types: boxes filled before
// the dialog took notice must not have fed anything. Typed texts replace them.
TEST(OptionsDialog, DoneKeepsTypedAndUntouchedTexts) {
  HostModule dll;
  ClientFolder client;
  client.Write("save941.info", "Pat Doe \r\n555-0100 \r\n&LH5% \r\nIL  \r\n");
  RunOutcome run = RunReport(dll, client.dir(), "P", "941", [&](Screen& screen) {
    HWND dialog = screen.WaitForDialog(kOptionsMarker);
    screen.Type(dialog, kDesigneeNameBox, "&LH2%");
    screen.Type(dialog, kStateCodeBox, " tx ");
    screen.FocusInAndOut(dialog, kDesigneePhoneBox);
    screen.Type(dialog, kLine11Box, "$1,234.56");
    screen.Press(dialog, kDoneButton);
    screen.WaitUntilClosed(dialog);
    AnswerMessageBoxesUntilReturn(screen);
  });
  EXPECT_EQ(run.call.stack_moved, 0);
  EXPECT_EQ(client.Read("save941.info"), "&LH2% \r\n555-0100 \r\n&LH5% \r\ntx  \r\n");
  EXPECT_FALSE(client.Read("report.txt").empty());
  EXPECT_EQ(run.device_code, "P");
}

// The short route's dialog: OK writes the worksheet (or, for another report kind, an empty
// report) and sets the device code to P; CANCEL writes nothing and sets X.
TEST(ReportDateDialog, OkAndCancel) {
  struct Case {
    const char* kind;
    int button;
    const char* device_code;
    bool report_written, report_empty;
  };
  for (const Case& c : {Case{"941", kOkButton, "P", true, false}, Case{"940", kOkButton, "P", true, true},
                        Case{"941", kReportDateCancelButton, "X", false, false}}) {
    SCOPED_TRACE(std::string(c.kind) + " button " + std::to_string(c.button));
    HostModule dll;
    ClientFolder client("063004");
    RunOutcome run = RunReport(dll, client.dir(), "Q", c.kind, [&](Screen& screen) {
      HWND dialog = screen.WaitForDialog(kReportDateMarker);
      screen.Type(dialog, kReportDateBox, "093004");
      screen.Press(dialog, c.button);
      screen.WaitUntilClosed(dialog);
      AnswerMessageBoxesUntilReturn(screen);
    });
    EXPECT_EQ(run.call.stack_moved, 0);
    EXPECT_EQ(run.device_code, c.device_code);
    EXPECT_EQ(std::filesystem::exists(client.file("report.txt")), c.report_written);
    if (c.report_written) {
      EXPECT_EQ(client.Read("report.txt").empty(), c.report_empty);
    }
  }
}

}  // namespace
}  // namespace qreport::wintest
