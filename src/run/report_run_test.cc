// The report run's start and its choice of path.
#include "run/report_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/client_writer.h"
#include "support/fixture.h"
#include "support/recording_platform.h"

namespace qreport {
namespace {

using testing::PlainClient;
using testing::ReadFile;
using testing::RecordingPlatform;
using testing::TempDir;
namespace fs = std::filesystem;

TEST(TakesFormRoute, ComparesTheLastTwoCharactersWithFour) {
  struct Case {
    const char* date;
    bool form;
  } cases[] = {
      {"063005", true}, {"063004", false}, {"123199", true}, {"010100", false}, {"", false},
      {"0630", true},   {"06305", true},   {"0630 5", true}, {"06300A", false}, {"0630.5", false},
      {"5", true},      {"063010", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    EXPECT_EQ(TakesFormRoute(c.date), c.form);
  }
}

struct RunResult {
  std::string device_code;
  bool report_exists;
  std::string report;
  RecordingPlatform platform;
};

void RunOn(const TempDir& dir, RunResult& result, std::string kind = "941", std::string device = "Q") {
  result.device_code = device;
  RunReport(dir.str(), result.device_code, kind, result.platform, dir.str());
  result.report_exists = fs::exists(dir / "report.txt");
  result.report = result.report_exists ? ReadFile(dir / "report.txt") : "";
}

TEST(ReportRun, ShortPathWritesAnEmptyReportAndDeviceCodeP) {
  for (const char* date : {"063004", "010100", ""}) {
    SCOPED_TRACE(date);
    TempDir dir;
    ClientFolderSpec spec;
    spec.client = PlainClient(date);
    WriteClientFolder(dir.path(), spec);
    WriteBytes(dir / "report.txt", "an old report");

    RunResult r;
    RunOn(dir, r, "XYZ");  // not 941: no worksheet, the report file stays empty
    EXPECT_EQ(r.device_code, "P");
    EXPECT_TRUE(r.report_exists);
    EXPECT_EQ(r.report, "");
    EXPECT_FALSE(fs::exists(dir / "PRLIAB"));  // the short path never reads the liabilities
  }
}

TEST(ReportRun, FormPathLeavesTheDeviceCodeAlone) {
  for (const char* date : {"063005", "123199"}) {
    SCOPED_TRACE(date);
    TempDir dir;
    ClientFolderSpec spec;
    spec.client = PlainClient(date);
    WriteClientFolder(dir.path(), spec);
    RunResult r;
    RunOn(dir, r);
    EXPECT_EQ(r.device_code, "Q");
    EXPECT_TRUE(fs::exists(dir / "PRLIAB"));  // read (and created) on the form path only
  }
}

TEST(ReportRun, MissingClientFileTakesTheShortPath) {
  TempDir dir;
  RunResult r;
  RunOn(dir, r);
  EXPECT_EQ(r.device_code, "P");
  EXPECT_TRUE(fs::exists(dir / "CLIENT"));
  EXPECT_TRUE(r.report_exists);
}

TEST(ReportRun, BadDataFoldersNeverCrashTheRun) {
  TempDir dir;
  WriteBytes(dir / "plainfile", "x");
  fs::create_directories(dir / "client-folder-with-dir" / "CLIENT");
  struct Case {
    fs::path data_dir;
    const char* device_after;
  } cases[] = {
      {dir / "does-not-exist", "P"},           // short path; the report file cannot be created
      {dir / "plainfile", "P"},                 // a file where the folder should be
      {dir / "client-folder-with-dir", "P"},    // a folder in place of the client file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data_dir.string());
    RecordingPlatform platform;
    std::string device = "Q";
    RunReport(c.data_dir.string(), device, "941", platform, dir.str());
    EXPECT_EQ(device, c.device_after);
    EXPECT_FALSE(fs::exists(dir / "does-not-exist"));
  }
}

}  // namespace
}  // namespace qreport
