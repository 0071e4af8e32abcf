// qreport batch as a bureau runs it: a dozen client folders, some of them broken, in one call;
// each output compared with what a single `qreport run` of the same client writes.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "data/client_writer.h"
#include "support/fixture.h"
#include "support/tmux.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using testing::PlainClient;
using testing::PlainEmployee;
using testing::Quoted;
using testing::ReadFile;
using testing::RunQreport;
using testing::TempDir;

// One client of the batch fixtures: how it is built and what the batch should make of it.
struct BatchClient {
  std::string name;
  std::string date;     // payroll date; "" for a folder that is not written at all
  int employees = 3;
  std::string answers;  // "" for no answers file
  std::string output;   // the report's output name, "" when the client fails
  std::string status;   // "done" or "failed"
};

const std::vector<BatchClient>& Clients() {
  static const std::vector<BatchClient> clients = {
      {"acme", "063005", 3, "", "acme-2005Q2-941.txt", "done"},
      {"baker", "093006", 12, "401\n", "baker-2006Q3-941.txt", "done"},
      {"carter", "123007", 1, "243=1\n401\n", "carter-2007Q4-944.txt", "done"},
      {"delta", "033104", 5, "", "delta-2004Q1-worksheet.txt", "done"},
      {"ellis", "063005", 40, "203=7\n401\n", "ellis-2005Q2-941.txt", "done"},
      {"foster", "033106", 0, "", "foster-2006Q1-941.txt", "done"},
      {"grant", "063008", 7, "401\n", "grant-2008Q2-941.txt", "done"},
      {"hale", "093005", 2, "", "hale-2005Q3-941.txt", "done"},
      {"irving", "123005", 9, "401\n", "irving-2005Q4-941.txt", "done"},
      {"missing", "", 0, "", "", "failed"},         // the folder does not exist
      {"unreadable", "063005", 2, "", "", "failed"},  // its client file is a folder
      {"failing", "063005", 2, "", "", "failed"},     // its report cannot be written
  };
  return clients;
}

void WriteBatchClient(const fs::path& root, const BatchClient& c) {
  if (c.date.empty()) return;
  ClientFolderSpec spec;
  spec.client = PlainClient(c.date);
  for (int i = 1; i <= c.employees; ++i) {
    // Amounts repeat after a thousand employees, so a big client stays within int and the forms.
    Cents step = i % 1000;
    spec.employees.push_back(PlainEmployee("E" + std::to_string(i), 100000 * step + 17, 300000 * step + 17));
  }
  WriteClientFolder(root / c.name, spec);
  if (!c.answers.empty()) WriteBytes(root / c.name / "answers", c.answers);
  if (c.name == "unreadable") {
    fs::remove(root / c.name / "CLIENT");
    fs::create_directory(root / c.name / "CLIENT");
  }
  if (c.name == "failing") fs::create_directory(root / c.name / "report.txt");
}

// A single `qreport run` (with `options`) of a copy of the client folder; the copy's path.
fs::path SingleRun(const TempDir& work, const BatchClient& c, const std::string& options = "") {
  fs::path copy = work / "single" / c.name;
  fs::remove_all(copy);
  fs::create_directories(copy.parent_path());
  fs::copy(work / "clients" / c.name, copy, fs::copy_options::recursive);
  for (const char* output : {"report.txt", "save941.info", "scheduleb.txt"}) fs::remove(copy / output);
  std::string args = "run " + Quoted(copy.string()) + " --rates-dir ." + options;
  if (!c.answers.empty()) args += " --answers " + Quoted((copy / "answers").string());
  testing::CommandOutcome o = RunQreport(work, args, "-u QREPORT_ANSWERS -u QREPORT_PRINTER_REPLY");
  EXPECT_TRUE(o.status == 0 || o.status == 5) << c.name << ": " << o.err;
  return copy;
}

// The report a single `qreport run` writes for a copy of the client folder.
std::string SingleRunReport(const TempDir& work, const BatchClient& c) { return ReadFile(SingleRun(work, c) / "report.txt"); }

void WriteFixtures(const TempDir& work) {
  WriteRatesFile(work.path(), {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
  WriteLetterheadFile(work.path(), {"SMITH PAYROLL SERVICE", "1 ELM STREET", "OAKTOWN, CA 94601", "", ""});
  for (const BatchClient& c : Clients()) WriteBatchClient(work / "clients", c);
}

std::string ClientArgs(const TempDir& work) {
  std::string args;
  for (const BatchClient& c : Clients()) args += " " + Quoted((work / "clients" / c.name).string());
  return args;
}

nlohmann::json Summary(const fs::path& dir) { return nlohmann::json::parse(ReadFile(dir / "batch-summary.json")); }

TEST(Batch, BrokenClientsFailAloneAndTheOthersMatchSingleRuns) {
  TempDir work;
  WriteFixtures(work);
  testing::CommandOutcome o = RunQreport(work, "batch -j 3 --out out --rates-dir ." + ClientArgs(work));
  EXPECT_EQ(o.status, 1) << o.err;
  // Without a terminal nothing but the summary's path.
  EXPECT_EQ(o.out, (fs::path("out") / "batch-summary.csv").string() + "\n");
  EXPECT_EQ(o.err, "qreport: 3 of 12 clients failed\n");

  nlohmann::json summary = Summary(work / "out");
  ASSERT_EQ(summary["clients"].size(), Clients().size());
  EXPECT_FALSE(summary["interrupted"].get<bool>());
  for (std::size_t i = 0; i < Clients().size(); ++i) {
    const BatchClient& c = Clients()[i];
    const nlohmann::json& row = summary["clients"][i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(row["folder"], c.name);
    EXPECT_EQ(row["status"], c.status) << row["reason"];
    if (c.status == "failed") {
      EXPECT_NE(row["reason"].get<std::string>(), "");
      continue;
    }
    EXPECT_EQ(row["employer_name"], "ACME TOOL AND DIE CO");
    std::string batch_report = ReadFile(work / "out" / c.output);
    ASSERT_NE(batch_report, "");
    EXPECT_EQ(batch_report, SingleRunReport(work, c));
  }
  std::string csv = ReadFile(work / "out" / "batch-summary.csv");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + static_cast<long>(Clients().size()));
  EXPECT_NE(csv.find("\"missing\""), std::string::npos);
  EXPECT_NE(csv.find("no such client folder"), std::string::npos);
}

TEST(Batch, ScheduleBBesideTheReportAsSingleRunsWriteIt) {
  TempDir work;
  WriteRatesFile(work.path(), {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
  WriteLetterheadFile(work.path(), {"SMITH PAYROLL SERVICE", "1 ELM STREET", "OAKTOWN, CA 94601", "", ""});
  struct Case {
    BatchClient client;
    std::string schedule_b;  // the summary's word for it
  };
  const Case cases[] = {
      {{"semi", "063005", 3, "221=1\n401\n", "semi-2005Q2-941.txt", "done"}, "written"},
      {{"monthly", "063005", 3, "220=1\n401\n", "monthly-2005Q2-941.txt", "done"},
       "not written: the semiweekly depositor box was not checked"},
      {{"annual", "063005", 3, "221=1\n243=1\n401\n", "annual-2005Q2-944.txt", "done"},
       "not written: Form 944 was chosen; Schedule B goes with Form 941"},
      {{"early", "033104", 3, "", "early-2004Q1-worksheet.txt", "done"},
       "not written: the payroll year takes the short path, which prints no forms"},
      // A folder where its Schedule B goes: the report is written, the client fails.
      {{"blocked", "063005", 3, "221=1\n401\n", "", "failed"}, "not written: it could not be written"},
  };
  std::string args;
  for (const Case& c : cases) {
    WriteBatchClient(work / "clients", c.client);
    // Paydays on the 5th and 19th of each month.
    std::string days;
    for (int record = 1; record <= 93; ++record) {
      int day = (record - 1) % 31 + 1;
      days += RightAligned(day == 5 || day == 19 ? std::to_string(200 + record) + ".25" : "", 10);
    }
    WriteBytes(work / "clients" / c.client.name / "PRLIAB", days);
    args += " " + Quoted((work / "clients" / c.client.name).string());
  }
  fs::create_directory(work / "clients" / "blocked" / "scheduleb.txt");

  testing::CommandOutcome o = RunQreport(work, "batch --schedule-b --render -j 2 --out out --rates-dir ." + args);
  EXPECT_EQ(o.status, 1) << o.err;
  nlohmann::json summary = Summary(work / "out");
  ASSERT_EQ(summary["clients"].size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const BatchClient& c = cases[i].client;
    const nlohmann::json& row = summary["clients"][i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(row["status"], c.status) << row["reason"];
    EXPECT_EQ(row["schedule_b"], cases[i].schedule_b);
    const fs::path schedule_b = work / "out" / (c.name + "-" + (c.name == "early" ? "2004Q1" : "2005Q2") + "-scheduleb.txt");
    if (c.status == "failed") {
      EXPECT_NE(row["reason"].get<std::string>().find("Schedule B"), std::string::npos) << row["reason"];
      continue;
    }
    fs::path single = SingleRun(work, c, " --schedule-b");
    EXPECT_EQ(ReadFile(work / "out" / c.output), ReadFile(single / "report.txt"));
    EXPECT_EQ(fs::exists(schedule_b), cases[i].schedule_b == "written");
    fs::path pdf = schedule_b;
    pdf.replace_extension(".pdf");
    EXPECT_EQ(fs::exists(pdf), cases[i].schedule_b == "written");
    if (cases[i].schedule_b != "written") continue;
    std::string written = ReadFile(schedule_b);
    ASSERT_NE(written, "");
    EXPECT_EQ(written, ReadFile(single / "scheduleb.txt"));
    EXPECT_EQ(ReadFile(pdf).substr(0, 5), "%PDF-");
    EXPECT_NE(row["outputs"].dump().find("semi-2005Q2-scheduleb.pdf"), std::string::npos);
  }
  std::string csv = ReadFile(work / "out" / "batch-summary.csv");
  EXPECT_NE(csv.find(R"(,"written","done",)"), std::string::npos) << csv;

  // Schedule B's outputs are outputs of their client: --skip-done runs a client again whose
  // Schedule B is missing, and leaves the others.
  fs::remove(work / "out" / "semi-2005Q2-scheduleb.txt");
  o = RunQreport(work, "batch --schedule-b --render --skip-done -j 2 --out out --rates-dir ." + args);
  summary = Summary(work / "out");
  EXPECT_EQ(summary["clients"][0]["status"], "done");
  EXPECT_EQ(summary["clients"][1]["status"], "skipped");
  EXPECT_EQ(summary["clients"][1]["schedule_b"], "not written: the semiweekly depositor box was not checked");
  EXPECT_TRUE(fs::exists(work / "out" / "semi-2005Q2-scheduleb.txt"));
}

// Every file of `dir` with its content.
std::map<std::string, std::string> Files(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) files[entry.path().filename().string()] = ReadFile(entry.path());
  return files;
}

TEST(Batch, KilledBatchResumesWithSkipDone) {
  TempDir work;
  WriteRatesFile(work.path(), {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
  std::vector<BatchClient> clients;
  for (int i = 0; i < 12; ++i) {
    clients.push_back({"c" + std::to_string(10 + i), "063005", 400, "", "", "done"});
    WriteBatchClient(work / "clients", clients.back());
  }
  // The batch is killed once its first client's last output is there.
  pid_t pid =
      testing::StartQreport(work.path(), {"batch", "-j", "1", "--root", "clients", "--out", "out", "--rates-dir", "."});
  ASSERT_GT(pid, 0);
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!fs::exists(work / "out" / "c10-2005Q2-941.lines.json") && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the batch ended before it was killed";
  std::map<std::string, std::string> before = Files(work / "out");
  EXPECT_EQ(before.count("batch-summary.csv"), 0u);

  testing::CommandOutcome o = RunQreport(work, "batch -j 2 --skip-done --root clients --out out --rates-dir .");
  // The generated clients have no answers, so their checks find errors (no deposits): every
  // client ran, with error findings.
  ASSERT_EQ(o.status, 3) << o.err;
  nlohmann::json summary = Summary(work / "out");
  ASSERT_EQ(summary["clients"].size(), clients.size());
  std::size_t skipped = 0;
  for (const nlohmann::json& row : summary["clients"]) {
    if (row["status"] == "skipped") ++skipped;
    else EXPECT_EQ(row["status"], "done");
  }
  EXPECT_GE(skipped, 1u);
  // What the killed batch finished is kept as it was; every report is whole; nothing half done.
  std::map<std::string, std::string> after = Files(work / "out");
  for (const auto& [name, content] : before) {
    if (name.ends_with(".txt")) {
      EXPECT_EQ(after[name], content) << name;
    }
  }
  std::string whole = ReadFile(work / "out" / "c10-2005Q2-941.txt");
  for (const BatchClient& c : clients) {
    EXPECT_EQ(after[c.name + "-2005Q2-941.txt"], whole) << c.name;  // the same employees throughout
  }
  for (const auto& [name, content] : after) EXPECT_FALSE(name.ends_with(".part")) << name;
}

// The batch's job process that has `file` open, or -1.
pid_t JobWithOpenFile(pid_t batch, const fs::path& file) {
  std::error_code ec;
  for (const auto& proc : fs::directory_iterator("/proc", ec)) {
    std::string status = ReadFile(proc.path() / "stat");
    std::size_t close = status.rfind(')');
    if (close == std::string::npos) continue;
    // After the name: state, then the parent's pid.
    std::istringstream fields(status.substr(close + 2));
    std::string state;
    pid_t parent = 0;
    fields >> state >> parent;
    if (parent != batch) continue;
    for (const auto& fd : fs::directory_iterator(proc.path() / "fd", ec)) {
      if (fs::read_symlink(fd.path(), ec) == file) return static_cast<pid_t>(std::stoi(proc.path().filename().string()));
    }
  }
  return -1;
}

TEST(Batch, AClientWhoseRunCrashesFailsAlone) {
  TempDir work;
  WriteRatesFile(work.path(), {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
  for (const char* name : {"a", "b", "c"}) WriteBatchClient(work / "clients", {name, "063005", 3, "", "", ""});
  // Big enough that its process is still reading when the test finds it.
  WriteBatchClient(work / "clients", {"big", "063005", 20000, "", "", ""});
  pid_t pid = testing::StartQreport(work.path(), {"batch", "-j", "2", "--root", "clients", "--rates-dir", "."});
  ASSERT_GT(pid, 0);
  const fs::path big_file = fs::canonical(work / "clients" / "big" / "EMPLOYEE.fil");
  pid_t job = -1;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (job < 0 && std::chrono::steady_clock::now() < until) job = JobWithOpenFile(pid, big_file);
  ASSERT_GT(job, 0) << "the big client's process was not seen";
  ::kill(job, SIGSEGV);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  nlohmann::json summary = Summary(work / "clients");
  ASSERT_EQ(summary["clients"].size(), 4u);
  for (const nlohmann::json& row : summary["clients"]) {
    SCOPED_TRACE(row.dump());
    if (row["folder"] == "big") {
      EXPECT_EQ(row["status"], "failed");
      // A segmentation fault, or the abort a sanitizer build turns it into.
      const std::string reason = row["reason"].get<std::string>();
      EXPECT_TRUE(reason.find("crashed (signal 11") != std::string::npos ||
                  reason.find("crashed (signal 6") != std::string::npos)
          << reason;
    } else {
      EXPECT_EQ(row["status"], "done");
      EXPECT_NE(ReadFile(work / "clients" / (row["folder"].get<std::string>() + "-2005Q2-941.txt")), "");
    }
  }
}

TEST(Batch, SkipDoneRunsAClientAgainWhenAnInputChanged) {
  TempDir work;
  WriteRatesFile(work.path(), {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
  for (const char* name : {"a", "b"}) WriteBatchClient(work / "clients", {name, "063005", 2, "", "", "done"});
  ASSERT_EQ(RunQreport(work, "batch --root clients --rates-dir .").status, 0);
  // A changed answers file is an input of its client.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  WriteBytes(work / "clients" / "b" / "answers", "401\n");
  ASSERT_EQ(RunQreport(work, "batch --skip-done --root clients --rates-dir .").status, 0);
  nlohmann::json summary = Summary(work / "clients");
  EXPECT_EQ(summary["clients"][0]["status"], "skipped");
  EXPECT_EQ(summary["clients"][1]["status"], "done");
}

TEST(Batch, ProgressLineOnATerminalOnly) {
  TempDir work;
  std::string why;
  if (!testing::TmuxWorks(work, why)) GTEST_SKIP() << why;
  WriteRatesFile(work.path(), {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
  for (int i = 0; i < 6; ++i) WriteBatchClient(work / "clients", {"p" + std::to_string(i), "063005", 400, "", "", ""});
  WriteBatchClient(work / "clients", {"broken", "063005", 2, "", "", ""});
  fs::create_directory(work / "clients" / "broken" / "report.txt");
  WriteBytes(work / "run.sh", "cd " + Quoted(work.str()) + "\n" + Quoted(QREPORT_CLI) +
                                  " batch -j 1 --root clients --rates-dir . ; echo \"status $?\"; sleep 30\n");
  testing::Tmux tmux(work);
  ASSERT_TRUE(tmux.Start("sh " + Quoted((work / "run.sh").string()), 100, 10)) << tmux.Output();
  ASSERT_TRUE(tmux.WaitFor("/7 clients  ")) << tmux.Screen();
  std::string running = tmux.Screen();
  EXPECT_NE(running.find(" failed"), std::string::npos) << running;
  ASSERT_TRUE(tmux.WaitFor("status 1")) << tmux.Screen();
  std::string screen = tmux.Screen();
  // The line was redrawn in place and cleared at the end: no progress rows are left above.
  EXPECT_EQ(screen.find("clients  "), std::string::npos) << screen;
  EXPECT_NE(screen.find("batch-summary.csv"), std::string::npos) << screen;
  EXPECT_NE(screen.find("1 of 7 clients failed"), std::string::npos) << screen;
}

}  // namespace
}  // namespace qreport
