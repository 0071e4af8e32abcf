// The terminal dialogs as a person uses them: `qreport run` in a tmux pane, keys typed into it,
// and the outcome (report, saved entries, print command, device code) compared with a scripted
// run of the same inputs.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "data/client_writer.h"
#include "run/dialogs.h"
#include "support/fixture.h"
#include "support/print_server.h"
#include "support/tmux.h"

namespace qreport {
namespace {

using testing::PlainClient;
using testing::PlainEmployee;
using testing::ReadFile;
using testing::RunCommand;
using testing::TempDir;
using testing::Quoted;
using testing::Tmux;
using testing::TmuxWorks;
namespace fs = std::filesystem;

// A client folder in `dir`/client (with a saved entries file when `saved` is given) and the
// rates file beside it.
void WriteWorkFolder(const fs::path& dir, const char* date, const char* saved) {
  ClientFolderSpec spec;
  spec.client = PlainClient(date);
  spec.employees = {PlainEmployee("A1", 3000000, 6000000), PlainEmployee("B2", 1250050, 1250050)};
  std::vector<std::string> liability(93, "0.00");
  liability[4] = "1234.56";
  liability[40] = "99.5";
  spec.liability = liability;
  WriteClientFolder(dir / "client", spec);
  WriteRatesFile(dir, {"6.2", "6.2", "97500", "1.45", "1.45", "0"});
  if (saved != nullptr) WriteBytes(dir / "client" / "save941.info", saved);
}

// The shell lines that run qreport in `dir` as a user would, with no answers and no picker reply
// from the environment, no desktop display, and the print server at `cups_server` (a socket where
// nothing listens stands for a machine without one).
std::string RunScript(const fs::path& dir, const std::string& args, const std::string& cups_server) {
  return "cd " + Quoted(dir.string()) +
         "\n"
         "unset QREPORT_ANSWERS QREPORT_PRINTER_REPLY DISPLAY WAYLAND_DISPLAY\n"
         "export QREPORT_PRINT_LOG=\"$PWD/print.log\" CUPS_SERVER=" + Quoted(cups_server) + "\n" +
         Quoted(QREPORT_CLI) + " run client " + args +
         "\n"
         "echo $? > status.tmp && mv status.tmp status\n";
}

struct Outcome {
  std::string status, report, saved, print_log, device_line;
  bool report_exists = false;
  std::optional<std::string> printed;  // what the queue got, when the run printed to it
  std::string pdf;                     // the PDF the run wrote
};

// What a run in `dir` left, and what it printed on `queue` of `server` when its print command
// went to CUPS.
Outcome Collect(const fs::path& dir, const std::string& output, const testing::PrivatePrintServer& server,
                const std::string& queue) {
  Outcome o;
  o.status = ReadFile(dir / "status");
  o.report_exists = fs::exists(dir / "client" / "report.txt");
  o.report = ReadFile(dir / "client" / "report.txt");
  o.saved = ReadFile(dir / "client" / "save941.info");
  o.print_log = ReadFile(dir / "print.log");
  o.pdf = ReadFile(dir / "client" / "report.pdf");
  if (o.print_log.find(",CUPS,") != std::string::npos) o.printed = server.WaitForOutput(queue);
  std::size_t at = output.find("device code: ");
  if (at != std::string::npos) o.device_line = output.substr(at, output.find('\n', at) - at);
  return o;
}

TEST(TerminalDialog, KeysInAPaneDoWhatTheAnswersFileDoes) {
  // A step: "=text" types text, "?text" waits until the pane shows it, anything else is a key.
  struct Case {
    const char* what;
    const char* date;
    const char* saved;  // the saved entries file before the run, if any
    std::vector<std::string> keys;
    const char* answers;  // the same inputs for the scripted run
    const char* args;     // for both runs
    const char* scripted_reply;  // what the terminal picker answers, for the scripted run
    const char* device_line;
    const char* status = "0\n";
  } cases[] = {
      {"options dialog: boxes replaced and typed, check boxes, Help, Done, the picker", "063005",
       "OLD NAME \r\nOLD PHONE \r\nOLD CODES \r\nNY  \r\n",
       {"?Quarterly Report including 941 facsimile for: client", "=0.125", "Tab", "=1,234.56", "Tab", "Tab", "Tab",
        "Tab", "Tab", "Tab", "=$2,500", "Tab", "=&LH1%", "Tab", "=555-0100", "Tab", "=&LH2% &LH3%", "Tab", "=100.50",
        "Tab", "Tab", "Tab", "= tx ", "Tab", "Tab", "Space", "BTab", "Space", "M-h", "?Fill in the appropriate amounts",
        "Enter", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Space", "BTab",
        "Space", "M-d", "?Print report", "Down", "Space", "Enter"},
       "202=0.125\n203=1,234.56\n211=$2,500\n213=&LH1%\n214=555-0100\n215=&LH2% &LH3%\n216=100.50\n219= tx \n"
       "221=1\n220=1\n403\n243=1\n242=1\n401\n",
       "", "QREPORT*office_laser*CUPS*N", "device code: P"},
      {"Escape closes the options dialog and the run goes on", "063005", nullptr,
       {"?Quarterly Report including", "=500", "Tab", "=7", "BTab", "Escape"}, "202=500\n203=7\n",
       "--printer-reply 'A*LPT1:*X*N'", nullptr, "device code: P"},
      {"short route: the date replaced, then CANCEL", "063004", nullptr,
       {"?Quarterly Report", "=093004", "Tab", "=12.50", "Tab", "Tab", "Tab", "Tab", "Enter"},
       "101=093004\n131=12.50\n113\n", "--printer-reply 'A*LPT1:*X*N'", nullptr, "device code: X", "3\n"},
      {"short route: OK writes the worksheet", "063004", nullptr,
       {"?Quarterly Report", "Tab", "Tab", "Tab", "Tab", "Space"},
       "103\n", "--printer-reply 'A*LPT1:*X*Y'", nullptr, "device code: P"},
  };

  TempDir probe_dir;
  std::string why;
  if (!TmuxWorks(probe_dir, why)) GTEST_SKIP() << why;
  // The picker offers the one queue of a print server of the test's own.
  TempDir server_dir;
  testing::PrivatePrintServer server(server_dir / "cups");
  QREPORT_START_PRINT_SERVER(server, std::vector<std::string>{"office_laser"});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir work;
    fs::path typed = work / "typed", scripted = work / "scripted";
    WriteWorkFolder(typed, c.date, c.saved);
    WriteWorkFolder(scripted, c.date, c.saved);

    // The scripted run.
    WriteBytes(scripted / "answers", c.answers);
    std::string reply = c.scripted_reply ? std::string(" --printer-reply ") + Quoted(c.scripted_reply) : "";
    WriteBytes(scripted / "run.sh",
               RunScript(scripted, std::string("--answers answers ") + c.args + reply, server.Socket()));
    fs::remove(server.Output("office_laser"));
    RunCommand("sh " + Quoted((scripted / "run.sh").string()) + " </dev/null", scripted / "out", scripted / "err");
    Outcome want = Collect(scripted, ReadFile(scripted / "out"), server, "office_laser");

    // The same inputs typed into a terminal.
    WriteBytes(typed / "run.sh", RunScript(typed, c.args, server.Socket()) + "exec sleep 600\n");
    fs::remove(server.Output("office_laser"));
    Tmux tmux(work);
    ASSERT_TRUE(tmux.Start("sh " + Quoted((typed / "run.sh").string()), 150, 40)) << tmux.Output();
    for (const std::string& step : c.keys) {
      if (step[0] == '?') {
        ASSERT_TRUE(tmux.WaitFor(step.substr(1))) << "waiting for " << step.substr(1) << "\n" << tmux.Screen();
      } else if (step[0] == '=') {
        tmux.Type(step.substr(1));
      } else {
        tmux.Keys(step);
      }
    }
    ASSERT_TRUE(tmux.WaitFor("device code: ")) << tmux.Screen();
    for (int i = 0; i < 100 && !fs::exists(typed / "status"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Outcome got = Collect(typed, tmux.Screen(), server, "office_laser");

    EXPECT_EQ(got.status, c.status);
    EXPECT_EQ(want.status, c.status);
    EXPECT_EQ(got.device_line, c.device_line);
    EXPECT_EQ(want.device_line, c.device_line);
    EXPECT_EQ(got.report_exists, want.report_exists);
    EXPECT_TRUE(got.report == want.report) << "the reports differ";
    EXPECT_EQ(got.saved, want.saved);
    EXPECT_EQ(got.print_log, want.print_log);
    // A print command for CUPS (the same for both runs, as the print logs say) delivered each
    // run's own PDF to the queue, exactly.
    for (const Outcome* o : {&got, &want}) {
      if (o->print_log.find(",CUPS,") == std::string::npos) continue;
      SCOPED_TRACE(o == &got ? "typed" : "scripted");
      ASSERT_TRUE(o->printed.has_value()) << "no job reached the queue\n" << server.LogTail();
      EXPECT_FALSE(o->pdf.empty());
      EXPECT_TRUE(*o->printed == o->pdf) << "the queue got other bytes than the run's PDF";
    }
  }
}

// The captions of a dialog's controls as a screen shows them, each up to its first character
// beyond ASCII (the terminal shows those in its own encoding).
std::vector<std::string> ShownCaptions(const DialogTable& table) {
  std::vector<std::string> captions;
  for (const DialogControl& c : table.controls) {
    if (c.kind == ControlKind::kTextBox || c.kind == ControlKind::kFrame) continue;
    std::string caption = CaptionWithoutMnemonic(c.text);
    std::size_t wide = 0;
    while (wide < caption.size() && static_cast<unsigned char>(caption[wide]) < 0x80) ++wide;
    if (wide > 0) captions.push_back(caption.substr(0, wide));
  }
  return captions;
}

TEST(TerminalDialog, ASmallTerminalAsksToBeEnlargedAndCtrlCStopsTheRun) {
  TempDir probe_dir;
  std::string why;
  if (!TmuxWorks(probe_dir, why)) GTEST_SKIP() << why;

  TempDir work;
  WriteWorkFolder(work.path(), "063005", "OLD NAME \r\nOLD PHONE \r\nOLD CODES \r\nNY  \r\n");
  // The shell that runs qreport lives on after Ctrl-C to note its status.
  WriteBytes(work / "run.sh",
             "trap : INT\n" + RunScript(work.path(), "", (work / "nobody.sock").string()) + "exec sleep 600\n");
  Tmux tmux(work);
  ASSERT_TRUE(tmux.Start("sh " + Quoted((work / "run.sh").string()), 40, 12)) << tmux.Output();
  ASSERT_TRUE(tmux.WaitFor("enlarge the window to at least ")) << tmux.Screen();
  EXPECT_EQ(tmux.Screen().find("Quarterly Report"), std::string::npos) << "no part of the dialog is shown";
  tmux.Type("Z");  // typed where nothing can be seen: no control takes it

  ASSERT_EQ(tmux.Run("resize-window -t run -x 142 -y 30"), 0) << tmux.Output();
  ASSERT_TRUE(tmux.WaitFor("Quarterly Report including 941 facsimile for: client")) << tmux.Screen();
  RunState state;
  state.data_dir = "client";
  std::string screen = tmux.Screen();
  for (const std::string& caption : ShownCaptions(OptionsDialogTable(state))) {
    EXPECT_NE(screen.find(caption), std::string::npos) << caption << " is missing from\n" << screen;
  }
  EXPECT_EQ(screen.find("enlarge"), std::string::npos);
  EXPECT_NE(screen.find("OLD NAME"), std::string::npos);
  EXPECT_EQ(screen.find('Z'), std::string::npos) << "the Z went into a box";

  // Ctrl-C: the terminal is put back, nothing is written, and the status says so.
  tmux.Keys("C-c");
  ASSERT_TRUE(tmux.WaitFor("qreport: interrupted")) << tmux.Screen();
  for (int i = 0; i < 100 && !fs::exists(work / "status"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(ReadFile(work / "status"), "130\n");
  EXPECT_EQ(tmux.Screen().find("Quarterly Report including"), std::string::npos) << tmux.Screen();
  EXPECT_FALSE(fs::exists(work / "client" / "report.txt"));
  EXPECT_EQ(ReadFile(work / "client" / "save941.info"), "OLD NAME \r\nOLD PHONE \r\nOLD CODES \r\nNY  \r\n");
}

TEST(TerminalDialog, ThePickerSaysWhenThereIsNoCupsPrinterAndEscapePrintsNothing) {
  TempDir probe_dir;
  std::string why;
  if (!TmuxWorks(probe_dir, why)) GTEST_SKIP() << why;

  TempDir work;
  WriteWorkFolder(work.path(), "063005", nullptr);
  // No print server answers where CUPS_SERVER points.
  WriteBytes(work / "run.sh", RunScript(work.path(), "", (work / "nobody.sock").string()) + "exec sleep 600\n");
  Tmux tmux(work);
  ASSERT_TRUE(tmux.Start("sh " + Quoted((work / "run.sh").string()), 142, 30)) << tmux.Output();
  ASSERT_TRUE(tmux.WaitFor("Quarterly Report including")) << tmux.Screen();
  tmux.Keys("M-d");
  ASSERT_TRUE(tmux.WaitFor("Print report")) << tmux.Screen();
  std::string picker = tmux.Screen();
  EXPECT_NE(picker.find("PDF file ("), std::string::npos) << picker;
  EXPECT_NE(picker.find("no CUPS printers found"), std::string::npos) << picker;
  tmux.Keys("Escape");
  ASSERT_TRUE(tmux.WaitFor("nothing printed; the report is client/report.txt")) << tmux.Screen();
  for (int i = 0; i < 100 && !fs::exists(work / "status"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(ReadFile(work / "status"), "0\n");
  EXPECT_TRUE(fs::exists(work / "client" / "report.txt"));
  EXPECT_EQ(ReadFile(work / "print.log"), "") << "nothing was handed to the print utility";
}

TEST(TerminalDialog, AMessageOnATerminalBreaksItsLines) {
  TempDir probe_dir;
  std::string why;
  if (!TmuxWorks(probe_dir, why)) GTEST_SKIP() << why;

  // Standard input is no terminal, so the message is a line on standard error, which is one.
  TempDir work;
  Tmux tmux(work);
  ASSERT_TRUE(tmux.Start("env QREPORT_DRIVE_C=/ " + Quoted(QREPORT_CLI) + " showfree C </dev/null; exec sleep 600",
                         120, 10))
      << tmux.Output();
  ASSERT_TRUE(tmux.WaitFor("Out of:")) << tmux.Screen();
  std::string screen = tmux.Screen();
  EXPECT_EQ(screen.find("\\r\\n"), std::string::npos) << screen;
  std::size_t free_line = screen.find("message: Drive Space: Free Space on C");
  std::size_t out_of = screen.find("Out of:");
  ASSERT_NE(free_line, std::string::npos) << screen;
  EXPECT_NE(screen.find('\n', free_line), std::string::npos);
  EXPECT_LT(screen.find('\n', free_line), out_of) << "Out of: starts a line of its own\n" << screen;
}

}  // namespace
}  // namespace qreport
