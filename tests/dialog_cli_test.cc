// Scripted dialogs through the qreport command: the answers file or QREPORT_ANSWERS, message
// boxes on standard error, the print command on standard output and in QREPORT_PRINT_LOG.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/client_writer.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using testing::PlainClient;
using testing::ReadFile;
using testing::TempDir;

struct Outcome {
  int status;
  std::string out, err, log, saved;
  bool report;
};

// Runs `qreport ARGS` in `work` with the environment assignments `env` (and no answers or picker
// reply from the environment unless they are among them).
Outcome Qreport(const TempDir& work, const std::string& env, const std::string& args) {
  testing::CommandOutcome run = testing::RunQreport(
      work, args,
      "-u QREPORT_ANSWERS -u QREPORT_PRINTER_REPLY QREPORT_PRINT_LOG='" + (work / "print.log").string() + "' " + env);
  Outcome o;
  o.status = run.status;
  o.out = run.out;
  o.err = run.err;
  o.log = ReadFile(work / "print.log");
  o.saved = ReadFile(work / "client" / "save941.info");
  o.report = std::filesystem::exists(work / "client" / "report.txt");
  return o;
}

TEST(DialogCommand, ScriptedRuns) {
  const std::string help_line =
      "message: Help: Fill in the appropriate amounts if applicable.\\r\\nFor the Third-Party Designee name use a "
      "literal\\r\\n or a Letterhead code (&LH1% or &LH2% etc.)\\r\\nFor the Preparer Boxes use the Letterhead codes "
      "\\r\\n(&LH1% &LH2% &LH3% &LH4% &LH5%) separated \\r\\nby spaces. Up to 4 codes can be used 1 each \\r\\nfor: "
      "name,address, city, and EIN.\\r\\nLetterhead Codes will be replaced with the \\r\\nappropriate line from the "
      "letterhead file.\n";
  struct Case {
    const char* what;
    const char* date;
    const char* answers;  // written to work/answers
    const char* env;
    const char* args;
    const char* device_line;
    bool report;
    const char* saved;
    bool printed;  // the print command is on standard output and in the log
    std::string err;  // how standard error starts
    int status = 0;
  } cases[] = {
      {"answers file with Help", "063005", "403\n213=&LH1%\n219= il\n401\n", "",
       "run client --answers answers --printer-reply 'A*LPT1:*X*N'", "device code: P\n", true,
       "&LH1% \r\n \r\n \r\nil  \r\n", true, help_line},
      {"QREPORT_ANSWERS when no --answers is given", "063005", "214=555\n401\n",
       "QREPORT_ANSWERS=answers QREPORT_PRINTER_REPLY='A*LPT1:*X*N'", "run client", "device code: P\n", true,
       " \r\n555 \r\n \r\n  \r\n", true, ""},
      {"--answers wins over QREPORT_ANSWERS", "063005", "214=555\n401\n", "QREPORT_ANSWERS=no-such-file",
       "run client --answers answers", "device code: P\n", true, " \r\n555 \r\n \r\n  \r\n", false, ""},
      {"cancel", "063005", "214=555\n402\n", "", "run client --answers answers --printer-reply 'A*LPT1:*X*N'",
       "device code: P\n", false, "", false, "qreport: cancelled: no report written\n", 3},
      {"no terminal and no answers: the dialog closes at once", "063005", "", "", "run client", "device code: P\n",
       true, " \r\n \r\n \r\n  \r\n", false,
       "warning: no terminal and no answers file: the dialog closed with the values it showed first; give --answers\n"
       "nothing printed; the report is client/report.txt\n"},
      {"short route cancel", "063004", "101=1\n113\n", "", "run client --answers answers --printer-reply 'A*P*X*N'",
       "device code: X\n", false, "", false, "qreport: cancelled: no report written\n", 3},
      {"short route OK", "063004", "103\n", "", "run client --answers answers --printer-reply 'A*P*X*N'",
       "device code: P\n", true, "", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir work;
    ClientFolderSpec spec;
    spec.client = PlainClient(c.date);
    WriteClientFolder(work / "client", spec);
    WriteRatesFile(work / "client", {"6.2", "6.2", "87900", "1.45", "1.45", "0"});
    WriteBytes(work / "answers", c.answers);
    Outcome o = Qreport(work, c.env, c.args);
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_EQ(o.report, c.report);
    EXPECT_EQ(o.saved, c.saved);
    std::string report_path = "client/report.txt";  // the folder as the command was given it
    std::string command;
    if (c.printed) {
      command = report_path + (std::string(c.date) == "063005" ? ",LPT1,X,/NP" : ",P,X,/NP/FP");
      EXPECT_EQ(o.out, "print command: " + command + "\n" + c.device_line);
      EXPECT_EQ(o.log, command + "\n");
    } else {
      EXPECT_EQ(o.out, c.device_line);
      EXPECT_EQ(o.log, "");
    }
    // Standard error holds the warnings, the message boxes, then what the print utility had to say.
    EXPECT_EQ(o.err.substr(0, c.err.size()), c.err);
    EXPECT_EQ(o.err.find("message:", c.err.size()), std::string::npos) << o.err;
  }
}

TEST(DialogCommand, DemoFillsItsDialogFromItsAnswers) {
  TempDir work;
  Outcome o = Qreport(work, "", "demo here");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadFile(work / "here" / "save941.info"),
            "&LH1% \r\n(217) 555-0142 \r\n&LH1% &LH2% &LH3% &LH4% \r\nIL  \r\n");
  std::string report = (work / "here" / "report.txt").string();
  EXPECT_NE(o.out.find("print command: " + report + ",PDF,FILE,/NP\n"), std::string::npos) << o.out;
}

}  // namespace
}  // namespace qreport
