// The two dialogs of a report run: what their boxes start with, and what each control does to
// the run when a user works the dialog (played from answers, as a scripted run does).
#include "run/dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "run/stages.h"
#include "support/recording_platform.h"

namespace qreport {
namespace {

using testing::RecordingPlatform;

TEST(MoneyBox, ReadsTheDecimalRuleWithSeparatorsAndDollarSignIgnored) {
  struct Case {
    const char* text;
    Cents cents;
  } cases[] = {
      {"0.125", 12},        {"0.375", 38},         {"12abc", 1200},         {"", 0},
      {"   ", 0},           {" \t\n7.5", 750},     {"1,234.56", 123456},    {"$1,234.56", 123456},
      {"-$1,234.56", -123456}, {"$-5", -500},      {"1.234,56", 123},       {"abc", 0},
      {"1e3", 100000},      {"0.625", 62},         {"2.675", 268},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(MoneyBoxCents(c.text), c.cents);
  }
}

TEST(OptionsDialogTable, BoxesStartWithTheRunsValues) {
  RunState s;
  s.data_dir = "/data/client 7   ";
  s.designee_name = "&LH1%";
  s.designee_phone = "555-0100";
  s.preparer_codes = "&LH2% &LH3%";
  s.state_code = "TX";
  s.month_liability[1] = 123450;  // 1234.50
  s.month_liability[2] = 0;
  s.month_liability[3] = -1999;
  DialogTable t = OptionsDialogTable(s);

  EXPECT_EQ(t.title, "Quarterly Report including 941 facsimile for: /data/client 7");
  EXPECT_EQ(t.width, 420);
  EXPECT_EQ(t.height, 220);
  struct Expect {
    int id;
    const char* text;
  } boxes[] = {
      {202, ""},         {211, ""},          {213, "&LH1%"},         {214, "555-0100"}, {215, "&LH2% &LH3%"},
      {216, " 1234.5"},  {217, " 0"},        {218, "-19.99"},        {219, "TX"},       {222, "0"},
      {230, "0"},
  };
  for (const Expect& e : boxes) {
    SCOPED_TRACE(e.id);
    const DialogControl* c = t.Find(e.id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind, ControlKind::kTextBox);
    EXPECT_EQ(c->text, e.text);
  }
  EXPECT_FALSE(t.Find(220)->checked);
  EXPECT_FALSE(t.Find(221)->checked);
  EXPECT_TRUE(t.Find(242)->checked);
  EXPECT_FALSE(t.Find(243)->checked);
  EXPECT_EQ(t.Find(106)->text, "7e. Prior quarter\x92s social security and Medicare taxes (Attach Form 941c)");

  // Tab order is the table's order: the text boxes in id order, then the check boxes and
  // buttons, with the state box and depositor boxes before the 944 months.
  std::vector<int> stops;
  for (const DialogControl& c : t.controls) {
    if (c.kind != ControlKind::kLabel && c.kind != ControlKind::kFrame) stops.push_back(c.id);
  }
  EXPECT_EQ(stops, (std::vector<int>{202, 203, 204, 205, 206, 207, 208, 211, 213, 214, 215, 216, 217, 218, 219, 220,
                                     221, 222, 223, 224, 225, 226, 227, 228, 229, 230, 242, 243, 401, 402, 403}));
}

// Plays `answers` in the options dialog of a run whose state `setup` prepared.
struct OptionsRun {
  RecordingPlatform platform;
  RunContext ctx{platform};
  int result = 0;
};

void PlayOptions(OptionsRun& run, const std::string& answers) {
  run.platform.answers = answers;
  ShowOptionsDialog(run.ctx);
  ASSERT_EQ(run.platform.dialog_results.size(), 1u);
  run.result = run.platform.dialog_results[0];
}

TEST(OptionsDialog, EachControlFeedsTheRun) {
  struct Case {
    const char* what;
    const char* answers;
    std::function<void(const RunState&)> check;
  } cases[] = {
      {"money boxes round half cents to even", "202=0.125\n203=0.375\n204=12abc\n205=1,234.56\n206=$1,234.56\n",
       [](const RunState& s) {
         EXPECT_EQ(s.adjustment_7a, 12);
         EXPECT_EQ(s.adjustment_7b, 38);
         EXPECT_EQ(s.adjustment_7c, 1200);
         EXPECT_EQ(s.adjustment_7d, 123456);
         EXPECT_EQ(s.adjustment_7e, 123456);
       }},
      {"blanks and emptied boxes store zero", "207=   \n208=5\n208=\n211= 42.10\n",
       [](const RunState& s) {
         EXPECT_EQ(s.adjustment_7f, 0);
         EXPECT_EQ(s.adjustment_7g, 0);
         EXPECT_EQ(s.deposits, 4210);
       }},
      {"all twelve months", "216=1\n217=2\n218=3\n222=4\n223=5\n224=6\n225=7\n226=8\n227=9\n228=10\n229=11\n230=12.5\n",
       [](const RunState& s) {
         for (int m = 1; m <= 11; ++m) EXPECT_EQ(s.month_liability[m], m * 100) << m;
         EXPECT_EQ(s.month_liability[12], 1250);
       }},
      {"focus in and out of a month box re-stores what it shows", "216\n",
       [](const RunState& s) { EXPECT_EQ(s.month_liability[1], 123457); }},
      {"texts are copied as typed, the state trimmed", "213= &LH1% \n214=(217) 555-0142\n215=&LH1% &LH2%\n219= tx \n",
       [](const RunState& s) {
         EXPECT_EQ(s.designee_name, " &LH1% ");
         EXPECT_EQ(s.designee_phone, "(217) 555-0142");
         EXPECT_EQ(s.preparer_codes, "&LH1% &LH2%");
         EXPECT_EQ(s.state_code, "tx");
       }},
      {"monthly depositor clears semiweekly", "221=1\n220=1\n",
       [](const RunState& s) {
         EXPECT_TRUE(s.monthly_depositor);
         EXPECT_FALSE(s.semiweekly_depositor);
       }},
      {"semiweekly clears monthly; unchecking leaves both N", "220=1\n221=1\n221=0\n",
       [](const RunState& s) {
         EXPECT_FALSE(s.monthly_depositor);
         EXPECT_FALSE(s.semiweekly_depositor);
       }},
      {"a click toggles: the second click on monthly clears it", "220\n220\n",
       [](const RunState& s) { EXPECT_FALSE(s.monthly_depositor); }},
      {"unchecking Print 941 checks Print 944", "242=0\n",
       [](const RunState& s) {
         EXPECT_FALSE(s.print_941);
         EXPECT_TRUE(s.print_944);
       }},
      {"the pair follows whichever box is clicked", "243\n243\n",
       [](const RunState& s) {
         EXPECT_TRUE(s.print_941);
         EXPECT_FALSE(s.print_944);
       }},
      {"checking Print 944 then clicking the 941 box (now clear) checks 941 again", "243=1\n242\n",
       [](const RunState& s) {
         EXPECT_TRUE(s.print_941);
         EXPECT_FALSE(s.print_944);
       }},
      {"labels, the frame and unknown ids do nothing", "101=9\n999=9\nabc=9\n202\n",
       [](const RunState& s) { EXPECT_EQ(s.adjustment_7a, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OptionsRun run;
    run.ctx.state.month_liability[1] = 123457;
    PlayOptions(run, std::string(c.answers) + "401\n");
    EXPECT_EQ(run.result, 0);
    EXPECT_FALSE(run.ctx.state.cancel_requested);
    c.check(run.ctx.state);
  }
}

TEST(OptionsDialog, CheckBoxPairsStayConsistentOnScreen) {
  // What the check boxes show must agree with the run after every click.
  OptionsRun run;
  run.platform.answers = "243\n221=1\n220=1\n242=1\n220=0\n";
  // Watch the dialog state through a handler that records the check marks after each event.
  struct Watch final : DialogHandler {
    RunContext* ctx;
    std::vector<std::vector<bool>> marks;
    void Notify(int id, DialogControls& d) override {
      NotifyOptionsDialog(*ctx, id, d);
      marks.push_back({d.IsChecked(242), d.IsChecked(243), d.IsChecked(220), d.IsChecked(221)});
    }
  } watch;
  watch.ctx = &run.ctx;
  DialogTable table = OptionsDialogTable(run.ctx.state);
  EXPECT_EQ(run.platform.RunDialog(table, watch), kDialogClosed);  // the answers run out
  std::vector<std::vector<bool>> want = {
      {false, true, false, false},  // 243 clicked: 944 checked, 941 cleared
      {false, true, false, true},   // semiweekly
      {false, true, true, false},   // monthly clears semiweekly
      {true, false, true, false},   // 941 checked clears 944
      {true, false, false, false},  // monthly unchecked
  };
  EXPECT_EQ(watch.marks, want);
  EXPECT_TRUE(run.ctx.state.print_941);
  EXPECT_FALSE(run.ctx.state.monthly_depositor);
  EXPECT_FALSE(run.ctx.state.semiweekly_depositor);
}

TEST(OptionsDialog, ButtonsEndHelpOrCancel) {
  struct Case {
    const char* answers;
    int result;
    int cancel;
    std::vector<std::string> messages;
  } cases[] = {
      {"401\n202=5\n", 0, 0, {}},           // events after Done are ignored
      {"402\n", 0, 1, {}},
      {"403\n403=x\n", kDialogClosed, 0,    // Help twice, then the answers run out
       {std::string("Help: ") + std::string(kOptionsHelpText), std::string("Help: ") + std::string(kOptionsHelpText)}},
      {"", kDialogClosed, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    OptionsRun run;
    PlayOptions(run, c.answers);
    EXPECT_EQ(run.result, c.result);
    EXPECT_EQ(run.ctx.state.cancel_requested, c.cancel);
    EXPECT_EQ(run.ctx.state.adjustment_7a, 0);
    EXPECT_EQ(run.platform.messages, c.messages);
  }
  // Nine lines joined by CR LF, each keeping its own blanks, none after the last.
  std::string_view help = kOptionsHelpText;
  EXPECT_EQ(std::count(help.begin(), help.end(), '\n'), 8);
  EXPECT_NE(help.find(" etc.)\r\nFor the Preparer Boxes use the Letterhead codes \r\n(&LH1%"), std::string_view::npos);
  EXPECT_TRUE(help.ends_with("letterhead file."));
}

TEST(Dialogs, TextsAreCutWhereTheBoxEnds) {
  // A box holds kTextBoxLimit characters, as the host's edit boxes do: what fits is kept to the
  // byte, the rest never reaches the run (nor its saved entries and report).
  const std::string full(kTextBoxLimit, 'N');
  struct Case {
    const char* what;
    bool options;          // the options dialog, else the report date dialog
    std::string answers;
    std::function<std::string(const RunState&)> text;
    std::string want;
  } cases[] = {
      {"a name that fits is whole", true, "213=" + full + "\n", [](const RunState& s) { return s.designee_name; }, full},
      {"one more is cut", true, "213=" + full + "X\n", [](const RunState& s) { return s.designee_name; }, full},
      {"a telephone of a megabyte", true, "214=" + std::string(1 << 20, '5') + "\n",
       [](const RunState& s) { return s.designee_phone; }, std::string(kTextBoxLimit, '5')},
      {"preparer codes", true, "215=" + full + "&LH1%\n", [](const RunState& s) { return s.preparer_codes; }, full},
      {"the state is trimmed after the cut", true, "219=" + std::string(kTextBoxLimit - 2, ' ') + "TXYZ\n",
       [](const RunState& s) { return s.state_code; }, "TX"},
      {"a report date", false, "101=" + full + "99\n", [](const RunState& s) { return s.report_date; }, full},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingPlatform platform;
    platform.answers = c.answers;
    RunContext ctx(platform);
    ctx.state.device_code = "P";
    if (c.options) {
      ShowOptionsDialog(ctx);
    } else {
      ShowReportDateDialog(ctx, "Quarterly Report");
    }
    EXPECT_EQ(c.text(ctx.state), c.want);
  }
}

TEST(ReportDateDialog, CopiesTextsAndEndsOnOkOrCancel) {
  struct Case {
    const char* what;
    const char* device;
    const char* answers;
    int result;
    int cancel;
    std::vector<std::string> texts;  // ReportDate, the two adjustments, the payments text
    std::vector<std::string> messages;
  } cases[] = {
      {"texts copied as typed", "P", "101=033104\n131=1.5\n132=abc\n133= 12 \n103\n", 1, 0,
       {"033104", "1.5", "abc", " 12 "}, {}},
      {"focus on the date re-stores it", "P", "101\n103\n", 1, 0, {"063004", "", "", ""}, {}},
      {"OK with S", "S", "103\n", 1, 0, {"063004", "", "", ""}, {}},
      {"OK with V", "V", "103\n", 1, 0, {"063004", "", "", ""}, {}},
      {"OK refuses another device and stays open", "X", "103\n113\n", 1, 1, {"063004", "", "", ""},
       {std::string(kDefaultCaption) + ": Invalid Print Device Selected"}},
      {"OK refuses an empty device", "", "103\n", kDialogClosed, 0, {"063004", "", "", ""},
       {std::string(kDefaultCaption) + ": Invalid Print Device Selected"}},
      {"CANCEL", "P", "101=1231\n113\n", 1, 1, {"1231", "", "", ""}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingPlatform platform;
    platform.answers = c.answers;
    RunContext ctx(platform);
    ctx.state.report_date = "063004";
    ctx.state.device_code = c.device;
    ShowReportDateDialog(ctx, "Quarterly Report");
    ASSERT_EQ(platform.dialogs.size(), 1u);
    EXPECT_EQ(platform.dialogs[0].title, "Quarterly Report");
    EXPECT_EQ(platform.dialogs[0].Find(101)->text, "063004");
    EXPECT_EQ(platform.dialog_results[0], c.result);
    EXPECT_EQ(ctx.state.cancel_requested, c.cancel);
    EXPECT_EQ((std::vector<std::string>{ctx.state.report_date, ctx.state.federal_withholding_text,
                                        ctx.state.fica_withholding_text, ctx.state.total_payments_text}),
              c.texts);
    EXPECT_EQ(platform.messages, c.messages);
  }
}

}  // namespace
}  // namespace qreport
