// qreport render as a user runs it: file and standard stream use, PNG pages, --strict.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/client_writer.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using namespace std::string_literals;
using testing::ReadFile;
using testing::TempDir;

using Outcome = testing::CommandOutcome;

Outcome Qreport(const TempDir& work, const std::string& args) { return testing::RunQreport(work, args); }

// Two pages; "ESC -" (underline, not drawn) at offset 8, a stray control byte at offset 17.
const std::string kReport = "\x1b" "0page 1\x1b-\x01\r\nline\x01\x0cpage 2\r\n"s;

TEST(RenderCommand, WritesThePdfBesideTheReportAndPngPagesOnRequest) {
  TempDir work;
  WriteBytes(work / "report.txt", kReport);
  Outcome o = Qreport(work, "render report.txt --png pages --dpi 30");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "pdf: report.pdf\npng: pages/page-01.png\npng: pages/page-02.png\n");
  EXPECT_EQ(o.err, "") << "without --strict, skipped sequences are not mentioned";
  EXPECT_EQ(ReadFile(work / "report.pdf").substr(0, 5), "%PDF-");
  EXPECT_EQ(ReadFile(work / "pages" / "page-02.png").substr(1, 3), "PNG");
  EXPECT_FALSE(std::filesystem::exists(work / "pages" / "page-03.png"));
}

TEST(RenderCommand, StrictListsEverySequenceItDoesNotKnowWithItsOffset) {
  TempDir work;
  WriteBytes(work / "report.txt", kReport);
  Outcome o = Qreport(work, "render --strict report.txt -o out.pdf");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err,
            "report.txt: offset 8: ESC '-' 0x01: ESC/P command not drawn, skipped\n"
            "report.txt: offset 17: 0x01: control byte 0x01 skipped\n");
  EXPECT_EQ(ReadFile(work / "out.pdf").substr(0, 5), "%PDF-") << "the PDF is written all the same";

  WriteBytes(work / "clean.txt", "\x1b" "0\x1bP\x1b\"R\xff\xff\xff" "clean\r\n"s);
  Outcome clean = Qreport(work, "render --strict clean.txt");
  EXPECT_EQ(clean.status, 0) << clean.err;
  EXPECT_EQ(clean.err, "");
}

TEST(RenderCommand, ReadsStandardInputAndWritesThePdfToStandardOutput) {
  TempDir work;
  WriteBytes(work / "report.txt", kReport);
  for (const char* args : {"render - < report.txt", "render - -o - < report.txt", "render report.txt -o -"}) {
    SCOPED_TRACE(args);
    Outcome o = Qreport(work, args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.substr(0, 5), "%PDF-");
    EXPECT_NE(o.out.find("%%EOF"), std::string::npos);
  }
}

TEST(RenderCommand, UsageAndFileErrors) {
  TempDir work;
  struct Case {
    const char* args;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"render", 2, "REPORT is missing\nTry 'qreport render --help'."},
      {"render a.txt b.txt", 2, "unexpected argument 'b.txt'\nTry 'qreport render --help'."},
      {"render a.txt --dpi many", 2, "--dpi takes a number"},
      {"render a.txt --dpi 5", 2, "--dpi takes a number"},
      {"render a.txt --png", 2, "--png needs a value"},
      {"render a.txt --wide", 2, "unknown option --wide"},
      {"render missing.txt", 1, "cannot read missing.txt"},
      {"render in.txt -o no/such/folder/out.pdf", 1, "cannot write no/such/folder/out.pdf"},
  };
  WriteBytes(work / "in.txt", "text");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome o = Qreport(work, c.args);
    EXPECT_EQ(o.status, c.status);
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
  }
}

}  // namespace
}  // namespace qreport
