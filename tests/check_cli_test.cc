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

// The slips a preparer makes in a client folder, each in a fixture of its own: check names each
// with its code, and its severity sets the exit status.
TEST(CheckCli, SlipsInTheClientFolderAreFound) {
  struct Case {
    const char* what;
    void (*spoil)(ClientFolderSpec& spec);
    void (*spoil_files)(const std::filesystem::path& folder);
    int status;
    const char* line;  // a line of the findings, from its start
  } cases[] = {
      {"an EIN of letters", [](ClientFolderSpec& spec) { spec.client->ein = "ABCDEFGHIJ"; }, nullptr, 2,
       "error ein: the EIN \"ABCDEFGHIJ\" is not nine digits written NN-NNNNNNN"},
      {"an EIN cut short", [](ClientFolderSpec& spec) { spec.client->ein = "84-30215"; }, nullptr, 2, "error ein: the EIN \"84-30215\""},
      {"a payroll date of month 13", [](ClientFolderSpec& spec) { spec.client->payroll_date = "133126"; }, nullptr, 2,
       "error payroll-date: the payroll date \"133126\" is no real date MMDDYY"},
      {"a city line without a comma", [](ClientFolderSpec& spec) { spec.client->city_line = "SPRINGFIELD IL 62704"; }, nullptr, 2,
       "error city-line: the city line \"SPRINGFIELD IL 62704\" has no comma"},
      {"a lower-case FICA flag", [](ClientFolderSpec& spec) { spec.employees[0].fica_flag = 'y'; }, nullptr, 1,
       "warning fica-flag: 1 employee has wages and a social security flag other than Y, so they are not subject to social "
       "security and Medicare: only a capital Y is: A1 (flag \"y\")"},
      {"an undefined byte in a name", [](ClientFolderSpec& spec) { spec.employees[0].name = "ZO\x81"; }, nullptr, 1,
       "warning file-warning: employee entry 1 name: holds a byte code page 1252 leaves undefined (0x81"},
      {"a client file cut short", nullptr,
       [](const std::filesystem::path& folder) { std::filesystem::resize_file(folder / "CLIENT", 200); }, 2,
       "error client-file: the client file CLIENT is cut short (200 bytes of the 302 of its two records)"},
      {"no client file", nullptr, [](const std::filesystem::path& folder) { std::filesystem::remove(folder / "CLIENT"); }, 2,
       "error client-file: there is no client file CLIENT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir work;
    ClientFolderSpec spec = OneEmployeeClient(100000, 300000);
    if (c.spoil) c.spoil(spec);
    WriteCheckClient(work, spec);
    if (c.spoil_files) c.spoil_files(work / "client");
    testing::CommandOutcome o = RunQreport(work, "check client --rates-dir .");
    EXPECT_EQ(o.status, c.status) << o.out << o.err;
    EXPECT_NE(("\n" + o.out).find(std::string("\n") + c.line), std::string::npos) << o.out;
  }
}

}  // namespace
}  // namespace qreport
