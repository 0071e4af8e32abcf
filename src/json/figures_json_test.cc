// The report's figures as data: for the demo client and every golden client, each money figure
// of the JSON is the amount printed at its place in the report a run writes, and computing the
// figures leaves the client folder and the rates folder exactly as they were. The figures
// written as the worksheet's pass goes are the same document as the one made in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/demo/demo_client.h"
#include "json/figures_json.h"
#include "run/report_figures.h"
#include "run/report_run.h"
#include "support/fixture.h"
#include "support/golden_clients.h"
#include "support/recording_platform.h"

namespace qreport {
namespace {

using Json = nlohmann::ordered_json;
using testing::ReadFile;
using testing::RecordingPlatform;
using testing::Rows;
using testing::TempDir;
namespace fs = std::filesystem;

// Every file under `folder` with its bytes, by relative path.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[fs::relative(entry.path(), folder).string()] = entry.is_regular_file() ? ReadFile(entry.path()) : "<dir>";
  }
  return files;
}

// "1,234.56" or "-0.05" as cents.
Cents ParseAmount(std::string text) {
  bool negative = text.find('-') != std::string::npos || text.find('<') != std::string::npos;
  Cents cents = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') cents = cents * 10 + (c - '0');
  }
  return negative ? -cents : cents;
}

// The amounts of a printed row in order (fields may touch when an amount widens its field).
std::vector<Cents> AmountsIn(const std::string& text) {
  static const std::regex amount(R"(-?\d{1,3}(?:,\d{3})*\.\d\d)");
  std::vector<Cents> amounts;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), amount); it != std::sregex_iterator(); ++it) {
    amounts.push_back(ParseAmount(it->str()));
  }
  return amounts;
}

// The worksheet's employee and totals rows: nine amounts from column 32 on.
std::vector<std::vector<Cents>> WorksheetAmountRows(const std::vector<std::string>& rows) {
  std::vector<std::vector<Cents>> found;
  for (const std::string& row : rows) {
    if (row.size() < 131) continue;
    std::string fields = row.substr(31);
    if (std::size_t esc = fields.find('\x1b'); esc != std::string::npos) fields.resize(esc);
    if (fields.find_first_not_of(" 0123456789,.-") != std::string::npos) continue;
    std::vector<Cents> amounts = AmountsIn(fields);
    if (amounts.size() == 9) found.push_back(amounts);
  }
  return found;
}

// The forms' money boxes: a row that moves the paper and prints one bracketed amount.
std::vector<Cents> FormAmounts(const std::vector<std::string>& rows) {
  static const std::regex box(R"(^(?:[ ]|\x1bj[\s\S])*(<?\d+\.\d\d>?)(?:\x1b[\s\S]*)?$)");
  std::vector<Cents> amounts;
  std::smatch m;
  for (const std::string& row : rows) {
    if (std::regex_match(row, m, box)) amounts.push_back(ParseAmount(m[1].str()));
  }
  return amounts;
}

// Line 1's box: 71 blanks after the reverse feed, then the count.
std::optional<std::int64_t> EmployeeCountBox(const std::vector<std::string>& rows) {
  static const std::regex box(R"(^\x1bj\x1b {71} *(\d+)$)");
  std::smatch m;
  for (const std::string& row : rows) {
    if (std::regex_match(row, m, box)) return std::stoll(m[1].str());
  }
  return std::nullopt;
}

const char* const kWorksheetColumns[] = {"wages_and_tips", "fica_taxable", "futa_taxable",
                                         "suta_taxable",   "sdi_taxable",  "tips",
                                         "federal_withheld", "state_withheld", "fica_withheld"};

void ExpectWorksheetPrinted(const Json& worksheet, const std::vector<std::string>& rows) {
  std::vector<std::vector<Cents>> printed = WorksheetAmountRows(rows);
  const Json& employees = worksheet["employees"];
  ASSERT_EQ(printed.size(), employees.size() + 1);  // and the totals row
  for (std::size_t i = 0; i <= employees.size(); ++i) {
    const Json& line = i < employees.size() ? employees[i] : worksheet["totals"];
    SCOPED_TRACE(i < employees.size() ? line["key"].get<std::string>() : "totals");
    for (std::size_t c = 0; c < 9; ++c) EXPECT_EQ(line[kWorksheetColumns[c]].get<Cents>(), printed[i][c]) << kWorksheetColumns[c];
  }
  EXPECT_EQ(worksheet["totals"]["employee_count"].get<std::size_t>(), employees.size());

  // The recap rows: taxable amount, rate, tax, and for three of them the total, withheld, expense.
  struct RecapRow {
    const char* label;
    const char* key;
    bool has_totals;
  } recap_rows[] = {{" FICA WAGES ", "fica", false}, {" MEDICARE WAGES ", "medicare", false},
                    {" TIPS REPORTED ", "tips", true}, {" FUTA WAGES ", "futa", true},
                    {" SUTA WAGES ", "suta", true},   {" OTHER TAX ", "other", false}};
  for (const RecapRow& r : recap_rows) {
    SCOPED_TRACE(r.key);
    auto row = std::find_if(rows.begin(), rows.end(), [&](const std::string& x) { return x.rfind(r.label, 0) == 0; });
    ASSERT_NE(row, rows.end());
    std::vector<Cents> amounts = AmountsIn(row->substr(37));
    const Json& figure = worksheet["recap"][r.key];
    ASSERT_GE(amounts.size(), 3u);
    EXPECT_EQ(figure["taxable"].get<Cents>(), amounts[0]);
    EXPECT_EQ(ParseAmount(figure["rate"].get<std::string>()), amounts[1]);
    EXPECT_EQ(figure["tax"].get<Cents>(), amounts[2]);
    if (r.has_totals) {
      ASSERT_EQ(amounts.size(), 6u);
      EXPECT_EQ(figure["total"].get<Cents>(), amounts[3]);
      EXPECT_EQ(figure["withheld"].get<Cents>(), amounts[4]);
      EXPECT_EQ(figure["expense"].get<Cents>(), amounts[5]);
    }
  }
}

// The keys of the money boxes in the order the form prints them.
std::vector<Cents> ExpectedFormAmounts(const Json& j) {
  const Json& lines = j["lines"];
  const Json& checks = j["checks"];
  std::vector<std::string> keys;
  std::vector<std::size_t> month_order;
  if (j["form"] == "941") {
    keys = {"2", "3", "5a_wages", "5a", "5b_tips", "5b", "5c_wages", "5c", "5d", "6", "7a", "7b", "7c", "7d",
            "7e", "7f", "7g", "7h", "8", "9", "10", "11", checks["overpaid"].get<bool>() ? "13" : "12"};
    month_order = {0, 1, 2};
  } else {
    // 7c has no box on Form 944 (it counts in 6f).
    keys = {"1", "2", "4a_wages", "4a", "4b_tips", "4b", "4c_wages", "4c", "4d", "5", "adjust_7a", "adjust_7b",
            "adjust_7d", "adjust_7e", "adjust_7f", "adjust_7g", "6f", "7", "8", "9", "10",
            checks["overpaid"].get<bool>() ? "12" : "11"};
    month_order = {0, 3, 6, 9, 1, 4, 7, 10, 2, 5, 8, 11};
  }
  std::vector<Cents> amounts;
  for (const std::string& key : keys) amounts.push_back(lines[key].get<Cents>());
  if (checks["months_shown"].get<bool>()) {
    for (std::size_t m : month_order) amounts.push_back(j["months"][m].get<Cents>());
    amounts.push_back(lines["months_total"].get<Cents>());
  }
  return amounts;
}

struct Client {
  std::string name;
  ClientFolderSpec folder;
  std::array<std::string, 6> rates;
  std::array<std::string, 5> letterhead;
  std::string answers;
};

std::vector<Client> Clients() {
  std::vector<Client> clients;
  DemoClient demo = MakeDemoClient();
  clients.push_back({"demo", demo.folder, demo.rates, demo.letterhead, demo.answers});
  for (const testing::GoldenClient& g : testing::GoldenClients()) {
    clients.push_back({g.name, g.folder, g.rates, {"SMITH PAYROLL SERVICE", "1 ELM STREET", "", "", ""}, g.answers});
  }
  return clients;
}

TEST(Lines, EveryMoneyFigureIsTheAmountPrintedAtItsPlace) {
  for (const Client& c : Clients()) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    fs::path client = dir / "client";
    WriteClientFolder(client, c.folder);
    WriteRatesFile(dir.path(), c.rates);
    WriteLetterheadFile(dir.path(), c.letterhead);

    std::map<std::string, std::string> before = Snapshot(dir.path());
    RecordingPlatform look;
    look.answers = c.answers;
    Json j = ClientFiguresJson(client.string(), dir.str(), "941", look);
    EXPECT_EQ(Snapshot(dir.path()), before) << "computing the figures changed a folder";

    RecordingPlatform platform;
    platform.answers = c.answers;
    std::string device = "P";
    RunReport(client.string(), device, "941", platform, dir.str());
    std::vector<std::string> rows = Rows(ReadFile(client / "report.txt"));
    EXPECT_EQ(look.messages, platform.messages);

    ASSERT_EQ(j["path"], "form");
    ASSERT_FALSE(j["worksheet"].is_null());
    ExpectWorksheetPrinted(j["worksheet"], rows);
    ASSERT_FALSE(j["form"].is_null());
    EXPECT_EQ(FormAmounts(rows), ExpectedFormAmounts(j));
    if (j["form"] == "941") {
      EXPECT_EQ(EmployeeCountBox(rows), j["lines"]["1"].get<std::int64_t>());
    }
    ASSERT_FALSE(j["voucher"].is_null());
    EXPECT_EQ(j["voucher"]["form"], j["form"].get<std::string>() + "-V");
  }
}

// Schedule B in the figures is the one computation the page is printed from: for the demo its
// months are the dialog's and its total is line 10; records past the 93rd are month 3's others.
TEST(Lines, ScheduleBIsTheComputationThePageIsPrintedFrom) {
  struct Case {
    std::string name;
    ClientFolderSpec folder;
    std::array<std::string, 6> rates;
    std::string answers;
  };
  DemoClient demo = MakeDemoClient();
  ClientFolderSpec long_file;
  long_file.client = testing::PlainClient("063026");
  long_file.liability = std::vector<std::string>(95, "");
  (*long_file.liability)[0] = "12.34";
  (*long_file.liability)[93] = "-1.00";
  (*long_file.liability)[94] = "3.00";
  const Case cases[] = {{"demo", demo.folder, demo.rates, demo.answers},
                        {"95 records", long_file, testing::kGoldenRates, "401\n"},
                        {"Form 944", long_file, testing::kGoldenRates, "243=1\n401\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    fs::path client = dir / "client";
    WriteClientFolder(client, c.folder);
    WriteRatesFile(dir.path(), c.rates);
    RecordingPlatform platform;
    platform.answers = c.answers;
    Json j = ClientFiguresJson(client.string(), dir.str(), "941", platform);
    if (c.name == "Form 944") {
      EXPECT_TRUE(j["schedule_b"].is_null());
      continue;
    }
    const Json& b = j["schedule_b"];
    ASSERT_TRUE(b.is_object());
    RunState state;
    state.data_dir = client.string();
    state.report_date = "063026";
    ScheduleB page = ReadScheduleB(state);
    ASSERT_EQ(b["days"].size(), 3u);
    for (std::size_t m = 0; m < 3; ++m) {
      EXPECT_EQ(b["days"][m].get<std::vector<Cents>>(),
                std::vector<Cents>(page.days[m].begin(), page.days[m].end()));
      EXPECT_EQ(b["months"][m].get<Cents>(), j["dialog"]["month_liabilities"][m].get<Cents>());
    }
    EXPECT_EQ(b["total"].get<Cents>(), page.total);
    EXPECT_EQ(b["month3_other"].get<Cents>(), page.month3_other);
    if (c.name == "demo") {
      EXPECT_EQ(b["total"], j["lines"]["10"]);
    } else {
      EXPECT_EQ(b["month3_other"], 200);
      EXPECT_EQ(b["days"][0][0], 1234);
    }
  }
}

// A folder with nothing in it: the run would create every file it reads; the figures create none.
TEST(Lines, MissingFilesAreReadAsEmptyAndNotCreated) {
  TempDir dir;
  fs::create_directory(dir / "client");
  RecordingPlatform platform;
  ReportFigures figures;
  Json j = ClientFiguresJson((dir / "client").string(), dir.str(), "941", platform, &figures);
  EXPECT_TRUE(fs::is_empty(dir / "client"));
  EXPECT_EQ(Snapshot(dir.path()).size(), 1u);
  // No payroll date: the short route; its 941 kind computes the worksheet of nobody.
  EXPECT_EQ(figures.route, Route::kShort);
  ASSERT_TRUE(figures.worksheet.has_value());
  EXPECT_EQ(figures.worksheet->totals.employee_count, 0);
  EXPECT_TRUE(j["worksheet"]["employees"].empty());
  EXPECT_TRUE(j["form"].is_null());
  EXPECT_TRUE(j["voucher"].is_null());
}

// The saved entries and the answers both reach the figures; a cancelled dialog computes nothing.
TEST(Lines, DialogValuesComeFromTheSavedEntriesAndTheAnswers) {
  TempDir dir;
  fs::path client = dir / "client";
  WriteClientFolder(client, testing::Form941GapOfThreeClient());
  WriteRatesFile(dir.path(), testing::kGoldenRates);
  WriteBytes(client / "save941.info", "PAT LEE \r\n555-0199 \r\n&LH1% \r\nCA  \r\n");
  struct Case {
    std::string answers;
    bool cancelled;
    std::string designee;
    Cents deposits;
  } cases[] = {
      {"", false, "PAT LEE", 0},
      {"213=ANN ROE\n211=1,000.50\n401\n", false, "ANN ROE", 100050},
      {"211=99\n402\n", true, "PAT LEE", 9900},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    RecordingPlatform platform;
    platform.answers = c.answers;
    auto before = Snapshot(dir.path());
    Json j = ClientFiguresJson(client.string(), dir.str(), "941", platform);
    EXPECT_EQ(Snapshot(dir.path()), before);
    EXPECT_EQ(j["cancelled"], c.cancelled);
    EXPECT_EQ(j["dialog"]["designee_name"], c.designee);
    EXPECT_EQ(j["dialog"]["state_code"], "CA");
    EXPECT_EQ(j["dialog"]["deposits"], c.deposits);
    EXPECT_EQ(j["lines"].is_null(), c.cancelled);
    if (!c.cancelled) {
      EXPECT_EQ(j["lines"]["11"], c.deposits);
    }
  }
}

}  // namespace
}  // namespace qreport

namespace qreport {
namespace {

// Every row of a document, as JsonRows names them.
std::vector<std::string> RowsOf(const std::function<void(JsonOut&)>& write) {
  std::vector<std::string> rows;
  JsonRows out([&rows](const std::string& key, const Json& leaf) { rows.push_back(key + "=" + leaf.dump()); });
  write(out);
  return rows;
}

// The figures written as the pass goes are the figures made in memory, as text and as rows: for
// the demo, every golden client, and a client whose employee lines outgrow the memory they wait
// in (their place in the document comes after the forms' lines).
TEST(Lines, StreamedFiguresAreTheFiguresMadeInMemory) {
  std::vector<Client> clients = Clients();
  clients.push_back({"8,000 employees", testing::ManyEmployees(8000, "A TRADE NAME"), testing::kGoldenRates,
                     {"SMITH PAYROLL SERVICE", "", "", "", ""}, "401\n"});
  for (const Client& c : clients) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    fs::path client = dir / "client";
    WriteClientFolder(client, c.folder);
    WriteRatesFile(dir.path(), c.rates);
    WriteLetterheadFile(dir.path(), c.letterhead);
    auto compute = [&](JsonOut& out) {
      RecordingPlatform platform;
      platform.answers = c.answers;
      return WriteClientFigures(client.string(), dir.str(), "941", platform, out);
    };
    RecordingPlatform platform;
    platform.answers = c.answers;
    ReportFigures in_memory;
    Json j = ClientFiguresJson(client.string(), dir.str(), "941", platform, &in_memory);

    std::ostringstream text;
    JsonText streamed(text);
    ReportFigures figures = compute(streamed);
    EXPECT_EQ(text.str(), j.dump(2));
    EXPECT_EQ(figures.worksheet.has_value(), in_memory.worksheet.has_value());
    EXPECT_EQ(RowsOf(compute), RowsOf([&j](JsonOut& out) { out.Put({}, j); }));
  }
}

}  // namespace
}  // namespace qreport
