// The stand-in print utility: how it reads its command and what it starts for each kind of
// destination and option.
#include "platform/posix/print_utility.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qreport {
namespace {

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

TEST(PrintUtility, DestinationListAndPickerReplies) {
  EXPECT_EQ(ParseDestinationList("office_laser\nPDF\r\n\n  label-printer  \nnot a name\n"),
            (std::vector<std::string>{"office_laser", "PDF", "label-printer"}));
  EXPECT_EQ(InteractivePickerReply("office_laser", false), "QREPORT*office_laser*CUPS*N");
  EXPECT_EQ(InteractivePickerReply("", true), "QREPORT*PDF*FILE*Y");
}

TEST(PrintUtility, RendersThenPrintsOrShowsAndSaysWhyNot) {
  struct Case {
    const char* what;
    const char* command;
    bool has_renderer, render_ok, has_viewer;
    bool lp_installed;
    int lp_status;
    std::vector<std::string> events;
    const char* problem;  // what the result says; "" when it printed
  } cases[] = {
      {"CUPS without preview prints", "/d/report.txt,office,CUPS,/NP", true, true, true, true, 0,
       {"render /d/report.txt /d/report.pdf", "run lp -d office /d/report.pdf"}, ""},
      {"CUPS with preview prints and shows", "/d/report.txt,office,CUPS,/ZM/FP", true, true, true, true, 0,
       {"render /d/report.txt /d/report.pdf", "run lp -d office /d/report.pdf", "start xdg-open /d/report.pdf"}, ""},
      {"PDF file with preview but no viewer", "/d/report.txt,PDF,FILE,/ZM", true, true, false, true, 0,
       {"render /d/report.txt /d/report.pdf"}, ""},
      {"a printer named by an old-style reply is not submitted", "/d/report.txt,LPT1,X,/NP", true, true, true, true, 0,
       {"render /d/report.txt /d/report.pdf"}, ""},
      {"lp missing", "/d/report.txt,office,CUPS,/NP", true, true, true, false, 0,
       {"render /d/report.txt /d/report.pdf"}, "lp is not installed (install cups-client); the PDF is /d/report.pdf"},
      {"lp failing", "/d/report.txt,office,CUPS,/NP", true, true, true, true, 1,
       {"render /d/report.txt /d/report.pdf", "run lp -d office /d/report.pdf"},
       "lp could not print to office (exit status 1)"},
      {"a failed rendering prints nothing", "/d/report.txt,office,CUPS,/ZM", true, false, true, true, 0,
       {"render /d/report.txt /d/report.pdf"}, "cannot render /d/report.txt to PDF: bad"},
      {"no renderer in this build", "/d/report.txt,office,CUPS,/ZM", false, true, true, true, 0, {},
       "this build has no PDF renderer; /d/report.txt was left as it is"},
      {"not a command", "garbage", true, true, true, true, 0, {}, "not a print command: garbage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> events;
    auto join = [](const std::vector<std::string>& argv) {
      std::string s;
      for (const std::string& a : argv) s += (s.empty() ? "" : " ") + a;
      return s;
    };
    PrintServices s;
    if (c.has_renderer) {
      s.render_pdf = [&](const std::string& report, const std::string& pdf, std::string& error) {
        events.push_back("render " + report + " " + pdf);
        if (!c.render_ok) error = "bad";
        return c.render_ok;
      };
    }
    s.run = [&](const std::vector<std::string>& argv) {
      events.push_back("run " + join(argv));
      return c.lp_status;
    };
    s.start = [&](const std::vector<std::string>& argv) { events.push_back("start " + join(argv)); };
    s.has_viewer = [&] { return c.has_viewer; };
    s.installed = [&](const std::string& program) { return program != "lp" || c.lp_installed; };
    EXPECT_EQ(RunPrintUtility(c.command, s), c.problem);
    EXPECT_EQ(events, c.events);
  }
}

TEST(PrintUtility, SystemServicesRunProgramsAndReportTheirStatus) {
  PrintServices s = SystemPrintServices(nullptr);
  EXPECT_EQ(s.run({"true"}), 0);
  EXPECT_EQ(s.run({"sh", "-c", "exit 3"}), 3);
  EXPECT_EQ(s.run({"qreport-no-such-program"}), 127);
}

}  // namespace
}  // namespace qreport
