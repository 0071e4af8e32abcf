// The quarterly worksheet: the employee pass's rules, the recap's figures, and the printed pages
// byte for byte.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>

#include "data/client_writer.h"
#include "data/errors.h"
#include "data/report_writer.h"
#include "run/stages.h"
#include "support/fixture.h"
#include "support/golden_clients.h"
#include "support/recording_platform.h"
#include "text/masks.h"
#include "worksheet/accumulation.h"
#include "worksheet/layout.h"
#include "worksheet/recap.h"
#include "worksheet/worksheet_run.h"

namespace qreport {
namespace {

using testing::CompareGolden;
using testing::DecodedEmployee;
using testing::ManyEmployees;
using testing::PlainClient;
using testing::PlainEmployee;
using testing::ReadFile;
using testing::RecordingPlatform;
using testing::TempDir;
namespace fs = std::filesystem;

TEST(WorksheetLine, WageBasesCutTheTaxableWages) {
  struct Case {
    const char* what;
    Employee e;
    WageBases bases;
    double fica, medicare, futa, suta;
  } cases[] = {
      {"below every base", DecodedEmployee(3000, 0, 3000, 0), {100000, 7000, 8000}, 3000, 3000, 3000, 3000},
      {"social security room from wages and tips", DecodedEmployee(29000, 1000, 109000, 1000), {100000, 1e9, 1e9},
       20000, 29000, 30000, 30000},
      {"social security room below zero", DecodedEmployee(20000, 0, 130000, 0), {100000, 1e9, 1e9}, 0, 20000, 20000,
       20000},
      {"year exactly at the base is not cut", DecodedEmployee(5000, 500, 99500, 500), {100000, 1e9, 1e9}, 5000, 5000,
       5500, 5500},
      {"below the base tips are not social security wages", DecodedEmployee(1000, 400, 1000, 400), {100000, 1e9, 1e9},
       1000, 1000, 1400, 1400},
      {"a tipped employee past the base shows no more than the wages", DecodedEmployee(1000, 9000, 96000, 9000),
       {100000, 1e9, 1e9}, 1000, 1000, 10000, 10000},
      {"FUTA example", DecodedEmployee(3000, 500, 6800, 500), {1e9, 7000, 1e9}, 3000, 3000, 3200, 3500},
      {"SUTA example: the year's wages and tips are tested", DecodedEmployee(5000, 0, 12000, 0), {1e9, 1e9, 8000}, 5000,
       5000, 5000, 1000},
      {"FUTA past the base earlier in the year", DecodedEmployee(2000, 0, 9000, 0), {1e9, 7000, 8000}, 2000, 2000, 0,
       1000},
      {"fica flag N", DecodedEmployee(3000, 100, 3000, 100, 'N'), {100000, 7000, 8000}, 0, 0, 3100, 3100},
      {"fica flag lower-case y", DecodedEmployee(3000, 0, 3000, 0, 'y'), {100000, 7000, 8000}, 0, 0, 3000, 3000},
      {"exempt code 9", DecodedEmployee(3000, 0, 3000, 0, 'Y', 9), {100000, 7000, 8000}, 3000, 3000, 0, 0},
      {"exempt code 1: no SUTA", DecodedEmployee(3000, 0, 3000, 0, 'Y', 1), {100000, 7000, 8000}, 3000, 3000, 3000, 0},
      {"exempt code 8: no FUTA", DecodedEmployee(3000, 0, 3000, 0, 'Y', 8), {100000, 7000, 8000}, 3000, 3000, 0, 3000},
      {"zero quarter wages with year wages", DecodedEmployee(0, 0, 4000, 0), {100000, 7000, 8000}, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<WorksheetLine> line = ComputeWorksheetLine(c.e, c.bases);
    ASSERT_TRUE(line.has_value());
    EXPECT_DOUBLE_EQ(line->fica_taxable, c.fica);
    EXPECT_DOUBLE_EQ(line->medicare_wages, c.medicare);
    EXPECT_DOUBLE_EQ(line->futa_taxable, c.futa);
    EXPECT_DOUBLE_EQ(line->suta_taxable, c.suta);
    EXPECT_DOUBLE_EQ(line->sdi_taxable, c.e.amounts_qtd[kWages] + c.e.amounts_qtd[kTips]);
  }
}

TEST(WorksheetLine, NoWagesInQuarterOrYearSkipsTheEmployee) {
  EXPECT_FALSE(ComputeWorksheetLine(DecodedEmployee(0, 250, 0, 250), {}).has_value());
  EXPECT_TRUE(ComputeWorksheetLine(DecodedEmployee(0, 0, 0.01, 0), {}).has_value());
}

TEST(Recap, RoundingsToTheCent) {
  struct Case {
    double x, round_cents, via_text;
  } cases[] = {
      {20.66646, 20.67, 20.67},
      {2.675, 2.67, 2.67},                      // the double lies just below 2.675
      {std::nextafter(2.675, 3.0), 2.68, 2.67},  // just above; its 15-digit text is 2.675 again
      {0.125, 0.12, 0.12},
      {-1.005, -1.0, -1.0},
      {51.00, 51.0, 51.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_DOUBLE_EQ(RoundCents(c.x), c.round_cents);
    EXPECT_DOUBLE_EQ(RoundCentsViaText(c.x), c.via_text);
  }
}

TEST(Recap, TipsTaxShownAndCombinedRestOnDifferentRoundings) {
  WorksheetTotals t;
  t.tips = 333.33;
  FicaRates r{0.062, 0.062, 100000, 0.0145, 0.0145, 0};
  TaxFigures f = ComputeTaxFigures(t, r, {});
  EXPECT_DOUBLE_EQ(f.tips_tax_shown, 20.67 + 20.67 + 9.67);
  EXPECT_DOUBLE_EQ(f.tips_tax_combined, 51.00);
}

TEST(Recap, UnemploymentRatesInEitherNotation) {
  struct Case {
    double rate, divisor;
  } cases[] = {{0.8, 100}, {0.008, 1}, {0.01, 100}, {0.0099999999, 100}, {0.0099999, 1}, {2.7, 100}, {0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    EXPECT_EQ(UnemploymentRateDivisor(c.rate), c.divisor);
  }
}

TEST(Recap, UnemploymentTaxInEitherRateNotation) {
  struct Case {
    double rate, taxable, tax;
    const char* rate_cell;
  } cases[] = {
      {0.8, 7000, 56.00, "    0.80 "},
      {0.008, 7000, 56.00, "    0.80 "},
      {0.027, 8000, 2.16, "    0.03 "},  // 0.027 is at or above the threshold: a percentage
      {0.01, 1000, 0.10, "    0.01 "},
      {0.0099, 8000, 79.20, "    0.99 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    WorksheetTotals totals;
    totals.futa_taxable = c.taxable;
    totals.suta_taxable = c.taxable;
    TaxFigures taxes = ComputeTaxFigures(totals, {}, {c.rate, c.rate});
    EXPECT_NEAR(taxes.futa_tax, c.tax, 1e-9);
    EXPECT_NEAR(taxes.suta_tax, c.tax, 1e-9);
    // The rate cells as the recap prints them.
    EXPECT_EQ(FormatAmount("  ###.## ", taxes.futa_rate), c.rate_cell);
    EXPECT_EQ(FormatAmount("  ###.## ", taxes.suta_rate), c.rate_cell);
  }
}

TEST(Heading, PeriodEndingDateAndCentring) {
  struct Case {
    const char* date;
    const char* want;
  } cases[] = {
      {"063099", "AS OF THE PERIOD ENDING June 30, 1999"},
      {"123105", "AS OF THE PERIOD ENDING December 31, 2005"},
      {"010180", "AS OF THE PERIOD ENDING January 01, 1980"},
      {"003179", "AS OF THE PERIOD ENDING  31, 2079"},
      {"133105", "AS OF THE PERIOD ENDING  31, 2005"},
      {"XX3105", "AS OF THE PERIOD ENDING  31, 2005"},
      {"0631", "AS OF THE PERIOD ENDING June 31, 20"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    EXPECT_EQ(PeriodEndingText(c.date), c.want);
  }
  EXPECT_EQ(CentredColumn(20), 56);
  EXPECT_EQ(CentredColumn(21), 56);  // 55.5 goes to the even neighbour
  EXPECT_EQ(CentredColumn(23), 54);  // 54.5 likewise
  EXPECT_EQ(CentredColumn(0), 66);
}

// A worksheet run over a client folder written from `spec`, with the rates in `rates`.
struct WorksheetRun {
  TempDir dir;
  RecordingPlatform platform;
  std::string report;
  RunContext ctx{platform};

  explicit WorksheetRun(const ClientFolderSpec& spec,
                        const std::array<std::string, 6>& rates = {"6.2", "6.2", "100000", "1.45", "1.45", "0"},
                        std::string report_date = "") {
    WriteClientFolder(dir.path(), spec);
    WriteRatesFile(dir.path(), rates);
    ctx.rates_dir = dir.str();
    ctx.state.data_dir = dir.str();
    ctx.state.report_date = report_date.empty() && spec.client ? spec.client->payroll_date : report_date;
  }
  void Run() {
    RunWorksheet(ctx);
    report = ReadFile(dir / "report.txt");
  }
};

TEST(WorksheetGolden, OnePageWithEveryKindOfLine) {
  WorksheetRun run(testing::WorksheetOnePageClient(), {"6.2", "6.2", "94200", "1.45", "1.45", "0"}, "063099");
  run.Run();
  EXPECT_EQ(CompareGolden("worksheet/one_page.txt", run.report), "");
  EXPECT_TRUE(run.platform.messages.empty());
  EXPECT_EQ(run.ctx.state.report_date, "06/30/99");
  EXPECT_EQ(run.ctx.state.device_code, "P");
  EXPECT_EQ(run.ctx.plan_totals, (PlanTotals{0, 1007, 2000, 3000}));
}

TEST(WorksheetGolden, FortySixthLineStartsPageTwo) {
  WorksheetRun run(ManyEmployees(46, ""), {".062", ".062", "90000", ".0145", ".0145", ""}, "09/30/05");
  run.Run();
  EXPECT_EQ(CompareGolden("worksheet/page_break.txt", run.report), "");
}

TEST(WorksheetGolden, NoCountedEmployeesGivesTotalsAndRecapOnly) {
  WorksheetRun run(testing::WorksheetNoEmployeesClient());
  run.Run();
  EXPECT_EQ(CompareGolden("worksheet/no_employees.txt", run.report), "");
  EXPECT_EQ(run.report.find("QUARTERLY REPORT WORKSHEET"), std::string::npos);
}

// Where the form feeds fall: after the 45th line of a page (44th with a trade name), and before
// the recap when the totals bring the line count above 42.
TEST(WorksheetPaging, PagesBreakAtTheirLimits) {
  struct Case {
    int employees;
    const char* trade_name;
    int form_feeds;
    bool recap_on_new_page;
  } cases[] = {
      {26, "", 0, false},   // 10 + 26 + 6 = 42: the recap stays
      {27, "", 1, true},    // 43: the recap moves to a new page
      {25, "TRADE", 0, false},
      {26, "TRADE", 1, true},
      {45, "", 1, false},   // the 45th line is followed at once by page 2's heading
      {44, "TRADE", 1, false},
      {43, "TRADE", 1, true},
      {46, "", 1, false},
      {90, "", 2, false},
      {72, "", 2, true},    // page 2: 10 + 27 + 6 = 43
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.employees) + " " + c.trade_name);
    WorksheetRun run(ManyEmployees(c.employees, c.trade_name));
    run.Run();
    EXPECT_EQ(std::count(run.report.begin(), run.report.end(), '\f'), c.form_feeds);
    std::size_t last_ff = run.report.rfind('\f');
    std::size_t recap = run.report.find("RECAP OF TAXES");
    std::size_t totals = run.report.find(" TOTALS - ");
    ASSERT_NE(recap, std::string::npos);
    if (c.form_feeds > 0) {
      EXPECT_EQ(totals < last_ff && last_ff < recap, c.recap_on_new_page);
    }
    EXPECT_NE(run.report.find(" TOTALS - " + std::string(c.employees >= 10 ? " " : "  ") + std::to_string(c.employees) + " EMPLOYEES"),
              std::string::npos);
  }
}

TEST(WorksheetRun, CancelWritesNothingAndClearsTheFlag) {
  WorksheetRun run(ManyEmployees(3, ""));
  WriteBytes(run.dir / "report.txt", "earlier");
  run.ctx.state.cancel_requested = true;
  run.Run();
  EXPECT_EQ(run.report, "earlier");
  EXPECT_FALSE(run.ctx.state.cancel_requested);
}

TEST(WorksheetRun, ShortClientFileFallsBackToTheDefaultDate) {
  WorksheetRun run(ClientFolderSpec{});
  run.Run();
  EXPECT_EQ(run.ctx.state.payroll_date, "013192");
  EXPECT_TRUE(fs::exists(run.dir / "emp4mula.fil"));
  EXPECT_TRUE(fs::exists(run.dir / "EMPLOYEE.idx"));
  EXPECT_NE(run.report.find(" TOTALS -  0 EMPLOYEES"), std::string::npos);
}

TEST(WorksheetRun, FailuresShowTheErrorMessage) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> spoil;
    std::string message;
  } cases[] = {
      {"a folder in place of the report", [](const TempDir& d) { fs::create_directory(d / "report.txt"); },
       "at line  0: Error  75"},
      {"a folder in place of the index", [](const TempDir& d) { fs::create_directory(d / "EMPLOYEE.idx"); },
       "at line  0: Error  75"},
      {"a folder in place of the formula file", [](const TempDir& d) { fs::create_directory(d / "emp4mula.fil"); },
       "at line  0: Error  75"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClientFolderSpec spec = ManyEmployees(2, "");
    spec.employees.clear();
    WorksheetRun run(spec);
    c.spoil(run.dir);
    RunWorksheet(run.ctx);
    EXPECT_EQ(run.platform.messages, std::vector<std::string>{c.message});
  }
}

// Enough employees that the report's buffer (written out every 64 kB, some 150 bytes a line)
// reaches the file several times before the pass ends.
constexpr int kEmployeesPastTheBuffer = 2000;

// The pass hands each line to the printing as it is made; a pass that then fails to read (here a
// consumer throws the read error after enough lines to have reached the file) must leave the
// report as though the worksheet had never been started.
TEST(WorksheetRun, APassThatFailsPartWayLeavesNoPartOfTheWorksheet) {
  struct FailingSink final : WorksheetSink {
    int seen = 0;
    void OnEmployee(const Employee&, const WorksheetLine* line) override {
      if (line != nullptr && ++seen == kEmployeesPastTheBuffer - 10) throw RunError(57, "read failed");
    }
  };
  WorksheetRun run(ManyEmployees(kEmployeesPastTheBuffer, ""));
  WorksheetPrinting printing(run.dir / "report.txt");
  FailingSink failing;
  WorksheetSink* const sinks[] = {&printing, &failing};
  EXPECT_THROW(ComputeWorksheet(WorksheetRequestOf(run.ctx), sinks), RunError);
  ASSERT_GT(fs::file_size(run.dir / "report.txt"), 0u) << "the printed lines never reached the file";
  EXPECT_TRUE(printing.Discard());
  EXPECT_EQ(fs::file_size(run.dir / "report.txt"), 0u);
}

// The pass reads the run and writes nothing back: what it decides comes in its figures, and the
// worksheet step of the report run takes it into the run's state (the forms read the report date
// and payroll date from there; the short route hands the report to the printer when its device is
// then "P"). A pass that fails to read leaves the run's values as they were.
TEST(WorksheetRun, TheRunTakesWhatThePassDecided) {
  struct Case {
    const char* what;
    ClientFolderSpec spec;
    std::function<void(const TempDir&)> spoil;
    std::string report_date, payroll_date, print_device;
  } cases[] = {
      {"lines: the heading's date", ManyEmployees(3, ""), {}, "09/30/05", "093005", "P"},
      {"no line: no heading, the date stays", testing::WorksheetNoEmployeesClient(), {}, "033106", "033106", "P"},
      {"no client record: the default period", ClientFolderSpec{}, {}, "", "013192", "P"},
      {"a report that cannot be opened", ManyEmployees(3, ""),
       [](const TempDir& d) { fs::create_directory(d / "report.txt"); }, "09/30/05", "093005", "S"},
      {"an index that cannot be read", ManyEmployees(3, ""),
       [](const TempDir& d) {
         fs::remove(d / "EMPLOYEE.idx");
         fs::create_directory(d / "EMPLOYEE.idx");
       },
       "093005", "", "S"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WorksheetRun run(c.spec);
    if (c.spoil) c.spoil(run.dir);
    run.ctx.state.device_code = "S";
    const WorksheetRequest request = WorksheetRequestOf(run.ctx);
    RunWorksheet(run.ctx);
    EXPECT_EQ(run.ctx.state.report_date, c.report_date);
    EXPECT_EQ(run.ctx.state.payroll_date, c.payroll_date);
    EXPECT_EQ(run.ctx.state.device_code, c.print_device);

    // The pass alone, from the run's values as they were, gives what the run took.
    if (c.spoil) continue;
    const std::optional<WorksheetFigures> figures = ComputeWorksheet(request);
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->report_date, c.report_date);
    EXPECT_EQ(figures->heading.payroll_date, c.payroll_date);
  }
}

// A write that fails part way (here past a file-size limit, as on a full disk) is kept while the
// pass goes on, and Finish throws it even when the writes after it would succeed (the limit is
// lifted before Finish); the pass itself reads every employee.
TEST(WorksheetRun, AWriteFailingPartWayIsThrownByFinish) {
  WorksheetRun run(ManyEmployees(kEmployeesPastTheBuffer, ""));
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{100000, RLIM_INFINITY};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
    struct Counting final : WorksheetSink {
      int lines = 0;
      void OnEmployee(const Employee&, const WorksheetLine* line) override { lines += line != nullptr; }
    } counting;
    WorksheetPrinting printing(run.dir / "report.txt");
    WorksheetSink* const sinks[] = {&printing, &counting};
    const std::optional<WorksheetFigures> figures = ComputeWorksheet(WorksheetRequestOf(run.ctx), sinks);
    if (!figures || counting.lines != kEmployeesPastTheBuffer) ::_exit(3);
    limit.rlim_cur = RLIM_INFINITY;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
    try {
      printing.Finish(*figures);
    } catch (const WriteError& error) {
      ::_exit(error.number() == kErrDiskFull ? 0 : 4);
    }
    ::_exit(5);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2: no limit, 3: the pass stopped, 4: another error, 5: no error";
}

TEST(WorksheetRun, MissingDataFolderIsPathNotFound) {
  TempDir dir;
  RecordingPlatform platform;
  RunContext ctx(platform);
  ctx.state.data_dir = (dir / "nowhere").string();
  ctx.rates_dir = dir.str();
  RunWorksheet(ctx);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"at line  0: Error  76"});
}

TEST(RunError, ShowsTheErrorNumberAtLineZero) {
  RecordingPlatform platform;
  ShowRunError(platform, 61);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"at line  0: Error  61"});
}

}  // namespace
}  // namespace qreport
