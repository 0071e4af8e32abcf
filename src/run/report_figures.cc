#include "run/report_figures.h"

#include <exception>
#include <vector>

#include "data/errors.h"
#include "forms/form941.h"
#include "forms/form944.h"
#include "forms/form_money.h"
#include "forms/form_prints.h"
#include "run/report_run.h"
#include "run/stages.h"
#include "text/numbers.h"

namespace qreport {

namespace {

// The forms' employee totals, added up by the worksheet's pass as it goes, so that a run reads
// the employee files once. They count only when that pass read every employee: one that could
// not start or stopped part way leaves the forms to their own pass, which reads fewer files.
class FormTotals final : public WorksheetSink {
 public:
  FormTotals(bool quarter, bool year) : want_quarter_(quarter), want_year_(year) {}
  void Start(const WorksheetFigures& figures) override {
    ss_base_ = ToFormRates(figures.rates).ss_base;
    started_ = true;
  }
  void OnEmployee(const Employee& e, const WorksheetLine*) override {
    if (want_quarter_) AddEmployeeToQuarter(e, ss_base_, quarter_);
    if (want_year_) AddEmployeeToYear(e, ss_base_, year_);
  }
  const QuarterTotals* quarter(bool complete) const { return complete && started_ ? &quarter_ : nullptr; }
  const YearTotals* year(bool complete) const { return complete && started_ ? &year_ : nullptr; }

 private:
  bool want_quarter_, want_year_;
  bool started_ = false;
  Cents ss_base_ = 0;
  QuarterTotals quarter_;
  YearTotals year_;
};

}  // namespace

std::optional<WorksheetFigures> RunWorksheetPass(RunContext& ctx, std::span<WorksheetSink* const> sinks) {
  std::optional<WorksheetFigures> figures = ComputeWorksheet(WorksheetRequestOf(ctx), sinks);
  RunState& s = ctx.state;
  if (!figures) {
    s.CancelRequested = 0;
    return figures;
  }
  // The forms print the dates and the employer name from the run's state, and the views show it:
  // what the worksheet decided is the run's from here on.
  s.EmployerName = figures->heading.employer_name;
  s.PayrollDate = figures->heading.payroll_date;
  s.ReportDate = figures->report_date;
  ctx.plan_totals = figures->plan_totals;
  return figures;
}

void ComputeFormPathParts(RunContext& ctx, ReportFigures& figures, std::span<WorksheetSink* const> sinks) {
  RunState& s = ctx.state;
  FormTotals form_totals(s.Print941 == 1, s.Print944 == 1);
  std::vector<WorksheetSink*> all(sinks.begin(), sinks.end());
  all.push_back(&form_totals);
  try {
    figures.worksheet = RunWorksheetPass(ctx, all);
  } catch (const RunError& error) {
    figures.worksheet.reset();
    figures.worksheet_error = error.number();
  }
  const bool complete = figures.worksheet.has_value();
  if (s.Print941 == 1) figures.form941 = ComputeForm941Page(ctx, form_totals.quarter(complete));
  if (s.Print944 == 1) figures.form944 = ComputeForm944Page(ctx, form_totals.year(complete));
  figures.voucher = ComputeVoucherPage(ctx);
}

ScheduleBOutcome ScheduleBOutcomeOf(const ReportFigures& figures) {
  if (figures.cancelled) return ScheduleBOutcome::kCancelled;
  if (figures.path == ReportPath::kShort) return ScheduleBOutcome::kNoForms;
  ScheduleBOutcome why = ScheduleBOutcome::kWritten;
  ScheduleBIsDue(figures.state, &why);
  return why;
}

ReportFigures ComputeClientFigures(std::string_view data_dir, std::string_view work_dir,
                                   std::string_view report_kind, Platform& platform,
                                   std::span<WorksheetSink* const> sinks) {
  ReportFigures figures;
  figures.report_kind = std::string(report_kind);
  RunContext ctx(platform);
  ctx.missing = MissingFile::kReadAsEmpty;
  // The steps of the report run up to its printing, in its order (RunReport, RunFormPath,
  // RunShortPath), with nothing saved and nothing printed.
  StartRun(ctx, data_dir, work_dir);
  RunState& s = ctx.state;
  if (TakesFormPath(s.ReportDate)) {
    figures.path = ReportPath::kForm;
    if (!s.DataDir.empty()) {
      if (AskFormPath(ctx)) {
        ComputeFormPathParts(ctx, figures, sinks);
        if (figures.form941) {
          try {
            figures.schedule_b = ReadScheduleB(s, ctx.missing);
          } catch (const RunError&) {
          }
        }
      } else {
        figures.cancelled = true;
      }
    }
  } else {
    figures.path = ReportPath::kShort;
    s.PrintDevice = "P";
    ShowReportDateDialog(ctx, ReportDateDialogTitle(report_kind));
    if (s.CancelRequested != 0) {
      s.CancelRequested = 0;
      figures.cancelled = true;
    } else if (report_kind == "941") {
      try {
        figures.worksheet = RunWorksheetPass(ctx, sinks);
      } catch (const RunError& error) {
        figures.worksheet_error = error.number();
      }
    }
  }
  std::string year = figures.form944 ? figures.form944->form_year : FormYear(s.ReportDate);
  figures.year = static_cast<int>(RoundHalfEven(ParseDecimal(year)));
  figures.quarter = figures.form941 ? figures.form941->quarter : QuarterOfMonthText(s.ReportDate);
  figures.state = s;
  return figures;
}

}  // namespace qreport
