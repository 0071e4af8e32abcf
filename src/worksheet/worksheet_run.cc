#include "worksheet/worksheet_run.h"

#include <utility>

#include "data/client_file.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/paths.h"
#include "data/record_file.h"
#include "data/report_writer.h"
#include "text/masks.h"
#include "worksheet/layout.h"

namespace qreport {

WorksheetRequest WorksheetRequestOf(const RunContext& ctx) {
  const RunState& state = ctx.state;
  WorksheetRequest request;
  request.data_dir = state.data_dir;
  request.rates_dir = ctx.rates_dir;
  request.missing = ctx.missing;
  request.employer_name = state.employer_name;
  request.payroll_date = state.payroll_date;
  request.report_date = state.report_date;
  request.cancel_requested = state.cancel_requested;
  return request;
}

std::optional<WorksheetFigures> ComputeWorksheet(const WorksheetRequest& request,
                                                 std::span<WorksheetSink* const> sinks) {
  ReadFormulaFile(request.data_dir, request.missing);

  ClientFile client = ReadClientFile(request.data_dir, /*always_record2=*/false, request.missing);
  WorksheetFigures figures;
  figures.heading.employer_name = request.employer_name;
  figures.heading.payroll_date = request.payroll_date;
  WageBases bases;
  if (client.has_record1) {
    figures.heading.employer_name = client.employer_name;
    figures.heading.payroll_date = client.payroll_date;
    figures.trade_name = client.trade_name;
    figures.unemployment = {client.futa_rate, client.suta_rate};
    bases.futa = client.futa_base;
    bases.suta = client.suta_base;
  }
  if (figures.heading.payroll_date.empty()) figures.heading.payroll_date = "013192";
  if (request.cancel_requested) return std::nullopt;

  figures.rates = ReadFicaRates(request.rates_dir, request.missing);
  bases.social_security = figures.rates.ss_base;
  EmployeeWalk walk(request.data_dir, /*with_plans=*/true, request.missing);
  for (WorksheetSink* sink : sinks) {
    if (EmployeeEntryObserver* observer = sink->entry_observer()) {
      walk.Observe(*observer);
      break;
    }
  }
  // The page heading shows the report date as MM/DD/YY, and the forms read it so once the
  // worksheet printed a heading; without an employee line there is none and the date stays.
  figures.heading.report_date = ReportDateShown(request.report_date);
  figures.report_date = request.report_date;
  for (WorksheetSink* sink : sinks) sink->Start(figures);
  Employee employee;
  while (walk.Next(employee)) {
    // Plan amounts count for every employee of the index, with or without a line.
    for (int plan = 1; plan <= 3; ++plan) {
      figures.plan_totals[plan] = AddToCents(figures.plan_totals[plan], employee.plan_amount_a[plan]);
    }
    std::optional<WorksheetLine> line = ComputeWorksheetLine(employee, bases);
    if (line) {
      AddToTotals(*line, figures.totals);
      ++figures.totals.employee_count;
    }
    for (WorksheetSink* sink : sinks) sink->OnEmployee(employee, line ? &*line : nullptr);
  }
  if (figures.totals.employee_count > 0) figures.report_date = figures.heading.report_date;
  figures.taxes = ComputeTaxFigures(figures.totals, figures.rates, figures.unemployment);
  return figures;
}

WorksheetPrinting::WorksheetPrinting(std::filesystem::path report) : report_(std::move(report)) {}

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
    opened_ = true;
    heading_ = figures.heading;
    trade_name_ = figures.trade_name;
  } catch (const RunError& error) {
    Fail(error);
  }
}

void WorksheetPrinting::MakePrinter() {
  if (printer_ || !out_) return;
  printer_ = std::make_unique<WorksheetPrinter>(*out_, heading_, trade_name_);
}

void WorksheetPrinting::OnEmployee(const Employee&, const WorksheetLine* line) {
  if (line == nullptr || !out_) return;
  MakePrinter();
  try {
    printer_->EmployeeLine(*line);
  } catch (const RunError& error) {
    Fail(error);
  }
}

void WorksheetPrinting::Finish(const WorksheetFigures& figures) {
  Start(figures);
  MakePrinter();
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
  return ResolveHostPath(ctx.state.data_dir, kReportFileName);
}

}  // namespace qreport
