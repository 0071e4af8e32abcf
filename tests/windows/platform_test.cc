// The Windows port on its own, with small dialogs of the tests' own: what a handler sees and
// does through a real dialog, and what becomes of a handler's exception, which must never unwind
// through the system's dialog code.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"
#include "support/client_run.h"

namespace qreport::wintest {
namespace {

constexpr int kBox = 10, kFirstCheck = 20, kSecondCheck = 21, kEndButton = 30, kLabel = 40;

DialogTable SmallDialog() {
  DialogTable t;
  t.title = "Small";
  t.width = 160;
  t.height = 80;
  t.controls = {
      {kLabel, ControlKind::kLabel, "Label", 5, 5, 60, 10},
      {kBox, ControlKind::kTextBox, "start", 70, 5, 60, 12},
      {kFirstCheck, ControlKind::kCheckBox, "First", 5, 25, 60, 12},
      {kSecondCheck, ControlKind::kCheckBox, "Second", 70, 25, 60, 12},
      {kEndButton, ControlKind::kPushButton, "End", 5, 50, 40, 14},
  };
  return t;
}

// Records every notification with what the handler read at that moment; a click on the first
// check box sets the second, a press on the button ends the dialog with 7.
class RecordingHandler final : public DialogHandler {
 public:
  void Notify(int id, DialogControls& dialog) override {
    heard.push_back(std::to_string(id) + " text=" + dialog.Text(id) + " checked=" + (dialog.IsChecked(id) ? "1" : "0"));
    if (id == kFirstCheck) dialog.SetChecked(kSecondCheck, true);
    if (id == kEndButton) dialog.End(7);
    if (id == kBox && dialog.Text(kBox) == "throw") throw std::runtime_error("the handler failed");
  }
  std::vector<std::string> heard;
};

// Notifications that only mean the focus moved (the first box gets it when the dialog opens).
std::vector<std::string> WithoutFocusOf(const std::vector<std::string>& heard, const std::string& focus) {
  std::vector<std::string> rest;
  for (const std::string& h : heard) {
    if (h != focus) rest.push_back(h);
  }
  return rest;
}

TEST(Win32Dialog, HandlerHearsEachControlAndEndsTheDialog) {
  auto platform = MakePlatform({});
  RecordingHandler handler;
  DialogTable table = SmallDialog();
  bool second_checked = false;
  UiDriver driver([&](Screen& screen) {
    HWND dialog = screen.WaitForDialog(kEndButton);
    screen.Type(dialog, kBox, "typed");
    screen.Click(dialog, kFirstCheck);
    second_checked = screen.IsChecked(dialog, kSecondCheck);
    screen.Press(dialog, kEndButton);
  });
  int result = platform->RunDialog(table, handler);
  driver.Finish();
  EXPECT_EQ(result, 7);
  EXPECT_TRUE(second_checked);
  // The box reports its change (EN_UPDATE and EN_CHANGE); a label reads as empty text; the mark
  // set by the handler raised nothing, so 21 is never heard.
  std::vector<std::string> heard = WithoutFocusOf(handler.heard, "10 text=start checked=0");
  ASSERT_GE(heard.size(), 3u);
  EXPECT_EQ(heard.front(), "10 text=typed checked=0");
  EXPECT_EQ(heard[heard.size() - 2], "20 text= checked=1");
  EXPECT_EQ(heard.back(), "30 text= checked=0");
  for (const std::string& h : heard) EXPECT_NE(h.substr(0, 3), "21 ") << h;
}

TEST(Win32Dialog, HandlerExceptionClosesTheDialogAndIsThrownToTheCaller) {
  auto platform = MakePlatform({});
  RecordingHandler handler;
  DialogTable table = SmallDialog();
  HWND shown = nullptr;
  UiDriver driver([&](Screen& screen) {
    shown = screen.WaitForDialog(kEndButton);
    screen.Type(shown, kBox, "throw");
  });
  EXPECT_THROW(platform->RunDialog(table, handler), std::runtime_error);
  driver.Finish();
  EXPECT_FALSE(IsWindow(shown));
}

// A message box with no caption of its own shows the module's caption.
TEST(Win32MessageBox, EmptyCaptionShowsTheModulesCaption) {
  auto platform = MakePlatform({});
  UiDriver driver(AnswerMessageBoxesUntilReturn);
  platform->MessageBox("", "Invalid Print Device Selected");
  platform->MessageBox("Help", "line 1\r\nline 2");
  std::vector<std::string> messages = driver.Finish();
  EXPECT_EQ(messages, (std::vector<std::string>{"message: QREPORT: Invalid Print Device Selected",
                                                 "message: Help: line 1\\r\\nline 2"}));
}

// Temporary folders: each a new folder under its own name with the asked-for prefix, and none
// in a folder that is not there.
TEST(Win32Files, TemporaryFoldersAreNewAndKeepTheirPrefix) {
  TempFolder dir;
  std::filesystem::path first = CreateTemporaryFolderIn(dir.path(), ".client.import-");
  std::filesystem::path second = CreateTemporaryFolderIn(dir.path(), ".client.import-");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  EXPECT_TRUE(std::filesystem::is_directory(first));
  EXPECT_TRUE(std::filesystem::is_directory(second));
  EXPECT_TRUE(std::filesystem::equivalent(first.parent_path(), dir.path()));
  EXPECT_EQ(first.filename().string().rfind(".client.import-", 0), 0u) << first;
  EXPECT_TRUE(CreateTemporaryFolderIn(dir.path() / "missing", "x-").empty());
}

}  // namespace
}  // namespace qreport::wintest
