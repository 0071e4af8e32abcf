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
using testing::RunQreport;
using testing::TempDir;

using Outcome = testing::CommandOutcome;

// Two pages; "ESC -" (underline, not drawn) at offset 8, a stray control byte at offset 17.
const std::string kReport = "\x1b" "0page 1\x1b-\x01\r\nline\x01\x0cpage 2\r\n"s;

TEST(RenderCommand, WritesThePdfBesideTheReportAndPngPagesOnRequest) {
  TempDir work;
  WriteBytes(work / "report.txt", kReport);
  Outcome o = RunQreport(work, "render report.txt --png pages --dpi 30");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "pdf: report.pdf\npng: 2 pages in pages\n");
  EXPECT_EQ(o.err, "") << "without --strict, skipped sequences are not mentioned";
  EXPECT_EQ(ReadFile(work / "report.pdf").substr(0, 5), "%PDF-");
  EXPECT_EQ(ReadFile(work / "pages" / "page-02.png").substr(1, 3), "PNG");
  EXPECT_FALSE(std::filesystem::exists(work / "pages" / "page-03.png"));
}

TEST(RenderCommand, StrictListsEverySequenceItDoesNotKnowWithItsOffset) {
  TempDir work;
  WriteBytes(work / "report.txt", kReport);
  Outcome o = RunQreport(work, "render --strict report.txt -o out.pdf");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err,
            "report.txt: offset 8: ESC '-' 0x01: ESC/P command not drawn, skipped\n"
            "report.txt: offset 17: 0x01: control byte 0x01 skipped\n");
  EXPECT_EQ(ReadFile(work / "out.pdf").substr(0, 5), "%PDF-") << "the PDF is written all the same";

  WriteBytes(work / "clean.txt", "\x1b" "0\x1bP\x1b\"R\xff\xff\xff" "clean\r\n"s);
  Outcome clean = RunQreport(work, "render --strict clean.txt");
  EXPECT_EQ(clean.status, 0) << clean.err;
  EXPECT_EQ(clean.err, "");
}

TEST(RenderCommand, ReadsStandardInputAndWritesThePdfToStandardOutput) {
  TempDir work;
  WriteBytes(work / "report.txt", kReport);
  for (const char* args : {"render - < report.txt", "render - -o - < report.txt", "render report.txt -o -"}) {
    SCOPED_TRACE(args);
    Outcome o = RunQreport(work, args);
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
      {"render", 2, "REPORT.txt is missing\nTry 'qreport render --help'."},
      {"render a.txt b.txt", 2, "unexpected argument 'b.txt'\nTry 'qreport render --help'."},
      {"render a.txt --dpi many", 2, "--dpi takes a number"},
      {"render a.txt --dpi 5", 2, "--dpi takes a number"},
      {"render a.txt --png", 2, "--png needs a value"},
      {"render a.txt --wide", 2, "unknown option --wide"},
      {"render missing.txt", 1, "qreport: cannot read missing.txt: No such file or directory\n"},
      {"render folder", 1, "qreport: cannot read folder: Is a directory\n"},
      {"render in.txt -o no/such/folder/out.pdf", 1,
       "qreport: cannot write no/such/folder/out.pdf: No such file or directory\n"},
      {"render in.txt -o folder", 1, "qreport: cannot write folder: Is a directory\n"},
  };
  WriteBytes(work / "in.txt", "text");
  std::filesystem::create_directories(work / "folder");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome o = RunQreport(work, c.args);
    EXPECT_EQ(o.status, c.status);
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    if (c.status == 1) {
      EXPECT_EQ(o.err, c.message);
    }
  }
}

}  // namespace
}  // namespace qreport
