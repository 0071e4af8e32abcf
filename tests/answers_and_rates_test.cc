// The slips that would give a confident wrong return, through the commands as a user meets them:
// an answers file with a line that names no control or a money text that is no number, a rates
// folder without usable rates, a form asked for through --kind. Each is refused with one line
// naming it, by run, check and lines alike, and batch makes the client a failed row.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "data/client_writer.h"
#include "support/check_client.h"
#include "support/fixture.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using testing::OneEmployeeClient;
using testing::ReadFile;
using testing::RunQreport;
using testing::TempDir;
using testing::WriteCheckClient;

constexpr const char* kNoEnvironment = "-u QREPORT_ANSWERS -u QREPORT_PRINTER_REPLY";

// work/client (a second-quarter 2005 client, line 10 153.00) beside the rates file; answers
// files for each slip; a rates folder with no rates file and one whose social security rate is 0.
void WriteSlips(const TempDir& work) {
  WriteCheckClient(work, OneEmployeeClient(100000, 300000));
  WriteBytes(work / "paid", "211=153.00\n401\n");
  WriteBytes(work / "no-control", "211=153.00\n999=1\n401\n");
  WriteBytes(work / "no-number", "211=abc\n401\n");
  WriteBytes(work / "pick-944", "211=153.00\n243=1\n401\n");
  fs::create_directory(work / "no-rates");
  fs::create_directory(work / "zero-rates");
  WriteRatesFile(work / "zero-rates", {"0", "0", "94200", "1.45", "1.45", "0"});
}

TEST(Slips, EachIsRefusedWithItsMessageAndStatus) {
  TempDir work;
  WriteSlips(work);
  struct Case {
    const char* args;
    int status;
    const char* out;  // a part of standard output ("" for none wanted)
    const char* err;  // a part of standard error
  } cases[] = {
      // An answers line that names no control, in every command that plays answers.
      {"run client --answers no-control --printer-reply ''", 2, "",
       "qreport: no-control:2: 999 is not a control of the dialog"},
      {"check client --answers no-control", 2, "error answers: no-control:2: 999 is not a control", ""},
      {"lines client --answers no-control", 2, "", "qreport: no-control:2: 999 is not a control"},
      // A money text that is no number: no more deposits of $0 and the whole liability due.
      {"run client --answers no-number --printer-reply ''", 2, "",
       "qreport: no-number:1: 'abc' in money box 211 is not a number"},
      {"check client --answers no-number --json", 2, "no-number:1: 'abc' in money box 211", ""},
      {"lines client --answers no-number --json", 2, "", "no-number:1: 'abc' in money box 211"},
      // No usable rates on the form route.
      {"run client --answers paid --rates-dir no-rates --printer-reply ''", 2, "",
       "qreport: no rates file FICA.RAT in "},
      {"run client --answers paid --rates-dir zero-rates --printer-reply ''", 2, "",
       "gives a social security rate of 0 (give --rates-dir, or --allow-zero-rates)"},
      {"run client --answers paid --rates-dir zero-rates --allow-zero-rates --printer-reply ''", 0, "",
       "warning: the rates file FICA.RAT in "},
      {"check client --answers paid --rates-dir no-rates", 2, "error rates-missing: ", ""},
      {"check client --answers paid --rates-dir zero-rates", 2, "error rates-zero: ", ""},
      // The rates file found by the rule: not the client folder's, so a note names it.
      {"lines client --answers paid --json", 0, "", "note: the rates file is "},
      // The form: --kind never chooses it; --form does, over the answers.
      {"run client --answers paid --kind 944", 2, "", "--kind takes 941 or none"},
      {"lines client --kind foo", 2, "", "--kind takes 941 or none"},
      {"check client --form 945", 64, "", "--form takes 941 or 944"},
      {"lines client --answers paid --form 944 --json", 0, "\"form\": \"944\"", ""},
      {"lines client --answers pick-944 --form 941 --json", 0, "\"form\": \"941\"", ""},
      {"lines client --answers pick-944 --json", 0, "\"form\": \"944\"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    testing::CommandOutcome o = RunQreport(work, c.args, kNoEnvironment);
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_NE(o.out.find(c.out), std::string::npos) << o.out;
    EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
  }
}

// Each client of a batch by the same rules: a failed row naming the slip, and a status of its own
// when every client ran but the check of one found errors.
TEST(Slips, BatchMarksEachClient) {
  TempDir work;
  WriteCheckClient(work, OneEmployeeClient(100000, 300000), "paid");
  WriteBytes(work / "paid" / "answers", "211=153.00\n401\n");
  WriteCheckClient(work, OneEmployeeClient(100000, 300000), "unpaid-errors");
  // Line 7d, which the current return has no line for: an error of the check.
  WriteBytes(work / "unpaid-errors" / "answers", "205=10.00\n211=153.00\n401\n");
  WriteCheckClient(work, OneEmployeeClient(100000, 300000), "no-number");
  WriteBytes(work / "no-number" / "answers", "211=abc\n401\n");
  fs::create_directory(work / "no-rates");
  struct Case {
    const char* args;
    int status;
    const char* failed;  // the folder of the failed row, and a part of its reason
    const char* reason;
  } cases[] = {
      {"batch paid --out out", 0, "", ""},
      {"batch paid no-number --out out", 1, "no-number", "no-number/answers:1: 'abc' in money box 211"},
      {"batch paid --out out --rates-dir no-rates", 1, "paid", "no rates file FICA.RAT in "},
      {"batch paid --out out --rates-dir no-rates --allow-zero-rates", 3, "", ""},
      {"batch paid unpaid-errors --out out", 3, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    testing::CommandOutcome o = RunQreport(work, c.args, kNoEnvironment);
    EXPECT_EQ(o.status, c.status) << o.err;
    nlohmann::json summary = nlohmann::json::parse(ReadFile(work / "out" / "batch-summary.json"), nullptr, false);
    ASSERT_TRUE(summary.is_object());
    for (const nlohmann::json& row : summary["clients"]) {
      const bool failed = row["folder"] == c.failed;
      EXPECT_EQ(row["status"], failed ? "failed" : "done") << row.dump();
      if (failed) {
        EXPECT_NE(row["reason"].get<std::string>().find(c.reason), std::string::npos) << row["reason"];
      }
      std::size_t errors = 0;
      for (const nlohmann::json& f : row["findings"]) errors += f["severity"] == "error";
      if (row["findings_left_out"] == 0) {
        EXPECT_EQ(row["findings_count"]["error"], errors) << row.dump();
      }
    }
    fs::remove_all(work / "out");
  }
}

// A run from another folder finds the rates in the client folder and writes nothing where it
// was started: no rates file, no letterhead, nothing else.
TEST(Slips, RunCreatesNothingOutsideItsClientFolder) {
  TempDir work, elsewhere;
  WriteCheckClient(work, OneEmployeeClient(100000, 300000));
  WriteRatesFile(work / "client", {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
  WriteBytes(work / "client" / "answers", "211=153.00\n401\n");
  auto listing = [&elsewhere] {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(elsewhere.path())) {
      const std::string name = entry.path().filename().string();
      if (name != ".out" && name != ".err") names.insert(name);  // the test's own capture files
    }
    return names;
  };
  const std::set<std::string> before = listing();
  testing::CommandOutcome o =
      RunQreport(elsewhere, "run " + (work / "client").string() + " --printer-reply ''", kNoEnvironment);
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err.find("note: the rates file"), std::string::npos) << o.err;  // the client folder's own
  EXPECT_EQ(listing(), before);
  EXPECT_TRUE(fs::exists(work / "client" / "report.txt"));
}

}  // namespace
}  // namespace qreport
