// Schedule B at the end of a report run: written only when asked for, for a semiweekly
// depositor's Form 941, replacing only a plain file; what the run did about it is told to the
// caller, and the report, the saved entries and the print command stay the same bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/client_writer.h"
#include "forms/schedule_b.h"
#include "forms/schedule_b_layout.h"
#include "run/report_run.h"
#include "support/fixture.h"
#include "support/recording_platform.h"

namespace qreport {
namespace {

using testing::PlainClient;
using testing::ReadFile;
using testing::RecordingPlatform;
using testing::TempDir;
namespace fs = std::filesystem;

struct Outcome {
  ScheduleBOutcome result;
  std::string report, saved, schedule_b;
  bool has_schedule_b;
  RecordingPlatform platform;
};

void RunWith(const TempDir& dir, const std::string& answers, bool schedule_b, Outcome& o) {
  fs::remove(dir / "report.txt");
  o.platform.answers = answers;
  o.platform.printer_reply = "X*LPT1*Y*N";
  RunExtras extras;
  extras.schedule_b = schedule_b;
  std::string device = "P";
  o.result = RunReport(dir.str(), device, "941", o.platform, dir.str(), extras).schedule_b;
  o.report = ReadFile(dir / "report.txt");
  o.saved = ReadFile(dir / "save941.info");
  o.has_schedule_b = fs::exists(dir / "scheduleb.txt");
  o.schedule_b = ReadFile(dir / "scheduleb.txt");
}

TEST(ScheduleBStage, WrittenOnlyForASemiweeklyDepositorsForm941AndSaysWhyNot) {
  struct Case {
    const char* name;
    const char* payroll_date;
    const char* answers;
    bool asked;
    ScheduleBOutcome result;
  };
  const Case cases[] = {
      {"not asked", "063026", "221=1\n401\n", false, ScheduleBOutcome::kNotAsked},
      {"semiweekly, Form 941", "063026", "221=1\n401\n", true, ScheduleBOutcome::kWritten},
      {"monthly depositor", "063026", "220=1\n401\n", true, ScheduleBOutcome::kNotSemiweekly},
      {"semiweekly checked, then monthly", "063026", "221=1\n220=1\n401\n", true, ScheduleBOutcome::kNotSemiweekly},
      {"Form 944", "063026", "221=1\n243=1\n401\n", true, ScheduleBOutcome::kNotForm941},
      {"cancelled", "063026", "221=1\n402\n", true, ScheduleBOutcome::kCancelled},
      {"short path", "063004", "", true, ScheduleBOutcome::kNoForms},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ClientFolderSpec spec;
    spec.client = PlainClient(c.payroll_date);
    spec.employees.push_back(testing::PlainEmployee("A1", 300000, 600000));
    spec.liability = std::vector<std::string>{"100.00", "", "-5.00"};
    WriteClientFolder(dir.path(), spec);

    Outcome without, with;
    RunWith(dir, c.answers, false, without);
    EXPECT_FALSE(without.has_schedule_b);
    RunWith(dir, c.answers, c.asked, with);
    EXPECT_EQ(with.result, c.result);
    EXPECT_EQ(with.has_schedule_b, c.result == ScheduleBOutcome::kWritten);
    EXPECT_TRUE(with.report == without.report);
    EXPECT_EQ(with.saved, without.saved);
    EXPECT_EQ(with.platform.commands, without.platform.commands);
    EXPECT_EQ(with.platform.messages, without.platform.messages);
    if (with.has_schedule_b) {
      RunState s;
      s.data_dir = dir.str();
      s.report_date = c.payroll_date;
      EXPECT_TRUE(with.schedule_b == ScheduleBPage(ReadScheduleB(s)));
    }
  }
}

// A link, or a folder, where the page would go is left as it is and the run says so; the file a
// link points to is never written through it.
TEST(ScheduleBStage, NeverWritesThroughALinkOrOverAFolder) {
  for (bool link : {true, false}) {
    SCOPED_TRACE(link ? "a link" : "a folder");
    TempDir dir, elsewhere;
    ClientFolderSpec spec;
    spec.client = PlainClient("063026");
    WriteClientFolder(dir.path(), spec);
    WriteBytes(elsewhere / "precious", "keep me");
    if (link) {
      fs::create_symlink(elsewhere / "precious", dir / "scheduleb.txt");
    } else {
      fs::create_directory(dir / "scheduleb.txt");
    }

    Outcome o;
    RunWith(dir, "221=1\n401\n", true, o);
    EXPECT_EQ(o.result, ScheduleBOutcome::kFailed);
    EXPECT_EQ(ReadFile(elsewhere / "precious"), "keep me");
    EXPECT_EQ(link, fs::is_symlink(dir / "scheduleb.txt"));
    ASSERT_EQ(o.platform.messages.size(), 1u);
    EXPECT_NE(o.platform.messages[0].find("Schedule B was not written"), std::string::npos);
    EXPECT_EQ(o.platform.commands.size(), 1u) << "the report was handed on as usual";
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << "no temporary file left";
    }
  }
}

}  // namespace
}  // namespace qreport
