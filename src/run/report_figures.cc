#include "run/report_figures.h"

#include <exception>

#include "data/errors.h"
#include "forms/form941.h"
#include "forms/form_prints.h"
#include "run/report_run.h"
#include "run/stages.h"
#include "text/numbers.h"

namespace qreport {

void ComputeFormPathParts(RunContext& ctx, ReportFigures& figures) {
  RunState& s = ctx.state;
  try {
    figures.worksheet = ComputeWorksheet(ctx);
    if (figures.worksheet) ctx.plan_totals = figures.worksheet->plan_totals;
  } catch (const RunError& error) {
    figures.worksheet.reset();
    figures.worksheet_error = error.number();
  }
  if (s.Print941 == 1) figures.form941 = ComputeForm941Page(ctx);
  if (s.Print944 == 1) figures.form944 = ComputeForm944Page(ctx);
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
                                   std::string_view report_kind, Platform& platform) {
  ReportFigures figures;
  figures.report_kind = std::string(report_kind);
  RunContext ctx(platform);
  ctx.missing = MissingFile::kReadAsEmpty;
  ctx.work_dir = std::string(work_dir);
  RunState& s = ctx.state;
  s.DataDir = std::string(data_dir);
  // The steps of the report run up to its printing, in its order (RunReport, RunFormPath,
  // RunShortPath), with nothing saved and nothing printed.
  ReadClientIntoState(ctx);
  s.ReportDate = s.PayrollDate;
  s.MonthLiability[1] = s.MonthLiability[2] = s.MonthLiability[3] = 0;
  if (TakesFormPath(s.ReportDate)) {
    figures.path = ReportPath::kForm;
    if (!s.DataDir.empty()) {
      if (AskFormPath(ctx)) {
        ComputeFormPathParts(ctx, figures);
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
        figures.worksheet = ComputeWorksheet(ctx);
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
