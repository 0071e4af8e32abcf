// The printing stages of the report run: the worksheet, the forms and the voucher.
#include "run/stages.h"

#include <cerrno>
#include <optional>
#include <system_error>
#include <vector>

#include "data/errors.h"
#include "data/paths.h"
#include "data/record_file.h"
#include "data/report_writer.h"
#include "forms/form_prints.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "text/masks.h"
#include "worksheet/worksheet_run.h"

namespace qreport {
namespace {

// Notes what kind of failure `error` is: a failed write keeps the report file as it was, a
// failed read sends the report to the side file.
void NoteFailure(RunContext& ctx, const RunError& error) {
  if (dynamic_cast<const WriteError*>(&error) != nullptr) {
    ctx.report_write_failed = true;
  } else {
    ctx.report_read_failed = true;
  }
}

// Runs one form-path printing step on the report file. A report file that cannot be written is
// shown with the module's error message, so that a report missing its form is never handed on
// in silence; a run shows that message once, however many steps then fail on the same file.
void AppendStep(RunContext& ctx, void (*step)(RunContext&, const std::filesystem::path&)) {
  try {
    step(ctx, ReportOutputPath(ctx));
  } catch (const RunError& error) {
    NoteFailure(ctx, error);
    if (!ctx.error_shown) {
      ctx.error_shown = true;
      ShowRunError(ctx.platform, error.number());
    }
  }
}

// A part computed, what the run keeps of it taken, and appended, as the report run does.
void PrintForm941Facsimile(RunContext& ctx, const std::filesystem::path& report) {
  Form941Page page = ComputeForm941Page(ctx);
  TakePageTexts(ctx.state, page);
  AppendForm941(page, report);
}

void PrintForm944Facsimile(RunContext& ctx, const std::filesystem::path& report) {
  Form944Page page = ComputeForm944Page(ctx);
  TakePageTexts(ctx.state, page);
  AppendForm944(page, report);
}

void PrintPaymentVoucher(RunContext& ctx, const std::filesystem::path& report) {
  VoucherPage page = ComputeVoucherPage(ctx);
  TakeEmployerTexts(ctx.state, page.employer_texts);
  AppendVoucher(page, report);
}

// Shows the write-failure message for error `number`, once a run.
void ShowWriteFailure(RunContext& ctx, int number) {
  ctx.report_write_failed = true;
  if (ctx.error_shown) return;
  ctx.error_shown = true;
  ShowRunError(ctx.platform, number);
}

// A worksheet that opened the report sets the print device to "P", so that the short route hands
// its report to the printer whatever device its dialog ended with. The worksheet's printing only
// says whether it opened the report; the run's state is the run's to change.
void TakeWorksheetPrintDevice(RunContext& ctx, const WorksheetPrinting& worksheet) {
  if (worksheet.opened()) ctx.state.device_code = "P";
}

// Notes the failure of the worksheet's printing and shows its message.
void ShowStepFailure(RunContext& ctx, const RunError& error) {
  NoteFailure(ctx, error);
  ctx.error_shown = true;
  ShowRunError(ctx.platform, error.number());
}

void RemoveQuietly(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

}  // namespace

bool BeginReport(RunContext& ctx, bool show_error) {
  std::filesystem::path target = ResolveHostPath(ctx.state.data_dir, kReportFileName);
  ctx.report_path.clear();
  ctx.report_write_failed = false;
  int number = 0;
  if (IsPresentButNotRegular(target)) {
    // A link, folder, pipe or device under the report's name is never written or replaced.
    number = kErrPathFileAccess;
  } else {
    std::filesystem::path temp;
    std::FILE* file = CreateReplacementFor(target, temp);
    if (file != nullptr) {
      std::fclose(file);
      ctx.report_path = temp.string();
      return true;
    }
    int error = errno;
    // A folder the user may not create files in, with a report file the user may write: the
    // report is written in place, as it always was there.
    std::error_code ec;
    bool no_new_files = error == EACCES || error == EPERM || error == EROFS;
    if (no_new_files && std::filesystem::is_regular_file(target, ec)) {
      try {
        OutputFile(target).Close();
        return true;
      } catch (const RunError& e) {
        number = e.number();
      }
    } else {
      number = OpenErrorNumber(target, error);
    }
  }
  ctx.report_write_failed = true;
  if (show_error) ShowWriteFailure(ctx, number);
  return false;
}

void FinishReport(RunContext& ctx) {
  if (ctx.report_path.empty()) return;  // written in place
  std::filesystem::path temp = ctx.report_path;
  ctx.report_path.clear();
  // A report printed from files that could not be read is wrong (a form of zero wages, a false
  // overpayment): the last good report stays, and this one goes beside it under its own name.
  std::filesystem::path target =
      ResolveHostPath(ctx.state.data_dir, ctx.report_read_failed ? kIncompleteReportFileName : kReportFileName);
  // On disk before the rename, so that a crash leaves the old report or the whole new one.
  if (!ctx.report_write_failed) {
    if (CommitReplacement(temp, target)) {
      if (ctx.report_read_failed) {
        ctx.incomplete_report = target.string();
      } else {
        // A whole report supersedes what an earlier failed run left beside it.
        std::filesystem::path stale = ResolveHostPath(ctx.state.data_dir, kIncompleteReportFileName);
        std::error_code ec;
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(stale, ec))) RemoveQuietly(stale);
      }
      return;
    }
    ShowWriteFailure(ctx, ErrorNumberFromErrno(errno));
  }
  RemoveQuietly(temp);
}


void ShowRunError(Platform& platform, int number) {
  platform.MessageBox("at line " + NumberText(0), "Error " + NumberText(number));
}

void RunWorksheet(RunContext& ctx, ReportFigures* report_figures, std::span<WorksheetSink* const> sinks) {
  WorksheetPrinting worksheet(ReportOutputPath(ctx));
  std::vector<WorksheetSink*> all{&worksheet};
  all.insert(all.end(), sinks.begin(), sinks.end());
  std::optional<WorksheetFigures> figures;
  try {
    figures = RunWorksheetPass(ctx, all);
  } catch (const RunError& error) {
    if (report_figures != nullptr) report_figures->worksheet_error = error.number();
    TakeWorksheetPrintDevice(ctx, worksheet);
    // The report holds no part of a worksheet that could not be read.
    if (!worksheet.Discard()) ctx.report_write_failed = true;
    ShowStepFailure(ctx, error);
    return;
  }
  TakeWorksheetPrintDevice(ctx, worksheet);
  if (report_figures != nullptr) report_figures->worksheet = figures;
  try {
    if (figures) worksheet.Finish(*figures);
  } catch (const RunError& error) {
    ShowStepFailure(ctx, error);
  }
}

void PrintFormRouteParts(RunContext& ctx, const ReportFigures& figures, WorksheetPrinting& worksheet) {
  std::filesystem::path report = ReportOutputPath(ctx);
  try {
    if (figures.worksheet_error) {
      if (!worksheet.Discard()) ctx.report_write_failed = true;
      throw RunError(*figures.worksheet_error, "worksheet");
    }
    if (figures.worksheet) worksheet.Finish(*figures.worksheet);
  } catch (const RunError& error) {
    ShowStepFailure(ctx, error);
  }
  auto step = [&](auto append, const auto& page) {
    try {
      append(page, report);
    } catch (const RunError& error) {
      NoteFailure(ctx, error);
      if (!ctx.error_shown) {
        ctx.error_shown = true;
        ShowRunError(ctx.platform, error.number());
      }
    }
  };
  if (figures.form941) step(AppendForm941, *figures.form941);
  if (figures.form944) step(AppendForm944, *figures.form944);
  if (figures.voucher) step(AppendVoucher, *figures.voucher);
}

void ComputeAndPrintFormRouteParts(RunContext& ctx, ReportFigures& figures, std::span<WorksheetSink* const> sinks) {
  WorksheetPrinting worksheet(ReportOutputPath(ctx));
  std::vector<WorksheetSink*> all{&worksheet};
  all.insert(all.end(), sinks.begin(), sinks.end());
  ComputeFormRouteParts(ctx, figures, all);
  TakeWorksheetPrintDevice(ctx, worksheet);
  PrintFormRouteParts(ctx, figures, worksheet);
}

void PrintForm941(RunContext& ctx) { AppendStep(ctx, PrintForm941Facsimile); }
void PrintForm944(RunContext& ctx) { AppendStep(ctx, PrintForm944Facsimile); }
void PrintVoucher(RunContext& ctx) { AppendStep(ctx, PrintPaymentVoucher); }

}  // namespace qreport
