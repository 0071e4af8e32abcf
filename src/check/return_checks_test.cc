// The checks of the current return: each fixture is a small client of 2026 with one thing the
// current form cannot take as it is, and gives exactly that finding among the current return's.
#include "check/return_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "data/client_writer.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using testing::TempDir;

const std::array<std::string, 6> kLawRates = {"6.2", "6.2", "168600", "1.45", "1.45", "0"};

// The codes of this file's checks: the printed form's own checks are checks_test.cc's.
const std::set<std::string> kReturnCodes = {"return-liability-total", "return-depositor-none", "return-left-out",
                                            "return-advance-eic",     "additional-medicare",   "return-overpayment",
                                            "form-945a",              "form944-quarter",       "rates-not-law"};

struct ReturnCheckCase {
  const char* name;
  std::string payroll_date = "063026";
  Cents quarter_wages = 1000000;  // $1,530.00 of taxes: below $2,500 unless a case raises it
  Cents year_wages = 3000000;
  std::string answers = {};
  std::array<std::string, 6> rates = kLawRates;
  std::function<void(EmployeeSpec&)> change = {};
  std::vector<std::string> want = {};
};

std::vector<Finding> ReturnFindings(const ReturnCheckCase& c) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = testing::PlainClient(c.payroll_date);
  spec.employees = {testing::PlainEmployee("A1", c.quarter_wages, c.year_wages)};
  if (c.change) c.change(spec.employees[0]);
  WriteClientFolder(dir / "client", spec);
  WriteRatesFile(dir.path(), c.rates);
  WriteBytes(dir / "answers", c.answers + "401\n");
  PlatformOptions options;
  options.answers_file = (dir / "answers").string();
  options.never_interactive = true;
  auto platform = MakePlatform(options);
  ReportFigures figures = ComputeClientFigures((dir / "client").string(), dir.str(), "941", *platform);
  std::vector<Finding> found;
  CheckCurrentReturn(figures, found);
  return found;
}

std::vector<std::string> Codes(const std::vector<Finding>& findings) {
  std::vector<std::string> codes;
  for (const Finding& f : findings) {
    EXPECT_TRUE(kReturnCodes.count(f.code)) << f.code;
    codes.push_back(f.code);
  }
  std::sort(codes.begin(), codes.end());
  return codes;
}

TEST(ReturnChecks, EachFixtureGivesExactlyItsFinding) {
  const ReturnCheckCase cases[] = {
      {.name = "clean"},
      // $20,000.00 of wages: line 12 is $3,060.00.
      {.name = "months do not add up to line 12", .quarter_wages = 2000000, .year_wages = 4000000,
       .answers = "220=1\n216=1000\n", .want = {"return-liability-total"}},
      {.name = "months add up to line 12", .quarter_wages = 2000000, .year_wages = 4000000,
       .answers = "220=1\n216=1000\n217=2060\n"},
      {.name = "no deposit schedule", .quarter_wages = 2000000, .year_wages = 4000000,
       .want = {"return-depositor-none"}},
      {.name = "a semiweekly depositor of Form 941", .quarter_wages = 2000000, .year_wages = 4000000,
       .answers = "221=1\n"},
      {.name = "7e entered", .answers = "206=12.50\n", .want = {"return-left-out"}},
      {.name = "7d and 7g entered", .answers = "205=1\n208=-2\n", .want = {"return-left-out", "return-left-out"}},
      {.name = "7a to 7c entered", .answers = "202=0.10\n203=5\n204=6\n"},
      {.name = "advance EIC", .change = [](EmployeeSpec& e) { e.misc_amount_1 = 5000; }, .want = {"return-advance-eic"}},
      {.name = "Additional Medicare Tax", .quarter_wages = 9000000, .year_wages = 27000000, .answers = "221=1\n",
       .want = {"additional-medicare"}},
      {.name = "Additional Medicare Tax before 2013", .payroll_date = "063012", .quarter_wages = 9000000,
       .year_wages = 27000000, .answers = "221=1\n", .rates = {"4.2", "6.2", "110100", "1.45", "1.45", "0"}},
      {.name = "overpayment", .answers = "211=9999.99\n", .want = {"return-overpayment"}},
      {.name = "Form 944 semiweekly depositor", .payroll_date = "123026", .quarter_wages = 2000000,
       .year_wages = 4000000, .answers = "242=0\n243=1\n221=1\n", .want = {"form-945a"}},
      {.name = "Form 944 monthly amounts adding up", .payroll_date = "123026", .quarter_wages = 2000000,
       .year_wages = 4000000, .answers = "242=0\n243=1\n216=6120\n"},
      {.name = "Form 944 in the second quarter", .quarter_wages = 500000, .year_wages = 1000000,
       .answers = "242=0\n243=1\n", .want = {"form944-quarter"}},
      {.name = "a Medicare rate not the law's", .rates = {"6.2", "6.2", "168600", "1.5", "1.45", "0"},
       .want = {"rates-not-law"}},
      {.name = "2012's rates in 2026", .rates = {"4.2", "6.2", "168600", "1.45", "1.45", "0"},
       .want = {"rates-not-law"}},
      {.name = "2012's rates, the shares in either order", .payroll_date = "063012",
       .rates = {"6.2", "4.2", "110100", "1.45", "1.45", "0"}},
      {.name = "2026's rates in 2012", .payroll_date = "063012", .want = {"rates-not-law"}},
      // A rate of 0 is rates-zero's finding alone.
      {.name = "no social security rate", .rates = {"0", "0", "168600", "1.45", "1.45", "0"}},
  };
  for (const ReturnCheckCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Finding> found = ReturnFindings(c);
    EXPECT_EQ(Codes(found), c.want) << FindingsText(found);
  }
}

TEST(ReturnChecks, FindingsNameTheAmountAndWhatToDo) {
  ReturnCheckCase amt{.name = "amt", .quarter_wages = 9000000, .year_wages = 27000000, .answers = "221=1\n206=12.50\n"};
  EXPECT_EQ(FindingsText(ReturnFindings(amt)),
            "error return-left-out: the dialog's adjustment 7e (prior quarters' social security and Medicare taxes) "
            "of $12.50 has no line on the current Form 941 and is left out of it: a correction of an earlier period "
            "goes on Form 941-X\n"
            "warning additional-medicare: Additional Medicare Tax of $630.00 (0.9% of $70,000.00 above $200,000.00, "
            "line 5d): the printed Form 941 has no line for it; the current return's line 12 of $3,240.00 includes "
            "it\n");
}

}  // namespace
}  // namespace qreport
