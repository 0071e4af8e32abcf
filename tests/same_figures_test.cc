// One client through every front end: `qreport run`, `lines --json`, `check --json`, `return
// --json`, `batch --return` and the web page's dialog session each drive the same run session, so
// a client's report, figures, current return and findings must come out the same whichever of
// them is asked, with the client folder's own
// answers file played by all of them without --answers. Then a batch client's employee files,
// which its one session should read once.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "check/findings.h"
#include "data/client_writer.h"
#include "data/employee_files.h"
#include "filing/return_outputs.h"
#include "platform/posix/answers.h"
#include "run/stages.h"
#include "support/fixture.h"
#include "support/golden_clients.h"
#include "support/open_counter.h"
#include "support/tmux.h"
#include "web/client_checks.h"
#include "web/dialog_session.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using testing::Quoted;
using testing::ReadFile;
using testing::RunQreport;
using testing::TempDir;

// Every command runs with the client folder's own answers file alone: nothing from the
// environment that would stand in for it or answer the printer picker.
constexpr const char* kNoEnvironment = "-u QREPORT_ANSWERS -u QREPORT_PRINTER_REPLY";

// A client whose figures show what its answers file sets.
struct SameClient {
  std::string name;  // the client folder's name
  ClientFolderSpec folder;
  std::array<std::string, 6> rates = testing::kGoldenRates;
  std::string answers;               // the folder's own answers file
  bool liabilities = false;          // a liability file with paydays on the 5th and 19th
  std::string period, form;          // the batch's name for the outputs: NAME-PERIOD-FORM.txt
  std::string answered_key;          // a key of the figures' "dialog" object the answers set ...
  nlohmann::json answered_value;     // ... and its value, which the dialog's first one is not
  std::vector<std::string> finding_codes;  // what the checks find with these answers
};

// A liability file with a payday on the 5th and the 19th of each month of the quarter, adding up
// to $6,572.00: the semiweekly client's line 10.
std::string PaydayLiabilities() {
  const char* paydays[3][2] = {{"1000.00", "1190.00"}, {"1000.00", "1190.00"}, {"1000.00", "1192.00"}};
  std::string days;
  for (int month = 0; month < 3; ++month) {
    for (int day = 1; day <= 31; ++day) {
      days += RightAligned(day == 5 ? paydays[month][0] : day == 19 ? paydays[month][1] : "", 10);
    }
  }
  return days;
}

// The annual return's client of the golden report, in the fourth quarter.
ClientFolderSpec AnnualClient() {
  ClientFolderSpec spec = testing::Form944MonthlyAmountsClient();
  spec.client->payroll_date = "123007";
  return spec;
}

ClientFolderSpec ShortRouteClient() {
  ClientFolderSpec spec;
  spec.client = testing::PlainClient("033104");
  spec.employees = {testing::Worker("S1", 400000, 900000, 50000), testing::Worker("S2", 250000, 250000, 20000)};
  return spec;
}

// Line 10: $24,000.00 of wages taxed at 15.3% and $2,900.00 withheld, $6,572.00.
ClientFolderSpec SemiweeklyClient() {
  ClientFolderSpec spec;
  spec.client = testing::PlainClient("063005");
  spec.employees = {testing::Worker("W1", 1500000, 3000000, 200000), testing::Worker("W2", 900000, 900000, 90000)};
  return spec;
}

// Each client's answers file sets what the return needs: deposits that cover the taxes and
// monthly liabilities that add up to them. Without it the checks would find a balance due.
const std::vector<SameClient>& Clients() {
  static const std::vector<SameClient> clients = {
      {"monthly", testing::Form941MonthlyDepositorClient(), testing::kGoldenRates,
       "216=1600\n217=1600\n218=1633.49\n211=4833.49\n220=1\n213=JANE DOE\n214=555-0100\n219=IL\n"
       "215=&LH1% &LH2% &LH3%\n401\n",
       false, "2005Q2", "941", "deposits", 483349,
       // The current return leaves the employees' advance EIC out, so the months no longer add up to it.
       {"return-liability-total", "return-advance-eic", "over-wage-base", "fica-flag"}},
      {"annual", AnnualClient(), {"6.2", "6.2", "9000", "1.45", "1.45", "0"},
       "243=1\n216=200\n217=200\n218=200\n222=200\n223=200\n224=200\n225=200\n226=200\n227=200\n228=200\n"
       "229=200\n230=300\n204=1.00\n211=2500\n213=JANE DOE\n214=555-0100\n215=&LH3% XYZ &LH1%\n401\n",
       false, "2007Q4", "944", "print_944", true, {"return-liability-total", "return-advance-eic", "over-wage-base"}},
      {"early", ShortRouteClient(), testing::kGoldenRates, "131=12.34\n132=5.00\n133=1000\n103\n", false, "2004Q1",
       "worksheet", "total_payments", "1000", {}},
      {"semiweekly", SemiweeklyClient(), testing::kGoldenRates, "221=1\n211=6572\n213=JOHN ROE\n214=555-0199\n401\n",
       true, "2005Q2", "941", "semiweekly_depositor", true, {"schedule-b"}},
  };
  return clients;
}

// What one front end gave for a client.
struct Seen {
  std::string report;       // the report's printer text
  std::string schedule_b;   // Schedule B's printer text; "" when none was written
  nlohmann::ordered_json figures;
  nlohmann::json findings;  // [{code, severity, message}]
  nlohmann::json row;       // batch only: the summary's row
  nlohmann::json current_return;  // the current return's JSON; null when the client has none
};

// A work folder with the client's rates and the client folder, which each front end gets as
// first written: none of them sees what another wrote (the saved entries, the report).
class ClientPlace {
 public:
  explicit ClientPlace(const SameClient& client) : client_(client) {
    WriteRatesFile(work_.path(), client.rates);
    WriteLetterheadFile(work_.path(), {"SMITH PAYROLL SERVICE", "1 ELM STREET", "OAKTOWN, CA 94601", "P00123456", ""});
    folder_ = fs::canonical(work_.path()) / "clients" / client.name;
  }

  // Whether the client folder holds its answers file; without it every front end plays the saved
  // entries and the dialog's first values.
  void SetWithAnswers(bool with_answers) { with_answers_ = with_answers; }
  bool with_answers() const { return with_answers_; }

  void Fresh() const {
    fs::remove_all(folder_);
    WriteClientFolder(folder_, client_.folder);
    if (with_answers_) WriteBytes(folder_ / "answers", client_.answers);
    if (client_.liabilities) WriteBytes(folder_ / "PRLIAB", PaydayLiabilities());
  }

  // `qreport ARGS FOLDER --rates-dir WORK` on a fresh client folder; fails the test unless the
  // status is one of `statuses`.
  testing::CommandOutcome Run(const std::string& args, std::initializer_list<int> statuses) const {
    Fresh();
    testing::CommandOutcome o =
        RunQreport(work_, args + " " + Quoted(folder_.string()) + " --rates-dir " + Quoted(rates_dir()), kNoEnvironment);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), o.status), statuses.end())
        << "qreport " << args << ": status " << o.status << "\n" << o.err;
    return o;
  }

  const fs::path& folder() const { return folder_; }
  std::string rates_dir() const { return fs::canonical(work_.path()).string(); }
  fs::path out() const { return work_ / "out"; }

 private:
  const SameClient& client_;
  TempDir work_;
  fs::path folder_;
  bool with_answers_ = true;
};

nlohmann::ordered_json ParseOrdered(const std::string& text) {
  return nlohmann::ordered_json::parse(text, nullptr, /*allow_exceptions=*/false);
}

// `qreport run --schedule-b`: its report.txt and scheduleb.txt. Status 5: the report was written
// and no printer was picked.
Seen ThroughRun(const ClientPlace& place) {
  place.Run("run --schedule-b", {0, 5});
  return {ReadFile(place.folder() / "report.txt"), ReadFile(place.folder() / "scheduleb.txt"), {}, {}, {}, {}};
}

Seen ThroughLines(const ClientPlace& place) {
  Seen seen;
  seen.figures = ParseOrdered(place.Run("lines --json", {0}).out);
  return seen;
}

Seen ThroughReturn(const ClientPlace& place, const SameClient& client) {
  Seen seen;
  // Status 1: the short route has no Form 941 or 944.
  const testing::CommandOutcome out = place.Run("return --json", {client.form == "worksheet" ? 1 : 0});
  seen.current_return = nlohmann::json::parse(out.out, nullptr, false);
  if (seen.current_return.is_discarded()) seen.current_return = nullptr;
  return seen;
}

Seen ThroughCheck(const ClientPlace& place) {
  Seen seen;
  nlohmann::json j = nlohmann::json::parse(place.Run("check --json", {0, 1, 2}).out, nullptr, false);
  seen.findings = j.is_object() ? j["findings"] : j;
  return seen;
}

// `qreport batch --schedule-b` of the one client: its copies of the report and Schedule B, its
// lines file and its summary row.
Seen ThroughBatch(const ClientPlace& place, const SameClient& client) {
  // Status 3: every client ran and the check found errors (without its answers, say).
  place.Run("batch --schedule-b --return --out " + Quoted(place.out().string()), {0, 3});
  Seen seen;
  nlohmann::json summary = nlohmann::json::parse(ReadFile(place.out() / "batch-summary.json"), nullptr, false);
  if (!summary.is_object() || summary["clients"].size() != 1) {
    ADD_FAILURE() << "no summary row: " << summary.dump();
    return seen;
  }
  seen.row = summary["clients"][0];
  seen.findings = seen.row["findings"];
  // The form the answers choose (Form 944 by line 243); without them the dialog's first, Form 941.
  const std::string form = seen.row["form"].is_string() ? seen.row["form"].get<std::string>() : client.form;
  const std::string base = client.name + "-" + client.period + "-";
  seen.report = ReadFile(place.out() / (base + form + ".txt"));
  seen.schedule_b = ReadFile(place.out() / (base + "scheduleb.txt"));
  seen.figures = ParseOrdered(ReadFile(place.out() / (base + form + ".lines.json")));
  seen.current_return = nlohmann::json::parse(ReadFile(place.out() / (base + form + ".return.json")), nullptr, false);
  if (seen.current_return.is_discarded()) seen.current_return = nullptr;
  // The filing sheet beside it, for a form's client only.
  EXPECT_EQ(fs::exists(place.out() / (base + form + ".return.pdf")), form != "worksheet");
  return seen;
}

// The web page's dialog session, which opens with the folder's answers when it has them, then
// the user's button that ends it (the answers file's last line): its figures, the report it runs,
// and the page's checks of the client after that report; Schedule B as the page writes it from
// those checks.
Seen ThroughWebDialog(const ClientPlace& place, const SameClient& client) {
  place.Fresh();
  web::SessionSetup setup;
  setup.data_dir = place.folder().string();
  setup.rates_dir = place.rates_dir();
  web::DialogSession session(std::move(setup));
  EXPECT_TRUE(session.answers_errors().empty());
  session.Apply(ParseAnswers(client.answers).back());
  EXPECT_TRUE(session.ended() && !session.cancelled()) << "the answers do not end the dialog";
  Seen seen;
  seen.figures = session.Figures();
  web::RunResult result = session.RunReport();
  EXPECT_TRUE(result.messages.empty()) << result.messages.front().text;
  seen.report = ReadFile(place.folder() / "report.txt");
  web::ClientChecks checks(place.rates_dir(), "941");
  web::ClientChecks checks_of_folder(place.rates_dir(), "941");
  // Before a report from the page, the page's checks play the folder's own answers file: the
  // same findings as after the report played from the page's events.
  std::shared_ptr<const web::ClientCheck> before = checks_of_folder.Get(place.folder());
  checks.SetAnswers(place.folder(), session.events());
  std::shared_ptr<const web::ClientCheck> check = checks.Get(place.folder());
  EXPECT_EQ(before->findings, check->findings) << "the page's checks before and after its report";
  seen.findings = nlohmann::json::array();
  for (const Finding& f : check->findings) {
    seen.findings.push_back({{"code", f.code}, {"severity", SeverityName(f.severity)}, {"message", f.message}});
  }
  if (check->schedule_b_figures) {
    WriteScheduleBFile(place.folder().string(), *check->schedule_b_figures);
    seen.schedule_b = ReadFile(place.folder() / "scheduleb.txt");
  }
  // What the page's return.json serves.
  seen.current_return = check->current_return
                            ? nlohmann::json::parse(CurrentReturnJsonText(*check->current_return))
                            : nlohmann::json(nullptr);
  return seen;
}

// The first place where `part` holds a value that `whole` does not hold the same ("" when every
// key of `part`, at every depth, stands in `whole` with the same value). `whole` may hold more.
std::string FirstDifference(const nlohmann::ordered_json& part, const nlohmann::ordered_json& whole,
                            const std::string& where = "") {
  if (!part.is_object()) return part == whole ? "" : where + ": " + part.dump() + " against " + whole.dump();
  if (!whole.is_object()) return where + ": an object against " + whole.dump();
  for (const auto& [key, value] : part.items()) {
    if (!whole.contains(key)) return where + "." + key + ": missing";
    if (std::string difference = FirstDifference(value, whole[key], where + "." + key); !difference.empty()) {
      return difference;
    }
  }
  return "";
}

// The first printed row where `actual` differs from `expected`, readably; "" when they are equal.
std::string FirstDifferentRow(std::string_view expected, std::string_view actual) {
  if (expected == actual) return "";
  const std::vector<std::string> want = testing::Rows(expected), got = testing::Rows(actual);
  for (std::size_t row = 0; row < std::max(want.size(), got.size()); ++row) {
    const std::string w = row < want.size() ? want[row] : "<none>", g = row < got.size() ? got[row] : "<none>";
    if (w != g) return "row " + std::to_string(row + 1) + "\n  run's: " + testing::Visible(w) + "\n  this:  " + testing::Visible(g);
  }
  return "the same rows, other bytes";
}

std::vector<std::string> Codes(const nlohmann::json& findings) {
  std::vector<std::string> codes;
  for (const nlohmann::json& f : findings) codes.push_back(f["code"].get<std::string>());
  return codes;
}

TEST(SameFigures, EveryFrontEndGivesTheClientsFigures) {
  for (const SameClient& client : Clients()) {
   for (bool with_answers : {true, false}) {
    SCOPED_TRACE(client.name + (with_answers ? " with its answers file" : " without an answers file"));
    ClientPlace place(client);
    place.SetWithAnswers(with_answers);
    const Seen run = ThroughRun(place);
    const Seen lines = ThroughLines(place);
    const Seen check = ThroughCheck(place);
    const Seen batch = ThroughBatch(place, client);
    const Seen page = ThroughWebDialog(place, client);
    const Seen filed = ThroughReturn(place, client);

    // The figures: the answers reached them, and the page and the batch see the same ones.
    ASSERT_TRUE(lines.figures.is_object()) << "lines --json printed no object";
    EXPECT_EQ(lines.figures["dialog"][client.answered_key] == client.answered_value, with_answers)
        << lines.figures["dialog"].dump();
    EXPECT_EQ(page.figures, lines.figures) << FirstDifference(lines.figures, page.figures);
    EXPECT_EQ(FirstDifference(lines.figures, batch.figures), "") << batch.row["outputs"].dump();
    EXPECT_EQ(batch.row["status"], "done") << batch.row["reason"];
    if (with_answers) {
      EXPECT_EQ(batch.row["form"], client.form);
    }
    // The summary's total taxes and deposits are Form 941's lines 10 and 11, Form 944's 9 and 10.
    if (batch.row["form"] != "worksheet") {
      const bool annual = batch.row["form"] == "944";
      EXPECT_EQ(batch.row["line10"], lines.figures["lines"][annual ? "9" : "10"]);
      EXPECT_EQ(batch.row["deposits"], lines.figures["lines"][annual ? "10" : "11"]);
    }

    // The current return: the same from the command, the batch and the page, and its lines 12 to
    // 15 (944: 9 to 12) in the summary's row.
    EXPECT_EQ(filed.current_return.is_null(), batch.row["form"] == "worksheet");
    EXPECT_EQ(batch.current_return, filed.current_return);
    EXPECT_EQ(page.current_return, filed.current_return);
    if (!filed.current_return.is_null()) {
      const bool annual = filed.current_return["form"] == "944";
      const nlohmann::json& current = filed.current_return["lines"];
      EXPECT_EQ(batch.row["return_total"], current[annual ? "9" : "12"]);
      EXPECT_EQ(batch.row["return_deposits"], current[annual ? "10" : "13"]);
      EXPECT_EQ(batch.row["return_balance_due"], current[annual ? "11" : "14"]);
      EXPECT_EQ(batch.row["return_overpayment"], current[annual ? "12" : "15"]);
    }

    // The report, byte for byte; Schedule B the same way (or none from any of them).
    ASSERT_NE(run.report, "");
    EXPECT_EQ(FirstDifferentRow(run.report, batch.report), "") << "the batch's copy of the report";
    EXPECT_EQ(FirstDifferentRow(run.report, page.report), "") << "the page's report";
    EXPECT_EQ(run.schedule_b.empty(), !(client.liabilities && with_answers));  // the answers check box 221
    EXPECT_EQ(FirstDifferentRow(run.schedule_b, batch.schedule_b), "") << "the batch's copy of Schedule B";
    EXPECT_EQ(FirstDifferentRow(run.schedule_b, page.schedule_b), "") << "the page's Schedule B";

    // The findings, which the answers decide (the balance due, Schedule B's warning).
    if (with_answers) {
      EXPECT_EQ(Codes(check.findings), client.finding_codes) << check.findings.dump();
    }
    EXPECT_EQ(batch.findings, check.findings);
    EXPECT_EQ(page.findings, check.findings);
   }
  }
}

std::string OpensText(const std::map<std::string, int>& opens) {
  std::string text;
  for (const auto& [name, count] : opens) text += (text.empty() ? "" : ", ") + name + " " + std::to_string(count);
  return text;
}

// Runs `qreport batch OPTIONS` of one client whose outputs are not there yet, and expects its
// employee index and employee file each opened once: the run's one pass feeds the report, the
// lines, the employee checks and the summary's findings, and nothing reads them again.
void ExpectEmployeeFilesOpenedOnce(const std::string& options) {
  TempDir work;
  WriteRatesFile(work.path(), testing::kGoldenRates);
  const fs::path folder = work / "clients" / "one";
  WriteClientFolder(folder, SemiweeklyClient());
  testing::OpenCounter watch(folder);
  ASSERT_TRUE(watch.watching()) << "inotify: " << std::strerror(errno);
  testing::CommandOutcome o =
      RunQreport(work, "batch --out out --rates-dir ." + options + " " + Quoted(folder.string()), kNoEnvironment);
  // Without answers the client's check finds errors (no deposits, no depositor schedule): batch's
  // status for clients that all ran but with error findings.
  ASSERT_EQ(o.status, 3) << o.err;
  const std::map<std::string, int> opens = watch.Take();
  EXPECT_FALSE(watch.overflowed()) << "the kernel dropped events";
  for (std::string_view file : {kIndexFileName, kEmployeeFileName}) {
    const std::string name(file.substr(1));  // without the host's leading backslash
    EXPECT_EQ(opens.count(name) ? opens.at(name) : 0, 1) << name << " opened; every open: " << OpensText(opens);
  }
}

TEST(OneRead, BatchClientOpensEachEmployeeFileOnce) { ExpectEmployeeFilesOpenedOnce(""); }

// With --skip-done, a client that is not done is run in the same one session: deciding that it
// is not done needs its outputs' names, not its employees.
TEST(OneRead, SkipDoneBatchClientNotDoneOpensEachEmployeeFileOnce) { ExpectEmployeeFilesOpenedOnce(" --skip-done"); }

}  // namespace
}  // namespace qreport
