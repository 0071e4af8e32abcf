#include "worksheet/worksheet_run.h"

#include "data/client_file.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/record_file.h"
#include "data/paths.h"
#include "data/report_writer.h"
#include "text/masks.h"
#include "worksheet/layout.h"

namespace qreport {

std::optional<WorksheetFigures> ComputeWorksheet(RunContext& ctx, std::span<WorksheetSink* const> sinks) {
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
  for (WorksheetSink* sink : sinks) sink->Start(f);
  const std::string report_date = s.ReportDate;
  try {
    Employee e;
    while (walk.Next(e)) {
      // Plan amounts count for every employee of the index, with or without a line.
      for (int plan = 1; plan <= 3; ++plan) {
        f.plan_totals[plan] = AddToCents(f.plan_totals[plan], e.plan_amount_a[plan]);
      }
      std::optional<WorksheetLine> line = ComputeWorksheetLine(e, bases);
      if (line) {
        // The first page heading shows the report date as MM/DD/YY, and the forms read it so;
        // without an employee line no heading is printed and the date stays as it was.
        if (f.totals.employee_count == 0) s.ReportDate = ReportDateShown(s.ReportDate);
        AddToTotals(*line, f.totals);
        ++f.totals.employee_count;
      }
      for (WorksheetSink* sink : sinks) sink->OnEmployee(e, line ? &*line : nullptr);
    }
  } catch (const RunError&) {
    s.ReportDate = report_date;
    throw;
  }
  f.taxes = ComputeTaxFigures(f.totals, f.rates, f.unemployment);
  return f;
}

WorksheetPrinting::WorksheetPrinting(RunState& state, std::filesystem::path report)
    : state_(state), report_(std::move(report)) {}

WorksheetPrinting::~WorksheetPrinting() = default;

void WorksheetPrinting::Fail(const RunError& error) {
  if (!write_error_) write_error_ = error.number();
  printer_.reset();
  out_.reset();
}

void WorksheetPrinting::Start(const WorksheetFigures& figures) {
  if (out_ || write_error_) return;
  try {
    out_ = std::make_unique<ReportWriter>(report_);
    state_.PrintDevice = "P";
    printer_ = std::make_unique<WorksheetPrinter>(*out_, state_, figures.trade_name);
  } catch (const RunError& error) {
    Fail(error);
  }
}

void WorksheetPrinting::OnEmployee(const Employee&, const WorksheetLine* line) {
  if (line == nullptr || !printer_) return;
  try {
    printer_->EmployeeLine(*line);
  } catch (const RunError& error) {
    Fail(error);
  }
}

void WorksheetPrinting::Finish(const WorksheetFigures& figures) {
  Start(figures);
  if (printer_) {
    try {
      printer_->TotalsAndRecap(figures.totals, figures.taxes);
      out_->Close();
    } catch (const RunError& error) {
      Fail(error);
    }
  }
  printer_.reset();
  out_.reset();
  if (write_error_) throw WriteError(*write_error_, "cannot write the worksheet");
}

bool WorksheetPrinting::Discard() {
  const bool started = out_ || write_error_;
  printer_.reset();
  if (out_) {
    try {
      out_->Close();
    } catch (const RunError&) {
    }
    out_.reset();
  }
  if (!started) return true;
  try {
    OutputFile(report_).Close();
    return true;
  } catch (const RunError&) {
    return false;
  }
}

std::filesystem::path ReportOutputPath(const RunContext& ctx) {
  if (!ctx.report_path.empty()) return ctx.report_path;
  return ResolveHostPath(ctx.state.DataDir, kReportFileName);
}

void RunQuarterlyWorksheet(RunContext& ctx) {
  WorksheetPrinting printing(ctx.state, ReportOutputPath(ctx));
  WorksheetSink* const sinks[] = {&printing};
  std::optional<WorksheetFigures> figures;
  try {
    figures = ComputeWorksheet(ctx, sinks);
  } catch (const RunError&) {
    // The report holds no part of a worksheet that could not be read.
    if (!printing.Discard()) ctx.report_write_failed = true;
    throw;
  }
  if (!figures) return;
  printing.Finish(*figures);
  ctx.plan_totals = figures->plan_totals;
}

}  // namespace qreport
