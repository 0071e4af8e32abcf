// The terminal dialogs as a person uses them: `qreport run` in a tmux pane, keys typed into it,
// and the outcome (report, saved entries, print command, device code) compared with a scripted
// run of the same inputs.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "data/client_writer.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using testing::PlainClient;
using testing::PlainEmployee;
using testing::ReadFile;
using testing::RunCommand;
using testing::TempDir;
namespace fs = std::filesystem;

// Single quotes for the shell.
std::string Quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

// A tmux server of our own (its own socket, no configuration file) for one test.
class Tmux {
 public:
  explicit Tmux(const TempDir& work) : work_(work), socket_((work / "tmux.sock").string()) {}
  ~Tmux() { Run("kill-server"); }
  Tmux(const Tmux&) = delete;
  Tmux& operator=(const Tmux&) = delete;

  int Run(const std::string& args) {
    // Outside any tmux the test itself may run in, so that one is never touched.
    return RunCommand("env -u TMUX tmux -S " + Quoted(socket_) + " -f /dev/null " + args + " </dev/null",
                      work_ / ".tmux.out", work_ / ".tmux.err");
  }
  std::string Output() const { return ReadFile(work_ / ".tmux.out") + ReadFile(work_ / ".tmux.err"); }

  // Starts `command` in a detached pane of the given size.
  bool Start(const std::string& command, int cols, int rows) {
    return Run("new-session -d -s run -x " + std::to_string(cols) + " -y " + std::to_string(rows) + " " +
               Quoted(command)) == 0;
  }
  std::string Screen() {
    Run("capture-pane -p -t run");
    return ReadFile(work_ / ".tmux.out");
  }
  // Waits until the pane shows `text`.
  bool WaitFor(const std::string& text, double seconds = 30) {
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
      if (Screen().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  void Keys(const std::string& key) { Run("send-keys -t run " + key); }
  void Type(const std::string& text) { Run("send-keys -t run -l " + Quoted(text)); }

 private:
  const TempDir& work_;
  std::string socket_;
};

// Whether tmux can start a pane here at all.
bool TmuxWorks(const TempDir& work, std::string& why) {
  if (RunCommand("command -v tmux >/dev/null 2>&1") != 0) {
    why = "tmux is not installed";
    return false;
  }
  Tmux probe(work);
  if (!probe.Start("sleep 30", 80, 24)) {
    why = "tmux cannot start a session: " + probe.Output();
    return false;
  }
  return true;
}

// A client folder in `dir`/client (with a saved entries file when `saved` is given), the rates
// file beside it, and stand-ins for the CUPS tools in
// `dir`/bin that show one destination and log what would be printed.
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
  fs::create_directories(dir / "bin");
  WriteBytes(dir / "bin" / "lpstat", "#!/bin/sh\necho office_laser\n");
  WriteBytes(dir / "bin" / "lp", "#!/bin/sh\necho \"$@\" >> \"$(dirname \"$0\")/../lp.log\"\n");
  for (const char* tool : {"lpstat", "lp"}) {
    fs::permissions(dir / "bin" / tool, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
  }
}

// The shell lines that run qreport in `dir` as a user would, with no answers and no picker reply
// from the environment, no desktop display, and the CUPS stand-ins first on the PATH.
std::string RunScript(const fs::path& dir, const std::string& args) {
  return "cd " + Quoted(dir.string()) +
         "\n"
         "unset QREPORT_ANSWERS QREPORT_PRINTER_REPLY DISPLAY WAYLAND_DISPLAY\n"
         "export QREPORT_PRINT_LOG=\"$PWD/print.log\" PATH=\"$PWD/bin:$PATH\"\n" +
         Quoted(QREPORT_CLI) + " run client " + args +
         "\n"
         "echo $? > status.tmp && mv status.tmp status\n";
}

struct Outcome {
  std::string status, report, saved, print_log, lp_log, device_line;
  bool report_exists = false;
};

Outcome Collect(const fs::path& dir, const std::string& output) {
  Outcome o;
  o.status = ReadFile(dir / "status");
  o.report_exists = fs::exists(dir / "client" / "report.txt");
  o.report = ReadFile(dir / "client" / "report.txt");
  o.saved = ReadFile(dir / "client" / "save941.info");
  o.print_log = ReadFile(dir / "print.log");
  o.lp_log = ReadFile(dir / "lp.log");
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
      {"short path: the date replaced, then CANCEL", "063004", nullptr,
       {"?Quarterly Report", "=093004", "Tab", "=12.50", "Tab", "Tab", "Tab", "Tab", "Enter"},
       "101=093004\n131=12.50\n113\n", "--printer-reply 'A*LPT1:*X*N'", nullptr, "device code: X"},
      {"short path: OK writes the worksheet", "063004", nullptr,
       {"?Quarterly Report", "Tab", "Tab", "Tab", "Tab", "Space"},
       "103\n", "--printer-reply 'A*LPT1:*X*Y'", nullptr, "device code: P"},
  };

  TempDir probe_dir;
  std::string why;
  if (!TmuxWorks(probe_dir, why)) GTEST_SKIP() << why;

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir work;
    fs::path typed = work / "typed", scripted = work / "scripted";
    WriteWorkFolder(typed, c.date, c.saved);
    WriteWorkFolder(scripted, c.date, c.saved);

    // The scripted run.
    WriteBytes(scripted / "answers", c.answers);
    std::string reply = c.scripted_reply ? std::string(" --printer-reply ") + Quoted(c.scripted_reply) : "";
    WriteBytes(scripted / "run.sh", RunScript(scripted, std::string("--answers answers ") + c.args + reply));
    ASSERT_EQ(RunCommand("sh " + Quoted((scripted / "run.sh").string()) + " </dev/null", scripted / "out",
                         scripted / "err"),
              0);
    Outcome want = Collect(scripted, ReadFile(scripted / "out"));

    // The same inputs typed into a terminal.
    WriteBytes(typed / "run.sh", RunScript(typed, c.args) + "exec sleep 600\n");
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
    Outcome got = Collect(typed, tmux.Screen());

    EXPECT_EQ(got.status, "0\n");
    EXPECT_EQ(want.status, "0\n");
    EXPECT_EQ(got.device_line, c.device_line);
    EXPECT_EQ(want.device_line, c.device_line);
    EXPECT_EQ(got.report_exists, want.report_exists);
    EXPECT_TRUE(got.report == want.report) << "the reports differ";
    EXPECT_EQ(got.saved, want.saved);
    EXPECT_EQ(got.print_log, want.print_log);
    EXPECT_EQ(got.lp_log, want.lp_log);
  }
}

}  // namespace
}  // namespace qreport
