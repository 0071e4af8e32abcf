#include "run/report_figures.h"

#include <exception>

#include "data/errors.h"
#include "forms/form941.h"
#include "forms/form_prints.h"
#include "run/report_run.h"
#include "run/stages.h"
#include "text/numbers.h"

namespace qreport {

void ComputeFormPathParts(RunContext& ctx, ReportFigures& figures, std::span<WorksheetSink* const> sinks) {
  RunState& s = ctx.state;
  try {
    figures.worksheet = ComputeWorksheet(ctx, sinks);
    if (figures.worksheet) ctx.PlanTotalA = figures.worksheet->plan_totals;
  } catch (const RunError& error) {
    figures.worksheet.reset();
    figures.worksheet_error = error.number();
  }
  if (s.Print941 == 1) figures.form941 = ComputeForm941Page(ctx);
  if (s.Print944 == 1) figures.form944 = ComputeForm944Page(ctx);
  figures.voucher = ComputeVoucherPage(ctx);
}

ReportFigures ComputeClientFigures(std::string_view data_dir, std::string_view work_dir,
                                   std::string_view report_kind, Platform& platform,
                                   std::span<WorksheetSink* const> sinks) {
  ReportFigures figures;
  figures.report_kind = std::string(report_kind);
  RunContext ctx(platform);
  ctx.Missing = MissingFile::kReadAsEmpty;
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
            figures.schedule_b = ReadScheduleB(s, ctx.Missing);
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
    ShowShortDialog(ctx, report_kind == "941" ? "Quarterly Report" : "");
    if (s.CancelRequested != 0) {
      s.CancelRequested = 0;
      figures.cancelled = true;
    } else if (report_kind == "941") {
      try {
        figures.worksheet = ComputeWorksheet(ctx, sinks);
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
