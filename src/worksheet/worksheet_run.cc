#include "worksheet/worksheet_run.h"

#include "data/client_file.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/paths.h"
#include "data/report_writer.h"
#include "text/masks.h"
#include "worksheet/layout.h"

namespace qreport {

std::optional<WorksheetFigures> ComputeWorksheet(RunContext& ctx) {
  RunState& s = ctx.state;
  ReadFormulaFile(s.DataDir, ctx.missing);

  ClientFile client = ReadClientFile(s.DataDir, /*always_record2=*/false, ctx.missing);
  WorksheetFigures f;
  WageBases bases;
  if (client.has_record1) {
    s.EmployerName = client.employer_name;
    s.PayrollDate = client.payroll_date;
    f.trade_name = client.trade_name;
    f.unemployment = {client.futa_rate, client.suta_rate};
    bases.futa = client.futa_base;
    bases.suta = client.suta_base;
  }
  if (s.PayrollDate.empty()) s.PayrollDate = "013192";

  if (s.CancelRequested != 0) {
    s.CancelRequested = 0;
    return std::nullopt;
  }

  f.rates = ReadFicaRates(ctx.work_dir, ctx.missing);
  bases.social_security = f.rates.ss_base;
  EmployeeWalk walk(s.DataDir, /*with_plans=*/true, ctx.missing);
  Employee e;
  while (walk.Next(e)) {
    // Plan amounts count for every employee of the index, with or without a line.
    for (int plan = 1; plan <= 3; ++plan) {
      f.plan_totals[plan] = AddToCents(f.plan_totals[plan], e.plan_amount_a[plan]);
    }
    std::optional<WorksheetLine> line = ComputeWorksheetLine(e, bases);
    if (!line) continue;
    AddToTotals(*line, f.totals);
    f.lines.push_back(std::move(*line));
  }
  f.totals.employee_count = static_cast<int>(f.lines.size());
  // The first page heading shows the report date as MM/DD/YY, and the forms read it so; without
  // an employee line no heading is printed and the date stays as it was.
  if (!f.lines.empty()) s.ReportDate = ReportDateShown(s.ReportDate);
  f.taxes = ComputeTaxFigures(f.totals, f.rates, f.unemployment);
  return f;
}

void PrintWorksheet(const WorksheetFigures& f, RunState& s, const std::filesystem::path& report) {
  ReportWriter out(report);
  s.PrintDevice = "P";
  WorksheetPrinter printer(out, s, f.trade_name);
  for (const WorksheetLine& line : f.lines) printer.EmployeeLine(line);
  printer.TotalsAndRecap(f.totals, f.taxes);
  out.Close();
}

std::filesystem::path ReportOutputPath(const RunContext& ctx) {
  if (!ctx.report_path.empty()) return ctx.report_path;
  return ResolveHostPath(ctx.state.DataDir, kReportFileName);
}

void RunQuarterlyWorksheet(RunContext& ctx) {
  std::optional<WorksheetFigures> figures = ComputeWorksheet(ctx);
  if (!figures) return;
  PrintWorksheet(*figures, ctx.state, ReportOutputPath(ctx));
  ctx.plan_totals = figures->plan_totals;
}

}  // namespace qreport
