// Client folders that are damaged or are no client's at all, through the commands a user runs on
// them: each gives its clear error or sound behaviour and its documented exit status, never an
// abort, a report of zeros in place of the last good one, or a "done" row.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "data/client_writer.h"
#include "support/fixture.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using testing::PlainClient;
using testing::PlainEmployee;
using testing::ReadFile;
using testing::TempDir;

constexpr const char* kOldReport = "LAST QUARTER'S GOOD REPORT\r\n";

// A form-path client of three employees in work/NAME with an earlier report, the rates in work.
void WriteClient(const TempDir& work, const std::string& name = "c") {
  ClientFolderSpec spec;
  spec.client = PlainClient("063005");
  for (int i = 1; i <= 3; ++i) spec.employees.push_back(PlainEmployee("E" + std::to_string(i), 300000, 600000));
  WriteClientFolder(work / name, spec);
  WriteBytes(work / name / "report.txt", kOldReport);
}

// Bytes that look like nothing, the same every run.
std::string Noise(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (char& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<char>(seed >> 16);
  }
  return bytes;
}

// The folder cannot be read or searched by the user the command runs as (see AsOrdinaryUser).
void LockFolder(const TempDir& work) { fs::permissions(work / "c", fs::perms::none); }

// The superuser reads any folder: as root the command runs as nobody, so that the permissions of
// the fixture apply to it. The work folder is opened to that user for it.
std::string AsOrdinaryUser(const TempDir& work) {
  if (::geteuid() != 0) return "";
  fs::permissions(work.path(), fs::perms::all);
  return "setpriv --reuid=65534 --regid=65534 --clear-groups";
}

nlohmann::json SummaryRow(const TempDir& work, std::size_t i = 0) {
  return nlohmann::json::parse(ReadFile(work / "out" / "batch-summary.json"))["clients"][i];
}

TEST(DamagedClient, EachFaultGivesItsErrorAndStatus) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> build;  // after WriteClient(work) and the answers file
    const char* args;                           // after "qreport"
    bool ordinary_user;                         // run as nobody when the tests run as root
    int status;
    const char* err;                            // a line standard error holds
    std::function<void(const TempDir&)> then;   // what must hold afterwards
  } cases[] = {
      {"unreadable folder: run says so", LockFolder, "run c --rates-dir .", true, 1,
       "qreport: cannot read the client folder c: Permission denied\n", nullptr},
      {"unreadable folder: run with answers does not blame them", LockFolder, "run c --answers answers --rates-dir .",
       true, 1, "qreport: cannot read the client folder c: Permission denied\n", nullptr},
      {"unreadable client file: run with answers does not blame them",
       [](const TempDir& work) { fs::permissions(work / "c" / "CLIENT", fs::perms::none); },
       "run c --answers answers --rates-dir .", true, 1,
       "qreport: cannot read the client file c/CLIENT: Permission denied\n", nullptr},
      {"unreadable folder: check", LockFolder, "check c --rates-dir .", true, 66,
       "qreport: cannot read the client folder c: Permission denied\n", nullptr},
      {"unreadable folder: batch fails its row", LockFolder, "batch c --out out --rates-dir .", true, 1,
       "qreport: 1 of 1 clients failed\n",
       [](const TempDir& work) {
         nlohmann::json row = SummaryRow(work);
         EXPECT_EQ(row["status"], "failed");
         EXPECT_EQ(row["reason"], "the client folder cannot be read: Permission denied");
       }},
      {"failed employee pass: the last report stays",
       [](const TempDir& work) {
         fs::remove(work / "c" / "EMPLOYEE.idx");
         fs::create_directory(work / "c" / "EMPLOYEE.idx");
       },
       "run c --answers answers --rates-dir .", false, 4,
       "qreport: incomplete: the run showed an error message; c/report.txt was left as it was and "
       "c/report.incomplete.txt holds the incomplete report\n",
       [](const TempDir& work) {
         EXPECT_EQ(ReadFile(work / "c" / "report.txt"), kOldReport);
         EXPECT_NE(ReadFile(work / "c" / "report.incomplete.txt").find("Payment Voucher"), std::string::npos);
       }},
      {"cut-short master file: run warns and says so in its status",
       [](const TempDir& work) { fs::resize_file(work / "c" / "EMPLOYEE.fil", 2 * 332 + 100); },
       "run c --answers answers --rates-dir .", false, 6,
       "warning: EMPLOYEE.fil is cut short: 764 bytes is not a whole number of 332-byte records; the report "
       "lacks whatever the rest of it held\n",
       [](const TempDir& work) { EXPECT_NE(ReadFile(work / "c" / "report.txt"), kOldReport); }},
      {"cut-short master file: batch fails it and writes nothing",
       [](const TempDir& work) { fs::resize_file(work / "c" / "EMPLOYEE.fil", 2 * 332 + 100); },
       "batch c --out out --rates-dir .", false, 1, "qreport: 1 of 1 clients failed\n",
       [](const TempDir& work) {
         nlohmann::json row = SummaryRow(work);
         EXPECT_EQ(row["status"], "failed");
         EXPECT_EQ(row["reason"], "its record files fail the checks: EMPLOYEE.fil is cut short");
         EXPECT_TRUE(row["outputs"].empty());
         EXPECT_EQ(ReadFile(work / "c" / "report.txt"), kOldReport);
       }},
      {"folder of noise: batch fails it",
       [](const TempDir& work) {
         unsigned seed = 7;
         for (const char* name : {"CLIENT", "EMPLOYEE.idx", "EMPLOYEE.fil", "EMPLOYEE.PLANS", "PRLIAB"}) {
           WriteBytes(work / "c" / name, Noise(500 + seed * 37, seed));
           ++seed;
         }
       },
       "batch c --out out --rates-dir .", false, 1, "qreport: 1 of 1 clients failed\n",
       [](const TempDir& work) {
         nlohmann::json row = SummaryRow(work);
         EXPECT_EQ(row["status"], "failed");
         EXPECT_EQ(row["reason"].get<std::string>().rfind("its record files fail the checks: EMPLOYEE.idx, ", 0), 0u)
             << row["reason"];
       }},
      {"empty folder given by name: a failed row, and nothing created in it",
       [](const TempDir& work) { fs::create_directory(work / "empty"); },
       "batch empty --out out --rates-dir .", false, 1, "qreport: 1 of 1 clients failed\n",
       [](const TempDir& work) {
         EXPECT_EQ(SummaryRow(work)["reason"], "not a client folder: it has no CLIENT file");
         EXPECT_TRUE(fs::is_empty(work / "empty"));
       }},
      {"--root: folders without a CLIENT file are left out and counted",
       [](const TempDir& work) {
         fs::create_directories(work / "root");
         fs::rename(work / "c", work / "root" / "c");
         fs::create_directory(work / "root" / "empty");
         fs::create_directory(work / "root" / "notes");
         WriteBytes(work / "root" / "notes" / "todo.txt", "call the bank");
       },
       "batch --root root --out out --rates-dir .", false, 0,
       "qreport: 2 folders without a CLIENT file left out (see not_clients in the summary)\n",
       [](const TempDir& work) {
         nlohmann::json summary = nlohmann::json::parse(ReadFile(work / "out" / "batch-summary.json"));
         ASSERT_EQ(summary["clients"].size(), 1u);
         EXPECT_EQ(summary["clients"][0]["status"], "done");
         EXPECT_EQ(summary["not_clients"], nlohmann::json::array({(fs::path("root") / "empty").string(),
                                                                  (fs::path("root") / "notes").string()}));
         EXPECT_TRUE(fs::is_empty(work / "root" / "empty"));
       }},
      {"a finding for every index entry: the summary holds the first and counts the rest",
       [](const TempDir& work) {
         std::string index;
         for (int i = 0; i < 60; ++i) index += std::string("E1    \xF4\x01", 8);  // record 500 of 3
         WriteBytes(work / "c" / "EMPLOYEE.idx", index);
       },
       "batch c --out out --rates-dir .", false, 0, "",
       [](const TempDir& work) {
         nlohmann::json row = SummaryRow(work);
         EXPECT_EQ(row["status"], "done");
         EXPECT_EQ(row["findings"].size(), 20u);
         EXPECT_GT(row.value("findings_left_out", 0), 40);
         std::string csv = ReadFile(work / "out" / "batch-summary.csv");
         EXPECT_NE(csv.find(" more\""), std::string::npos) << csv;
         EXPECT_LT(csv.size(), 2000u);
       }},
      {"a designee name longer than its box is cut there",
       [](const TempDir& work) { WriteBytes(work / "answers", "213=" + std::string(40000, 'N') + "\n401\n"); },
       "run c --answers answers --rates-dir .", false, 0,
       "warning: answers:1: box 213 holds 32767 characters; the rest of the line is dropped\n",
       [](const TempDir& work) {
         std::string saved = ReadFile(work / "c" / "save941.info");
         EXPECT_EQ(saved.substr(0, saved.find('\r')), std::string(32767, 'N') + " ");
         EXPECT_LT(fs::file_size(work / "c" / "report.txt"), 100000u);
       }},
      {"saved entries with an endless first line are read to the box's width",
       [](const TempDir& work) {
         WriteBytes(work / "c" / "save941.info", std::string(100000, 'S') + " \r\n555-0100 \r\n \r\nCA  \r\n");
       },
       "run c --answers answers --rates-dir .", false, 0, "",
       [](const TempDir& work) {
         EXPECT_EQ(ReadFile(work / "c" / "save941.info"),
                   std::string(32767, 'S') + " \r\n555-0100 \r\n \r\nCA  \r\n");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir work;
    WriteClient(work);
    WriteRatesFile(work.path(), {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
    WriteBytes(work / "answers", "211=100\n401\n");
    c.build(work);
    std::string env = "-u QREPORT_ANSWERS -u QREPORT_PRINTER_REPLY ";
    if (c.ordinary_user) env += AsOrdinaryUser(work);
    testing::CommandOutcome o = testing::RunQreport(work, c.args, env);
    if (fs::exists(work / "c")) fs::permissions(work / "c", fs::perms::owner_all);
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("answers:1: 211"), std::string::npos) << o.err;
    if (c.then) c.then(work);
  }
}

}  // namespace
}  // namespace qreport
