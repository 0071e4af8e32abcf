#include "run/report_run.h"

#include "data/client_file.h"
#include "data/errors.h"
#include "data/liability_file.h"
#include "data/record_file.h"
#include "run/stages.h"
#include "text/numbers.h"

namespace qreport {

void ReadClientIntoState(RunContext& ctx) {
  RunState& state = ctx.state;
  // A client file that cannot be read leaves the employer values as they were.
  try {
    ClientFile client = ReadClientFile(state.data_dir, /*always_record2=*/true, ctx.missing);
    if (client.has_record1) {
      state.employer_name = client.employer_name;
      state.employer_trade_name = client.trade_name;
      state.employer_address = client.address;
      state.payroll_date = client.payroll_date;
    }
    state.employer_city_line = client.city_line;
  } catch (const RunError&) {
  }
}

bool TakesFormRoute(std::string_view report_date) {
  std::string_view year = report_date.size() >= 2 ? report_date.substr(report_date.size() - 2) : report_date;
  return ParseDecimal(year) > 4;
}

void ReadFormRouteEntries(RunContext& ctx) {
  RunState& state = ctx.state;
  // A failing step is ignored: its target keeps its earlier value.
  try {
    auto months = ReadLiabilityMonths(state.data_dir, ctx.missing);
    for (int m = 1; m <= 3; ++m) state.month_liability[m] = months[m - 1];
  } catch (const RunError&) {
  }
  LoadSavedEntries(ctx);
}

std::string ReportDateDialogTitle(std::string_view report_kind) {
  return report_kind == "941" ? "Quarterly Report" : "";
}

void StartRun(RunContext& ctx, std::string_view data_dir, std::string_view rates_dir) {
  RunState& state = ctx.state;
  ctx.rates_dir = std::string(rates_dir);
  state.data_dir = std::string(data_dir);
  ReadClientIntoState(ctx);
  state.report_date = state.payroll_date;
  state.month_liability[1] = state.month_liability[2] = state.month_liability[3] = 0;
}

}  // namespace qreport
