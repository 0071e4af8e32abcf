#include "worksheet/worksheet_run.h"

#include "data/client_file.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/paths.h"
#include "data/rates.h"
#include "data/report_writer.h"
#include "text/masks.h"
#include "worksheet/accumulation.h"
#include "worksheet/layout.h"

namespace qreport {

void RunQuarterlyWorksheet(RunContext& ctx) {
  RunState& s = ctx.state;
  ReadFormulaFile(s.DataDir);

  ClientFile client = ReadClientFile(s.DataDir);
  UnemploymentRates unemployment;
  WageBases bases;
  std::string trade_name;
  if (client.has_record1) {
    s.EmployerName = client.employer_name;
    s.PayrollDate = client.payroll_date;
    trade_name = client.trade_name;
    unemployment = {client.futa_rate, client.suta_rate};
    bases.futa = client.futa_base;
    bases.suta = client.suta_base;
  }
  if (s.PayrollDate.empty()) s.PayrollDate = "013192";

  if (s.CancelRequested != 0) {
    s.CancelRequested = 0;
    return;
  }

  FicaRates rates = ReadFicaRates(ctx.WorkDir);
  bases.social_security = rates.ss_base;
  EmployeeWalk walk(s.DataDir, /*with_plans=*/true);

  ReportWriter out(ResolveHostPath(s.DataDir, kReportFileName));
  s.PrintDevice = "P";
  WorksheetPrinter printer(out, s, trade_name);
  WorksheetTotals totals;
  ctx.PlanTotalA = {};
  Employee e;
  while (walk.Next(e)) {
    // Plan amounts count for every employee of the index, with or without a line.
    for (int plan = 1; plan <= 3; ++plan) {
      ctx.PlanTotalA[plan] = ToCents(CentsValue(ctx.PlanTotalA[plan]) + e.plan_amount_a[plan]);
    }
    std::optional<WorksheetLine> line = ComputeWorksheetLine(e, bases);
    if (!line) continue;
    AddToTotals(*line, totals);
    printer.EmployeeLine(*line);
  }
  totals.employee_count = printer.employee_count();
  printer.TotalsAndRecap(totals, rates, unemployment);
  out.Close();
}

}  // namespace qreport
