// The current Form 941 and 944 from small client folders run through the run session: figures
// worked out by hand, then a few hundred generated clients whose returns must keep the form's
// arithmetic, agree with the printed form's column 1 and come out the same through
// `qreport return --json`.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <valijson/adapters/nlohmann_json_adapter.hpp>
#include <valijson/schema.hpp>
#include <valijson/schema_parser.hpp>
#include <valijson/validator.hpp>

#include "data/client_writer.h"
#include "escp/cairo/filing_sheet.h"
#include "forms/payroll_law.h"
#include "json/return_json.h"
#include "platform/platform.h"
#include "run/current_return_figures.h"
#include "run/report_figures.h"
#include "support/fixture.h"
#include "support/golden_clients.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using testing::RunQreport;
using testing::TempDir;
using testing::Worker;

// The rates of 2024 as a rates file holds them, and those of 2012.
const std::array<std::string, 6> kRates2024 = {"6.2", "6.2", "168600", "1.45", "1.45", "0"};
const std::array<std::string, 6> kRates2012 = {"4.2", "6.2", "110100", "1.45", "1.45", "0"};

ReportFigures Figures(const TempDir& dir) {
  PlatformOptions options;
  options.answers_file = (dir / "answers").string();
  options.never_interactive = true;
  auto platform = MakePlatform(options);
  return ComputeClientFigures((dir / "client").string(), dir.str(), "941", *platform);
}

void WriteClient(const TempDir& dir, const ClientFolderSpec& spec, const std::array<std::string, 6>& rates,
                 const std::string& answers) {
  WriteClientFolder(dir / "client", spec);
  WriteRatesFile(dir.path(), rates);
  WriteBytes(dir / "answers", answers + "401\n");
}

// Whether `document` is valid by docs/return.schema.json.
bool MatchesReturnSchema(const nlohmann::json& document) {
  static const nlohmann::json schema_json = nlohmann::json::parse(testing::ReadFile(fs::path(QREPORT_DOCS_DIR) / "return.schema.json"));
  valijson::Schema schema;
  valijson::SchemaParser parser;
  valijson::adapters::NlohmannJsonAdapter schema_adapter(schema_json);
  parser.populateSchema(schema_adapter, schema);
  valijson::Validator validator;
  valijson::adapters::NlohmannJsonAdapter adapter(document);
  return validator.validate(schema, adapter, nullptr);
}

struct HandCase {
  const char* name;
  std::string payroll_date;
  std::vector<EmployeeSpec> employees;
  std::array<std::string, 6> rates = kRates2024;
  std::string answers;
  FiledForm form = FiledForm::k941;
  // Column 1 and 2 of 5d (944: 4d), then lines 6 (944: 5), 7 (fractions of cents; 944: 6),
  // 10 (944: 7), 12 (944: 9), 14 (944: 11) and 15 (944: 12).
  Cents amt_wages, amt_tax, before_adjustments, fractions, after_adjustments, total, due, overpayment;
};

EmployeeSpec NoFica(EmployeeSpec e) {
  e.fica_flag = 'N';
  return e;
}

EmployeeSpec YearWithheld(EmployeeSpec e, Cents withheld) {
  e.ytd[kFederalWithheld] = withheld;
  return e;
}

TEST(CurrentReturn, HandWorkedClients) {
  const HandCase cases[] = {
      // $90,000.00 this quarter, $270,000.00 for the year: $70,000.00 above $200,000.00, at 0.9%
      // $630.00. Social security stopped before the quarter ($180,000.00 > $168,600.00); Medicare
      // $2,610.00; withholding $20,000.00; deposits $23,000.00.
      {"crosses $200,000 in the quarter", "063026", {Worker("A1", 9000000, 27000000, 2000000)}, kRates2024,
       "211=23000\n", FiledForm::k941, 7000000, 63000, 2324000, 0, 2324000, 2324000, 24000, 0},
      // $250,000.00 before the quarter: only this quarter's $50,000.00 counts, $450.00; Medicare
      // $1,450.00; deposits $12,000.00 against $11,900.00.
      {"above $200,000 before the quarter", "063026", {Worker("B1", 5000000, 30000000, 1000000)}, kRates2024,
       "211=12000\n", FiledForm::k941, 5000000, 45000, 1190000, 0, 1190000, 1190000, 0, 10000},
      // Social security $40,000.00 x 0.124 = $4,960.00, Medicare $1,160.00, withholding $5,000.00.
      {"below $200,000", "063026", {Worker("C1", 4000000, 12000000, 500000)}, kRates2024, "211=11120\n",
       FiledForm::k941, 0, 0, 1112000, 0, 1112000, 1112000, 0, 0},
      // The same client's months, $1.50 above the taxes: the gap is the fractions of cents.
      {"months within $3.00 of the taxes", "063026", {Worker("C1", 4000000, 12000000, 500000)}, kRates2024,
       "220=1\n216=3700\n217=3700\n218=3721.50\n211=11121.50\n", FiledForm::k941, 0, 0, 1112000, 150, 1112150,
       1112150, 0, 0},
      // 7d has no line: the months are held against the current lines without it.
      {"7d left out of the fractions of cents", "063026", {Worker("C1", 4000000, 12000000, 500000)}, kRates2024,
       "205=10\n220=1\n216=3700\n217=3700\n218=3721.50\n211=11121.50\n", FiledForm::k941, 0, 0, 1112000, 150,
       1112150, 1112150, 0, 0},
      // Half a cent rounds up: Medicare $50,005.00 x 0.029 = $1,450.145, Additional Medicare Tax
      // $5.00 x 0.009 = $0.045; social security on the $18,600.00 left below the base, $2,306.40.
      {"half a cent rounds up", "063026", {Worker("H1", 5000500, 20000500)}, kRates2024, "211=3756.60\n",
       FiledForm::k941, 500, 5, 375660, 0, 375660, 375660, 0, 0},
      // An entered 7a stays as it is.
      {"an entered 7a", "063026", {Worker("C1", 4000000, 12000000, 500000)}, kRates2024,
       "202=0.25\n220=1\n216=3700\n217=3700\n218=3721.50\n211=11120.25\n", FiledForm::k941, 0, 0, 1112000, 25,
       1112025, 1112025, 0, 0},
      {"FICA flag off", "063026", {NoFica(Worker("D1", 9000000, 27000000, 2000000))}, kRates2024, "211=20000\n",
       FiledForm::k941, 0, 0, 2000000, 0, 2000000, 2000000, 0, 0},
      // No Additional Medicare Tax before 2013, and social security at 4.2% + 6.2%: E2's
      // $10,000.00 x 0.104 = $1,040.00; Medicare on $100,000.00 $2,900.00.
      {"a 2012 payroll", "063012",
       {Worker("E1", 9000000, 27000000, 2000000), Worker("E2", 1000000, 1000000)}, kRates2012, "211=23940\n",
       FiledForm::k941, 0, 0, 2394000, 0, 2394000, 2394000, 0, 0},
      // The year: social security on the base, $168,600.00 x 0.124 = $20,906.40; Medicare
      // $260,000.00 x 0.029 = $7,540.00; $60,000.00 above $200,000.00, $540.00; withholding
      // $30,000.00: $58,986.40, deposits $58,000.00.
      {"a Form 944 client", "123026", {YearWithheld(Worker("F1", 6000000, 26000000), 3000000)}, kRates2024,
       "242=0\n243=1\n211=58000\n", FiledForm::k944, 6000000, 54000, 5898640, 0, 5898640, 5898640, 98640, 0},
  };
  for (const HandCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ClientFolderSpec spec;
    spec.client = testing::PlainClient(c.payroll_date);
    spec.employees = c.employees;
    WriteClient(dir, spec, c.rates, c.answers);
    ReportFigures figures = Figures(dir);
    std::optional<CurrentReturn> filed = CurrentReturnOf(figures);
    ASSERT_TRUE(filed);
    ASSERT_EQ(filed->form, c.form);
    using enum CurrentFigure;
    const bool quarterly = c.form == FiledForm::k941;
    auto line = [&](std::string_view n941, std::string_view n944, int column = 0) {
      return (*filed)[*FindLine(filed->numbering(), quarterly ? n941 : n944, column)];
    };
    EXPECT_EQ(line("5d", "4d", 1), c.amt_wages);
    EXPECT_EQ(line("5d", "4d", 2), c.amt_tax);
    EXPECT_EQ(line("6", "5"), c.before_adjustments);
    EXPECT_EQ((*filed)[kFractionsOfCents], c.fractions);
    EXPECT_EQ(line("10", "7"), c.after_adjustments);
    EXPECT_EQ(line("12", "9"), c.total);
    EXPECT_EQ(line("14", "11"), c.due);
    EXPECT_EQ(line("15", "12"), c.overpayment);
  }
}

// A generated client: one to four employees, wages from nothing to $300,000.00 with tips and odd
// cents, sometimes no FICA flag; the dialog's adjustments, deposits, months and form at random.
struct Generated {
  ClientFolderSpec spec;
  std::string answers;
};

std::string Money(Cents cents) {
  const Cents size = cents < 0 ? -cents : cents;
  return (cents < 0 ? "-" : "") + std::to_string(size / 100) + "." + std::to_string(size % 100 / 10) +
         std::to_string(size % 10);
}

Generated Generate(std::mt19937& random) {
  auto between = [&random](Cents low, Cents high) { return std::uniform_int_distribution<Cents>(low, high)(random); };
  Generated g;
  const int year = static_cast<int>(between(6, 26));
  const int month = static_cast<int>(between(1, 4)) * 3;
  g.spec.client = testing::PlainClient((month < 10 ? "0" : "") + std::to_string(month) + "30" +
                                       (year < 10 ? "0" : "") + std::to_string(year));
  const int count = static_cast<int>(between(1, 4));
  for (int k = 0; k < count; ++k) {
    const Cents quarter = between(0, 12000000);
    EmployeeSpec e = Worker("G" + std::to_string(k), quarter, quarter + between(0, 20000000), between(0, 1500000));
    e.qtd[kTips] = between(0, 3) == 0 ? between(0, 500000) : 0;
    e.ytd[kTips] = e.qtd[kTips] + between(0, 200000);
    if (between(0, 5) == 0) e.fica_flag = 'N';
    g.spec.employees.push_back(e);
  }
  if (between(0, 3) == 0) g.answers += "242=0\n243=1\n";
  if (between(0, 2) == 0) g.answers += "202=" + Money(between(-300, 300)) + "\n";
  if (between(0, 2) == 0) g.answers += "203=" + Money(between(0, 50000)) + "\n";
  if (between(0, 4) == 0) g.answers += "205=" + Money(between(0, 50000)) + "\n";
  g.answers += between(0, 1) == 0 ? "220=1\n" : "221=1\n";
  for (int box = 216; box <= 218; ++box) g.answers += std::to_string(box) + "=" + Money(between(0, 2000000)) + "\n";
  g.answers += "211=" + Money(between(0, 6000000)) + "\n";
  return g;
}

// The form's own arithmetic, line by line.
void ExpectFormArithmetic(const CurrentReturn& r) {
  using enum CurrentFigure;
  EXPECT_EQ(r[kPayrollTaxes], r[kSsWagesTax] + r[kSsTipsTax] + r[kMedicareTax] + r[kAdditionalMedicareTax]);
  EXPECT_EQ(r[kMedicareTax], RoundedProduct(290, r[kMedicareWagesAndTips]));
  EXPECT_EQ(r[kAdditionalMedicareTax], RoundedProduct(90, r[kAdditionalMedicareWages]));
  EXPECT_EQ(r[kTaxesBeforeAdjustments], r[kIncomeTaxWithheld] + r[kPayrollTaxes] + r[kUnreportedTipsTax]);
  EXPECT_EQ(r[kTaxesAfterAdjustments],
            r[kTaxesBeforeAdjustments] + r[kFractionsOfCents] + r[kSickPay] + r[kTipsAndLifeInsurance]);
  EXPECT_EQ(r[kTotalTaxes], r[kTaxesAfterAdjustments] - r[kResearchCredit]);
  const Cents balance = r[kTotalTaxes] - r[kDeposits];
  EXPECT_EQ(r[kBalanceDue], balance > 0 ? balance : 0);
  EXPECT_EQ(r[kOverpayment], balance < 0 ? -balance : 0);
  if (r.payroll_year < 2013) {
    EXPECT_EQ(r[kAdditionalMedicareWages], 0);
  }
  // A gap under $3.00 left by an empty 7a is taken up, so that the months add up.
  const Cents gap = r.months_total - r[kTotalTaxes];
  if (r[kFractionsOfCents] != 0 || gap == 0) return;
  EXPECT_FALSE(gap > -300 && gap < 300) << "a gap of " << gap << " cents was left";
}

TEST(CurrentReturn, GeneratedClientsKeepTheFormsArithmetic) {
  std::mt19937 random(30);
  int through_the_command = 0;
  for (int n = 0; n < 240; ++n) {
    SCOPED_TRACE("client " + std::to_string(n));
    const Generated g = Generate(random);
    TempDir dir;
    WriteClient(dir, g.spec, kRates2024, g.answers);
    ReportFigures figures = Figures(dir);
    std::optional<CurrentReturn> filed = CurrentReturnOf(figures);
    ASSERT_TRUE(filed) << g.answers;
    ExpectFormArithmetic(*filed);
    const ReturnLines& printed = figures.form941 ? figures.form941->lines : figures.form944->lines;
    EXPECT_EQ((*filed)[CurrentFigure::kSsWages], printed[ReturnLine::kSsWages]);
    EXPECT_EQ((*filed)[CurrentFigure::kSsTips], printed[ReturnLine::kSsTips]);
    EXPECT_EQ((*filed)[CurrentFigure::kMedicareWagesAndTips], printed[ReturnLine::kMedicareWagesAndTips]);
    EXPECT_EQ((*filed)[CurrentFigure::kWages], printed[ReturnLine::kWages]);
    if (n % 12 == 0) {
      ++through_the_command;
      testing::CommandOutcome out = RunQreport(dir, "return client --answers answers --rates-dir . --json");
      ASSERT_EQ(out.status, 0) << out.err;
      EXPECT_EQ(nlohmann::ordered_json::parse(out.out), CurrentReturnJson(*filed));
      EXPECT_TRUE(MatchesReturnSchema(nlohmann::json::parse(out.out))) << out.out;
    }
  }
  EXPECT_GT(through_the_command, 0);
}

TEST(ReturnCommand, PrintsTheTableCsvAndJsonOfOneReturn) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = testing::PlainClient("063026");
  spec.employees = {Worker("A1", 9000000, 27000000, 2000000)};
  WriteClient(dir, spec, kRates2024, "211=23000\n213=JANE ROE\n214=555-0100\n");

  testing::CommandOutcome json = RunQreport(dir, "return client --answers answers --rates-dir . --json");
  ASSERT_EQ(json.status, 0) << json.err;
  const auto j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j["form"], "941");
  EXPECT_EQ(j["quarter"], 2);
  EXPECT_EQ(j["lines"]["5d"]["column1"], 7000000);
  EXPECT_EQ(j["lines"]["5d"]["column2"], 63000);
  EXPECT_EQ(j["lines"]["12"], 2324000);
  EXPECT_EQ(j["lines"]["14"], 24000);
  EXPECT_EQ(j["lines"]["4"], false);
  EXPECT_EQ(j["lines"]["16"]["schedule"], "none");
  EXPECT_EQ(j["header"]["ein"], "123456789");
  EXPECT_EQ(j["header"]["state"], "IL");
  EXPECT_EQ(j["designee"]["name"], "JANE ROE");

  testing::CommandOutcome table = RunQreport(dir, "return client --answers answers --rates-dir .");
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find("5d    Wages and tips subject to Additional Medicare Tax"), std::string::npos) << table.out;
  // Column 1 and column 2 each right-aligned in 15 places.
  EXPECT_NE(table.out.find("70,000.00" + std::string(10, ' ') + "630.00\n"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("23,240.00\n"), std::string::npos) << table.out;

  testing::CommandOutcome csv = RunQreport(dir, "return client --answers answers --rates-dir . --csv");
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out.substr(0, csv.out.find('\n')), "line,caption,column 1,column 2");
  EXPECT_NE(csv.out.find("\n5d,Wages and tips subject to Additional Medicare Tax,70000.00,630.00\n"), std::string::npos)
      << csv.out;
  EXPECT_NE(csv.out.find("\n12,Total taxes after adjustments and credits,,23240.00\n"), std::string::npos) << csv.out;

  WriteBytes(dir / "answers", "402\n");
  EXPECT_EQ(RunQreport(dir, "return client --answers answers --rates-dir .").status, 3);
}

// Every amount of `lines` (a return's "lines" object) as the sheet prints money, with its line
// number, for the money lines: counts and boxes are left to the table's own tests.
std::vector<std::pair<std::string, std::string>> MoneyOf(const nlohmann::json& lines) {
  std::vector<std::pair<std::string, std::string>> amounts;
  for (const auto& [number, value] : lines.items()) {
    if (number == "1" && value.is_number_integer() && lines.contains("16")) continue;  // Form 941's count
    if (value.is_number_integer()) amounts.emplace_back(number, escp::SheetAmountText(value.get<Cents>()));
    if (value.is_object() && value.contains("column2")) {
      amounts.emplace_back(number, escp::SheetAmountText(value["column1"].get<Cents>()));
      amounts.emplace_back(number, escp::SheetAmountText(value["column2"].get<Cents>()));
    }
    if (value.is_object() && value.contains("months")) {
      for (const nlohmann::json& month : value["months"]) amounts.emplace_back(number, escp::SheetAmountText(month.get<Cents>()));
    }
  }
  return amounts;
}

TEST(ReturnCommand, TheSheetHoldsTheNumbersOfTheJson) {
  struct Case {
    const char* name;
    std::string answers, options;
    const char* form;
    std::vector<std::string> words;  // what the sheet says besides the numbers
  } cases[] = {
      {"a balance due", "211=23000\n213=JANE ROE\n214=555-0100\n", "", "941",
       {"Form 941 figures for the 2nd quarter of 2026", "JANE ROE", "Additional Medicare Tax of $630.00"}},
      {"an overpayment", "211=30000\n", "", "941", {"apply to next return", "The current return's overpayment"}},
      {"Form 944 chosen on the command line", "211=23000\n", "--form 944", "944",
       {"Form 944 figures for 2026", "Form 944 is the annual return"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ClientFolderSpec spec;
    spec.client = testing::PlainClient("063026");
    spec.employees = {Worker("A1", 9000000, 27000000, 2000000)};
    WriteClient(dir, spec, kRates2024, c.answers);
    const std::string command = "return client --answers answers --rates-dir . " + c.options;
    testing::CommandOutcome json = RunQreport(dir, command + " --json -o sheet.pdf");
    ASSERT_EQ(json.status, 0) << json.err;
    const nlohmann::json filed = nlohmann::json::parse(json.out);
    EXPECT_EQ(filed["form"], c.form);
    ASSERT_EQ(std::system(("pdftotext -layout " + (dir / "sheet.pdf").string() + " " + (dir / "sheet.txt").string()).c_str()), 0);
    std::string text = testing::ReadFile(dir / "sheet.txt");
    // A note may wrap between two lines of the page: read the words as one run.
    std::string flowing;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool blank = text[i] == ' ' || text[i] == '\n';
      if (!blank || (!flowing.empty() && flowing.back() != ' ')) flowing += blank ? ' ' : text[i];
    }
    for (const auto& [line, amount] : MoneyOf(filed["lines"])) {
      EXPECT_NE(text.find(amount), std::string::npos) << "line " << line << ": " << amount << "\n" << text;
    }
    for (const std::string& word : c.words) EXPECT_NE(flowing.find(word), std::string::npos) << word << "\n" << flowing;
  }
}

TEST(ReturnCommand, ASheetThatCannotBeWrittenFailsTheCommand) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = testing::PlainClient("063026");
  spec.employees = {Worker("A1", 9000000, 27000000, 2000000)};
  WriteClient(dir, spec, kRates2024, "211=23000\n");
  testing::CommandOutcome out = RunQreport(dir, "return client --answers answers --rates-dir . -o missing/sheet.pdf");
  EXPECT_EQ(out.status, 1);
  EXPECT_NE(out.err.find("the filing sheet was not written"), std::string::npos) << out.err;
  EXPECT_EQ(RunQreport(dir, "return client --answers answers --rates-dir . --form 945").status, 2);
}

// A return without usable rates has social security and Medicare of 0: refused as `run` refuses
// it, unless asked for.
TEST(ReturnCommand, WithoutUsableRatesTheReturnIsRefused) {
  struct Case {
    const char* what;
    const char* rates;  // the rates file's bytes; nullptr: none
    const char* options;
    int status;
    const char* said;
  } cases[] = {
      {"no rates file", nullptr, "", 2, "no rates file FICA.RAT in "},
      {"an empty rates file", "", " --rates-dir .", 2, "is empty"},
      {"no rates file, allowed", nullptr, " --allow-zero-rates", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    ClientFolderSpec spec;
    spec.client = testing::PlainClient("063026");
    spec.employees = {Worker("A1", 9000000, 27000000, 2000000)};
    WriteClientFolder(dir / "client", spec);
    WriteBytes(dir / "answers", "211=23000\n401\n");
    if (c.rates != nullptr) WriteBytes(dir / "FICA.RAT", c.rates);
    testing::CommandOutcome out = RunQreport(dir, std::string("return client --answers answers --json") + c.options);
    EXPECT_EQ(out.status, c.status) << out.err;
    EXPECT_EQ(out.out.empty(), c.status != 0) << out.out;
    EXPECT_NE(out.err.find(c.said), std::string::npos) << out.err;
  }
}

}  // namespace
}  // namespace qreport
