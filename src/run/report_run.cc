#include "run/report_run.h"

#include <exception>
#include <filesystem>
#include <optional>

#include "data/client_file.h"
#include "data/errors.h"
#include "data/liability_file.h"
#include "data/paths.h"
#include "data/record_file.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "run/stages.h"
#include "text/numbers.h"
#include "worksheet/worksheet_run.h"
#include "data/report_writer.h"

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

bool TakesFormPath(std::string_view report_date) {
  std::string_view year = report_date.size() >= 2 ? report_date.substr(report_date.size() - 2) : report_date;
  return ParseDecimal(year) > 4;
}

void ReadFormPathEntries(RunContext& ctx) {
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

void StartRun(RunContext& ctx, std::string_view data_dir, std::string_view work_dir) {
  RunState& s = ctx.state;
  ctx.work_dir = std::string(work_dir);
  s.DataDir = std::string(data_dir);
  ReadClientIntoState(ctx);
  s.ReportDate = s.PayrollDate;
  s.MonthLiability[1] = s.MonthLiability[2] = s.MonthLiability[3] = 0;
}

bool AskFormPath(RunContext& ctx) {
  RunState& s = ctx.state;
  ReadFormPathEntries(ctx);
  ShowOptionsDialog(ctx);
  if (s.CancelRequested != 0) {
    s.CancelRequested = 0;
    return false;
  }
  return true;
}

void RunFormPath(RunContext& ctx, RunOutcome& outcome) {
  RunState& s = ctx.state;
  if (s.DataDir.empty()) return;
  if (!AskFormPath(ctx)) {
    outcome.cancelled = true;
    if (ctx.want_schedule_b) ctx.schedule_b_result = ScheduleBOutcome::kCancelled;
    return;
  }
  SaveEntries(ctx);
  if (BeginReport(ctx, /*show_error=*/true)) {
    // The pages are a view of the computed figures: the worksheet's lines are printed as the
    // pass makes them, the other parts once computed.
    ComputeAndPrintFormPathParts(ctx);
    FinishReport(ctx);
  }
  s.PrintDevice = "P";
  HandOffToPrinter(ctx, /*short_path=*/false, outcome);
  // After the report has gone its way, so that nothing about it depends on this page.
  if (ctx.want_schedule_b) WriteScheduleB(ctx);
}

void RunShortPath(RunContext& ctx, std::string& device_code, std::string_view report_kind, RunOutcome& outcome) {
  RunState& s = ctx.state;
  s.PrintDevice = "P";
  device_code = "P";
  ShowReportDateDialog(ctx, ReportDateDialogTitle(report_kind));
  device_code = s.PrintDevice;
  if (s.CancelRequested != 0) {
    device_code = "X";
    s.CancelRequested = 0;
    outcome.cancelled = true;
    return;
  }
  // From here on any failing step ends the run; a report that cannot be started ends it quietly.
  if (!BeginReport(ctx, /*show_error=*/false)) return;
  if (s.PrintDevice.empty()) s.PrintDevice = "P";
  device_code = s.PrintDevice;
  if (report_kind == "941") RunWorksheet(ctx);
  FinishReport(ctx);
  if (s.PrintDevice == "P") HandOffToPrinter(ctx, /*short_path=*/true, outcome);
}

RunOutcome RunReport(std::string_view data_dir, std::string& device_code, std::string_view report_kind,
                     Platform& platform, std::string_view work_dir, const RunExtras& extras) {
  RunOutcome outcome;
  // A fault that ends the run early leaves Schedule B unwritten.
  if (extras.schedule_b) outcome.schedule_b = ScheduleBOutcome::kFailed;
  try {
    // Two runs of one client would mix their pages and race on the saved entries. Whatever a
    // killed run left in the folder is removed once the lock is ours: no run is using it.
    std::optional<FolderLock> lock;
    if (!data_dir.empty()) {
      lock.emplace(std::filesystem::path(std::string(data_dir)));
      if (lock->held()) RemoveLeftoverTemporaries(std::filesystem::path(std::string(data_dir)));
    }
    RunContext ctx(platform);
    StartRun(ctx, data_dir, work_dir);
    if (extras.schedule_b) {
      ctx.want_schedule_b = true;
      ctx.schedule_b_result = ScheduleBOutcome::kNoForms;
    }
    RunState& s = ctx.state;
    if (TakesFormPath(s.ReportDate)) {
      RunFormPath(ctx, outcome);
    } else {
      RunShortPath(ctx, device_code, report_kind, outcome);
    }
    outcome.error_shown = outcome.error_shown || ctx.error_shown;
    outcome.incomplete_report = ctx.incomplete_report;
    outcome.schedule_b = ctx.schedule_b_result;
  } catch (const RunInterrupted&) {
    throw;  // only the command's platform stops a run so; its caller says so
  } catch (const std::exception& e) {
    // Nothing a run meets may reach the host; this is a fault of the module, not of the data.
    outcome.error_shown = true;
    try {
      platform.MessageBox(kDefaultCaption, std::string("Error ") + e.what());
    } catch (...) {
    }
  } catch (...) {
    outcome.error_shown = true;
  }
  return outcome;
}

}  // namespace qreport
