// The pre-filing checks over small client folders: each fixture is a clean client with one thing
// wrong, and produces exactly the finding for that thing; the demo client produces the findings
// its data deserves.
#include "check/checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/demo/demo_client.h"
#include "data/client_writer.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "support/check_client.h"
#include "support/fixture.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using testing::OneEmployeeClient;
using testing::TempDir;
using testing::WriteCheckClient;

// "1234.56" for an answers file's money box.
std::string MoneyText(Cents cents) {
  std::string digits = std::to_string(cents / 100) + "." + std::to_string(cents % 100 / 10) + std::to_string(cents % 10);
  return digits;
}

// The figures, with the employee checks riding on their worksheet pass when `employees` is given.
ReportFigures Figures(const fs::path& dir, const fs::path& answers, EmployeeChecks* employees = nullptr) {
  PlatformOptions options;
  options.answers_file = answers.string();
  options.never_interactive = true;
  auto platform = MakePlatform(options);
  std::vector<WorksheetSink*> sinks;
  if (employees != nullptr) sinks.push_back(employees);
  return ComputeClientFigures((dir / "client").string(), dir.string(), "941", *platform, sinks);
}

// Line 10 of Form 941 or line 9 of Form 944: the total the months and deposits are held against.
Cents TotalTaxes(const ReportFigures& f) {
  if (f.form941) return f.form941->lines[Form941Line("10")];
  if (f.form944) return f.form944->lines[Form944Line("9")];
  return 0;
}

std::vector<std::string> Codes(const std::vector<Finding>& findings) {
  std::vector<std::string> codes;
  for (const Finding& f : findings) codes.push_back(f.code);
  std::sort(codes.begin(), codes.end());
  return codes;
}

struct CheckCase {
  const char* name;
  Cents quarter_wages = 100000;  // line 10 below $2,500 unless a case raises it
  Cents year_wages = 300000;
  std::string answers;           // dialog lines before Done
  bool deposits_match = true;    // deposits (box 211) set to line 10
  bool months_match = true;      // the first month (box 216) set to line 10
  std::function<void(const fs::path&, ClientFolderSpec&)> change;  // before the folder is written
  std::function<void(const fs::path&)> after;                       // after it is written
  std::vector<std::string> want;
  // The liability file's first day holds line 10, so Schedule B's total is line 10 (and the
  // dialog's first month starts with it); otherwise the fixture has no liability file.
  bool liability_matches = false;
};

TEST(Checks, EachFixtureGivesExactlyItsFinding) {
  const CheckCase cases[] = {
      {"clean", 100000, 300000, "", true, true, nullptr, nullptr, {}},
      {"months differ from line 10", 2000000, 4000000, "220=1\n216=1000\n", true, false, nullptr, nullptr,
       {"liability-total", "return-liability-total"}},
      {"Form 944 months differ from line 9", 2000000, 4000000, "243=1\n222=1000\n", true, false, nullptr, nullptr,
       {"form944-quarter", "liability-total", "return-liability-total"}},
      {"no depositor box", 2000000, 4000000, "", true, true, nullptr, nullptr,
       {"depositor-none", "return-depositor-none"}},
      {"semiweekly depositor", 2000000, 4000000, "221=1\n", true, true, nullptr, nullptr, {"schedule-b"}, true},
      // The days of the liability file add up to nothing while the dialog's months are line 10.
      {"Schedule B total differs from line 10", 2000000, 4000000, "221=1\n", true, true, nullptr, nullptr,
       {"schedule-b", "schedule-b-total"}},
      {"balance due", 100000, 300000, "", false, true, nullptr, nullptr, {"balance-due"}},
      {"overpayment", 100000, 300000, "211=9999.99\n", false, true, nullptr, nullptr,
       {"overpayment", "return-overpayment"}},
      {"no rates file", 100000, 300000, "", true, true, nullptr,
       [](const fs::path& dir) { fs::remove(dir / "FICA.RAT"); }, {"rates-missing"}},
      {"zero social security rate", 100000, 300000, "", true, true, nullptr,
       [](const fs::path& dir) { WriteRatesFile(dir, {"0", "0", "94200", "1.45", "1.45", "0"}); }, {"rates-zero"}},
      {"zero Medicare rate", 100000, 300000, "", true, true, nullptr,
       [](const fs::path& dir) { WriteRatesFile(dir, {"6.2", "6.2", "94200", "0", "", "0"}); }, {"rates-zero"}},
      {"zero FUTA rate", 100000, 300000, "", true, true,
       [](const fs::path&, ClientFolderSpec& spec) { spec.client->futa_rate = "0"; }, nullptr, {"unemployment-zero"}},
      {"zero SUTA base", 100000, 300000, "", true, true,
       [](const fs::path&, ClientFolderSpec& spec) { spec.client->suta_base = "0"; }, nullptr, {"unemployment-zero"}},
      {"year below the quarter", 100000, 50000, "", true, true, nullptr, nullptr, {"ytd-below-qtd"}},
      {"negative withholding", 100000, 300000, "", true, true,
       [](const fs::path&, ClientFolderSpec& spec) {
         spec.employees[0].qtd[kFederalWithheld] = -500;
         spec.employees[0].ytd[kFederalWithheld] = -500;
       },
       nullptr, {"negative-amount"}},
      {"past the wage base", 100000, 10000000, "", true, true, nullptr, nullptr, {"over-wage-base"}},
      {"preparer code names an empty line", 100000, 300000, "215=&LH1% &LH4%\n", true, true, nullptr, nullptr,
       {"preparer-empty"}},
      {"designee without a telephone", 100000, 300000, "213=JANE ROE\n", true, true, nullptr, nullptr,
       {"designee-phone"}},
      {"partial master record", 100000, 300000, "", true, true, nullptr,
       [](const fs::path& dir) {
         std::string master = testing::ReadFile(dir / "client" / "EMPLOYEE.fil");
         WriteBytes(dir / "client" / "EMPLOYEE.fil", master + std::string(40, ' '));
       },
       {"file-warning"}},
      {"cancelled", 100000, 300000, "402\n", true, true, nullptr, nullptr, {"cancelled"}},
      {"unreadable employee file", 100000, 300000, "", false, true, nullptr,
       [](const fs::path& dir) {
         fs::remove(dir / "client" / "EMPLOYEE.fil");
         fs::create_directory(dir / "client" / "EMPLOYEE.fil");
       },
       {"unreadable"}},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ClientFolderSpec spec = OneEmployeeClient(c.quarter_wages, c.year_wages);
    if (c.change) c.change(dir.path(), spec);
    WriteCheckClient(dir, spec);
    WriteLetterheadFile(dir.path(), {"SMITH PAYROLL SERVICE", "1 ELM STREET", "OAKTOWN, CA 94601", "", ""});
    if (c.after) c.after(dir.path());

    // The first pass finds line 10, which the second one's months and deposits then match.
    WriteBytes(dir / "answers", c.answers + "401\n");
    Cents total = TotalTaxes(Figures(dir.path(), dir / "answers"));
    if (c.liability_matches) WriteBytes(dir / "client" / "PRLIAB", RightAligned(MoneyText(total), 10));
    std::string answers = c.answers;
    if (c.deposits_match) answers += "211=" + MoneyText(total) + "\n";
    if (c.months_match) answers += "216=" + MoneyText(total) + "\n";
    WriteBytes(dir / "answers", answers + "401\n");

    ReportFigures figures = Figures(dir.path(), dir / "answers");
    std::vector<Finding> findings = CheckClient(figures, (dir / "client").string(), dir.str());
    EXPECT_EQ(Codes(findings), c.want) << FindingsText(findings);
    for (const Finding& f : findings) EXPECT_FALSE(f.message.empty());
    // The employee checks as a consumer of the figures' own pass (as `check` and `batch` run
    // them) find the same, word for word.
    EmployeeChecks employees;
    ReportFigures with_checks = Figures(dir.path(), dir / "answers", &employees);
    EXPECT_EQ(FindingsText(CheckClient(with_checks, (dir / "client").string(), dir.str(), &employees)),
              FindingsText(findings));
  }
}

TEST(Checks, FindingsNameTheirFigures) {
  TempDir dir;
  WriteCheckClient(dir, OneEmployeeClient(2000000, 4000000));
  WriteBytes(dir / "answers", "220=1\n211=1,000.00\n216=1000\n217=200.5\n401\n");
  ReportFigures figures = Figures(dir.path(), dir / "answers");
  ASSERT_TRUE(figures.form941);
  // 20,000.00 of wages: 15.3% is 3,060.00, and no withholding.
  EXPECT_EQ(FindingsText(CheckClient(figures, (dir / "client").string(), dir.str())),
            "error liability-total: the monthly liabilities $1,000.00 + $200.50 + $0.00 = $1,200.50 do not equal "
            "line 10 of $3,060.00\n"
            "error return-liability-total: the current Form 941's monthly liabilities add up to $1,200.50, not to "
            "line 12 of $3,060.00: the form requires them to be equal\n"
            "warning balance-due: deposits (line 11) of $1,000.00 are below line 10 of $3,060.00: a balance due of "
            "$2,060.00\n");
}

TEST(Checks, ScheduleBTotalNamesBothFigures) {
  TempDir dir;
  ClientFolderSpec spec = OneEmployeeClient(2000000, 4000000);
  // Paydays on the 5th and the 20th of the first month and the 5th of the second: $1,200.50.
  std::vector<std::string> days(62, "");
  days[4] = "1000.00";
  days[19] = "150.25";
  days[31 + 4] = "50.25";
  spec.liability = days;
  WriteCheckClient(dir, spec);
  struct Case {
    const char* name;
    std::string months;  // what the dialog's month boxes are set to
    std::string want;
  } cases[] = {
      {"the months as the liability file gives them", "",
       "Schedule B's total liability for the quarter, $1,200.50 from the days of the liability file, does not "
       "equal line 10 of $3,060.00"},
      // Line 10 is $3,060.00 (15.3% of $20,000.00); the dialog's months were raised to it.
      {"the months changed in the dialog", "216=2000\n217=1060\n",
       "Schedule B's total liability for the quarter, $1,200.50 from the days of the liability file, does not "
       "equal line 10 of $3,060.00; the months in the dialog add up to $3,060.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir / "answers", "221=1\n211=3060\n" + c.months + "401\n");
    ReportFigures figures = Figures(dir.path(), dir / "answers");
    std::vector<Finding> found;
    for (Finding& f : CheckFigures(figures)) {
      if (f.code == "schedule-b-total") found.push_back(f);
    }
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].severity, Severity::kError);
    EXPECT_EQ(found[0].message, c.want);
  }
}

TEST(Checks, DemoClientIsASemiweeklyDepositorWithAnEmployeePastTheBase) {
  TempDir dir;
  WriteDemoClient(dir.path());
  PlatformOptions options;
  options.answers_file = (dir / kDemoAnswersFile).string();
  auto platform = MakePlatform(options);
  ReportFigures figures = ComputeClientFigures(dir.str(), dir.str(), "941", *platform);
  std::vector<Finding> findings = CheckClient(figures, dir.str(), dir.str());
  // The demo's answers check the semiweekly box, its deposits equal line 10 and its months add up
  // to it, as do the paydays of its liability file (so Schedule B's total is line 10); one
  // employee's year wages ($200,000) pass the rates file's base of $184,500; one employee with
  // wages has the flag N, not subject to social security and Medicare.
  EXPECT_EQ(Codes(findings), (std::vector<std::string>{"fica-flag", "over-wage-base", "schedule-b"})) << FindingsText(findings);
  EXPECT_EQ(CheckExitStatus(findings), kCheckWarnings);
}

TEST(Checks, ExitStatusAndDollarText) {
  EXPECT_EQ(CheckExitStatus({}), kCheckClean);
  EXPECT_EQ(CheckExitStatus({{"a", Severity::kWarning, "w"}}), kCheckWarnings);
  EXPECT_EQ(CheckExitStatus({{"a", Severity::kWarning, "w"}, {"b", Severity::kError, "e"}}), kCheckErrors);
  const std::pair<Cents, const char*> amounts[] = {
      {0, "$0.00"}, {5, "$0.05"}, {123456, "$1,234.56"}, {-250000, "-$2,500.00"}, {100000000000, "$1,000,000,000.00"}};
  for (const auto& [cents, text] : amounts) EXPECT_EQ(DollarText(cents), text);
}

}  // namespace
}  // namespace qreport
