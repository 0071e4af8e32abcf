// qreport check as a script runs it: the exit status tells nothing found, warnings, errors,
// wrong usage and an unreadable folder apart.
#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "data/client_writer.h"
#include "support/check_client.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using testing::OneEmployeeClient;
using testing::RunQreport;
using testing::TempDir;
using testing::WriteCheckClient;

TEST(CheckCli, ExitStatusTellsEachOutcomeApart) {
  TempDir work;
  WriteCheckClient(work, OneEmployeeClient(100000, 300000));
  // Line 10 is 153.00 (15.3% of 1,000.00).
  WriteBytes(work / "paid", "211=153.00\n401\n");
  WriteBytes(work / "unpaid", "401\n");
  WriteBytes(work / "big", "211=5000\n216=5000\n401\n");
  WriteCheckClient(work, OneEmployeeClient(4000000, 4000000), "bigclient");
  struct Case {
    const char* args;
    int status;
    const char* out_start;
  } cases[] = {
      {"check client --rates-dir . --answers paid", 0, "no findings\n"},
      {"check client --rates-dir . --answers unpaid", 1, "warning balance-due: "},
      {"check bigclient --rates-dir . --answers big", 2, "error "},
      {"check", 64, ""},
      {"check client --frobnicate", 64, ""},
      {"check nowhere", 66, ""},
      {"check client --answers nowhere", 66, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    testing::CommandOutcome o = RunQreport(work, c.args);
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_EQ(o.out.substr(0, std::string(c.out_start).size()), c.out_start);
    if (c.status >= 64) {
      EXPECT_NE(o.err, "");
    }
  }
  // check writes nothing into the client folder.
  EXPECT_FALSE(std::filesystem::exists(work / "client" / "report.txt"));
  EXPECT_FALSE(std::filesystem::exists(work / "client" / "save941.info"));
}

TEST(CheckCli, JsonFindings) {
  TempDir work;
  WriteCheckClient(work, OneEmployeeClient(100000, 50000));
  WriteBytes(work / "answers", "211=153.00\n401\n");
  testing::CommandOutcome o = RunQreport(work, "check client --rates-dir . --answers answers --json");
  ASSERT_EQ(o.status, 2) << o.err;
  nlohmann::json j = nlohmann::json::parse(o.out);
  ASSERT_EQ(j["findings"].size(), 1u);
  EXPECT_EQ(j["findings"][0]["code"], "ytd-below-qtd");
  EXPECT_EQ(j["findings"][0]["severity"], "error");
  EXPECT_EQ(j["status"], 2);
}

}  // namespace
}  // namespace qreport
