#include "run/report_run.h"

#include "data/client_file.h"
#include "data/errors.h"
#include "data/liability_file.h"
#include "data/record_file.h"
#include "run/stages.h"
#include "text/numbers.h"

namespace qreport {

void ReadClientIntoState(RunContext& ctx) {
  RunState& s = ctx.state;
  // A client file that cannot be read leaves the employer values as they were.
  try {
    ClientFile client = ReadClientFile(s.DataDir, /*always_record2=*/true, ctx.missing);
    if (client.has_record1) {
      s.EmployerName = client.employer_name;
      s.EmployerTradeName = client.trade_name;
      s.EmployerAddress = client.address;
      s.PayrollDate = client.payroll_date;
    }
    s.EmployerCityLine = client.city_line;
  } catch (const RunError&) {
  }
}

bool TakesFormRoute(std::string_view report_date) {
  std::string_view year = report_date.size() >= 2 ? report_date.substr(report_date.size() - 2) : report_date;
  return ParseDecimal(year) > 4;
}

void ReadFormRouteEntries(RunContext& ctx) {
  RunState& s = ctx.state;
  // A failing step is ignored: its target keeps its earlier value.
  try {
    auto months = ReadLiabilityMonths(s.DataDir, ctx.missing);
    for (int m = 1; m <= 3; ++m) s.MonthLiability[m] = months[m - 1];
  } catch (const RunError&) {
  }
  LoadSavedEntries(ctx);
}

std::string ReportDateDialogTitle(std::string_view report_kind) {
  return report_kind == "941" ? "Quarterly Report" : "";
}

void StartRun(RunContext& ctx, std::string_view data_dir, std::string_view rates_dir) {
  RunState& s = ctx.state;
  ctx.rates_dir = std::string(rates_dir);
  s.DataDir = std::string(data_dir);
  ReadClientIntoState(ctx);
  s.ReportDate = s.PayrollDate;
  s.MonthLiability[1] = s.MonthLiability[2] = s.MonthLiability[3] = 0;
}

}  // namespace qreport
