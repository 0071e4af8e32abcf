// The stand-in print utility: how it reads its command, what it hands the print server and
// starts for each kind of destination and option, and what it says when the server refuses.
#include "platform/posix/print_utility.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace qreport {
namespace {

using testing::TempDir;

TEST(PrintUtility, CommandsSplitFromTheRight) {
  struct Case {
    const char* command;
    bool ok;
    const char* path;
    const char* printer;
    const char* destination_kind;
    const char* options;
  } cases[] = {
      {"/data/c1/report.txt,LPT1,X,/NP", true, "/data/c1/report.txt", "LPT1", "X", "/NP"},
      {"/data/Smith, Jones/report.txt,office,CUPS,/ZM/FP", true, "/data/Smith, Jones/report.txt", "office", "CUPS",
       "/ZM/FP"},
      {"/r.txt,,,/NP", true, "/r.txt", "", "", "/NP"},
      {"/r.txt,P,/NP", false, "", "", "", ""},
      {"", false, "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    PrintCommand p = ParsePrintCommand(c.command);
    EXPECT_EQ(p.ok, c.ok);
    EXPECT_EQ(p.report_path, c.path);
    EXPECT_EQ(p.printer, c.printer);
    EXPECT_EQ(p.destination_kind, c.destination_kind);
    EXPECT_EQ(p.options, c.options);
  }
  EXPECT_EQ(PdfPathFor("/data/c.d/report.txt"), "/data/c.d/report.pdf");
  EXPECT_EQ(PdfPathFor("/data/c.d/report"), "/data/c.d/report.pdf");
}

TEST(PrintUtility, PickerReplies) {
  EXPECT_EQ(InteractivePickerReply("office_laser", false), "QREPORT*office_laser*CUPS*N");
  EXPECT_EQ(InteractivePickerReply("office/duplex", true), "QREPORT*office/duplex*CUPS*Y");
  EXPECT_EQ(InteractivePickerReply("", true), "QREPORT*PDF*FILE*Y");
}

TEST(PrintUtility, RendersThenPrintsOrShowsAndSaysWhyNot) {
  struct Case {
    const char* what;
    const char* command;
    bool has_renderer, render_ok, has_viewer;
    const char* refusal;  // what the print server answers a submission with; "" when it takes it
    std::vector<std::string> events;
    const char* problem;  // what the result says; "" when it printed
  } cases[] = {
      {"CUPS without preview prints", "/d/report.txt,office,CUPS,/NP", true, true, true, "",
       {"render /d/report.txt /d/report.pdf", "submit /d/report.pdf to office"}, ""},
      {"CUPS with preview prints and shows", "/d/report.txt,office,CUPS,/ZM/FP", true, true, true, "",
       {"render /d/report.txt /d/report.pdf", "submit /d/report.pdf to office", "start xdg-open /d/report.pdf"}, ""},
      {"an instance goes to the server as it was picked", "/d/report.txt,office/duplex,CUPS,/NP", true, true, true,
       "", {"render /d/report.txt /d/report.pdf", "submit /d/report.pdf to office/duplex"}, ""},
      {"PDF file with preview but no viewer", "/d/report.txt,PDF,FILE,/ZM", true, true, false, "",
       {"render /d/report.txt /d/report.pdf"}, ""},
      {"a printer named by an old-style reply is not submitted", "/d/report.txt,LPT1,X,/NP", true, true, true, "",
       {"render /d/report.txt /d/report.pdf"}, ""},
      {"CUPS with no printer named is not submitted", "/d/report.txt,,CUPS,/NP", true, true, true, "",
       {"render /d/report.txt /d/report.pdf"}, ""},
      {"the server refuses the job, still shown", "/d/report.txt,office,CUPS,/ZM", true, true, true,
       "The printer or class does not exist.",
       {"render /d/report.txt /d/report.pdf", "submit /d/report.pdf to office", "start xdg-open /d/report.pdf"},
       "CUPS could not print to office: The printer or class does not exist."},
      {"no server", "/d/report.txt,office,CUPS,/NP", true, true, true, "No such file or directory",
       {"render /d/report.txt /d/report.pdf", "submit /d/report.pdf to office"},
       "CUPS could not print to office: No such file or directory"},
      {"a failed rendering prints nothing", "/d/report.txt,office,CUPS,/ZM", true, false, true, "",
       {"render /d/report.txt /d/report.pdf"}, "cannot render /d/report.txt to PDF: bad"},
      {"no renderer in this build", "/d/report.txt,office,CUPS,/ZM", false, true, true, "", {},
       "this build has no PDF renderer; /d/report.txt was left as it is"},
      {"not a command", "garbage", true, true, true, "", {}, "not a print command: garbage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> events;
    PrintServices s;
    if (c.has_renderer) {
      s.render_pdf = [&](const std::string& report, const std::string& pdf, std::string& error) {
        events.push_back("render " + report + " " + pdf);
        if (!c.render_ok) error = "bad";
        return c.render_ok;
      };
    }
    s.submit = [&](const std::string& destination, const std::string& pdf) {
      events.push_back("submit " + pdf + " to " + destination);
      return std::string(c.refusal);
    };
    s.start = [&](const std::vector<std::string>& argv) {
      std::string line = "start";
      for (const std::string& a : argv) line += " " + a;
      events.push_back(line);
    };
    s.has_viewer = [&] { return c.has_viewer; };
    EXPECT_EQ(RunPrintUtility(c.command, s), c.problem);
    EXPECT_EQ(events, c.events);
  }
}

// The system services with no print server to reach: no destination, and a submission that
// fails with the library's reason instead of passing for printed.
TEST(PrintUtility, WithoutAServerNothingIsListedAndASubmissionSaysWhy) {
  TempDir dir;
  const std::string nobody = (dir / "nobody.sock").string();
  cupsSetServer(nobody.c_str());
  PrintServices s = SystemPrintServices(nullptr);
  EXPECT_EQ(s.list_destinations(), std::vector<std::string>{});
  std::ofstream(dir / "report.pdf", std::ios::binary) << "%PDF-1.4\n";
  std::string reason = s.submit("office", (dir / "report.pdf").string());
  cupsSetServer(nullptr);
  EXPECT_EQ(reason.rfind("cannot reach the print server " + nobody + " (", 0), 0u) << reason;
}

}  // namespace
}  // namespace qreport
