#include "cli/run_command.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/command.h"
#include "data/client_file.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/paths.h"
#include "data/rates.h"
#include "data/record_file.h"
#include "data/report_writer.h"
#include "forms/employer_block.h"
#include "platform/files.h"
#include "forms/schedule_b.h"
#include "run/dialogs.h"
#include "run/report_run.h"
#include "run/run_session.h"
#include "run/saved_entries.h"
#ifdef QREPORT_RENDERER
#include "escp/cairo/render.h"
#endif

namespace qreport::cli {
namespace {

namespace fs = std::filesystem;

struct RunOptions {
  RunRequest request;
  std::string answers_file;
  std::string printer_reply;
  bool has_printer_reply = false;
};

std::string ShownFolder(const std::string& folder) {
  std::error_code ec;
  fs::path absolute = fs::absolute(folder.empty() ? "." : folder, ec);
  std::string shown = (ec ? fs::path(folder) : absolute.lexically_normal()).string();
  if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
  return shown;
}

// The report's path as the run names it.
std::string ReportPath(const RunRequest& request) {
  return ResolveHostPath(request.data_dir, kReportFileName).string();
}

// Whether a file has content, read without creating it.
bool HasContent(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec) && fs::file_size(path, ec) > 0 && !ec;
}

// What the run will play its answers against, as a run session that only looks opens the client
// (nothing is created): the dialog of its route, and the preparer codes it starts with.
struct PlannedRun {
  bool form_route = false;
  DialogTable dialog;
  std::string preparer_codes;
  std::vector<std::string> answers_errors, answers_warnings;  // "PATH:LINE: message"
};

PlannedRun PlanRun(const RunRequest& request) {
  RunSetup setup;
  setup.data_dir = request.data_dir;
  setup.rates_dir = request.rates_dir;
  setup.report_kind = request.kind;
  setup.answers_file = request.platform.answers_file;
  setup.writes_report = false;
  auto platform = MakePlatform(request.platform);
  RunSession session(std::move(setup), *platform);
  PlannedRun plan{session.route() == Route::kForm, session.Dialog(), session.state().preparer_codes, {}, {}};
  if (!request.platform.answers_file.empty()) {
    plan.answers_errors = AnswersFileErrors(request.platform.answers_file, session, &plan.answers_warnings);
  }
  return plan;
}

// The preparer codes the run will print with: the saved entries' text, unless the answers set
// the box.
std::string PreparerCodes(const PlannedRun& plan, const std::string& answers) {
  std::string codes = plan.preparer_codes;
  const std::string prefix = std::to_string(kPreparerCodesBox) + "=";
  std::size_t start = 0;
  while (start < answers.size()) {
    std::size_t end = answers.find('\n', start);
    std::string line = answers.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with(prefix)) codes = line.substr(prefix.size());
    start = end == std::string::npos ? answers.size() : end + 1;
  }
  return codes;
}

// The warnings about the set-up, each one line on standard error; none changes the run.
void WarnAboutSetUp(const RunRequest& request, const PlannedRun& plan, const std::string& answers) {
  const std::string rates_folder = ShownFolder(request.rates_dir);
  // On the form route a run without usable rates was refused unless --allow-zero-rates.
  if (std::string problem = RatesProblem(request.data_dir, request.rates_dir); !problem.empty()) {
    std::cerr << "warning: " << problem << "\n";
  }
  if (plan.form_route && !HasContent(ResolveHostPath(request.rates_dir, kLetterheadFileName))) {
    std::string codes = PreparerCodes(plan, answers);
    if (codes.find_first_not_of(' ') != std::string::npos) {
      std::cerr << "warning: the preparer codes are set ('" << codes << "') but there is no letterhead file prep in "
                << rates_folder << ": the preparer lines will print empty\n";
    }
  }
  if (!DialogsReachAUser(request.platform)) {
    std::cerr << "warning: no terminal and no answers file: the dialog closed with the values it showed first;"
                 " give --answers\n";
  }
}

int RunFromOptions(RunOptions& options) {
  RunRequest request = options.request;
  request.platform = PlatformOptionsFromEnvironment();
  request.platform.answers_file = AnswersFileOf(request.data_dir, options.answers_file);
  if (options.has_printer_reply) {
    request.platform.printer_reply = options.printer_reply;
    request.platform.has_printer_reply = true;
  }
  std::error_code ec;
  if (!fs::is_directory(request.data_dir, ec)) {
    std::cerr << "qreport: no such client folder: " << request.data_dir << "\n";
    return kCouldNotStart;
  }
  // Its files would all read as missing: the run would take the short route and an answers file
  // for the options dialog would be blamed for it.
  if (std::string problem = FolderReadProblem(request.data_dir); !problem.empty()) {
    std::cerr << "qreport: cannot read the client folder " << request.data_dir << ": " << problem << "\n";
    return kCouldNotStart;
  }
  // Likewise a client file this user may not read: the run would take the short route.
  if (fs::path client = ResolveHostPath(request.data_dir, kClientFileName); fs::exists(fs::symlink_status(client, ec))) {
    std::FILE* file = OpenRegularForReading(client);
    if (file != nullptr) {
      std::fclose(file);
    } else if (errno == EACCES || errno == EPERM) {
      std::cerr << "qreport: cannot read the client file " << client.string() << ": " << std::strerror(errno) << "\n";
      return kCouldNotStart;
    }
  }
  if (!request.rates_dir.empty() && !fs::is_directory(request.rates_dir, ec)) {
    std::cerr << "qreport: no such rates folder: " << request.rates_dir << "\n";
    return kCouldNotStart;
  }
  request.rates_dir = ChooseRatesFolder(request.data_dir, request.rates_dir);
  const std::string& answers_file = request.platform.answers_file;
  std::string answers;
  if (!answers_file.empty()) {
    if (!fs::is_regular_file(answers_file, ec)) {
      std::cerr << "qreport: cannot read the answers file " << answers_file << "\n";
      return kCouldNotStart;
    }
    answers = ReadWholeFile(answers_file);
  }
  PlannedRun plan = PlanRun(request);
  for (const std::string& warning : plan.answers_warnings) std::cerr << "warning: " << warning << "\n";
  for (const std::string& error : plan.answers_errors) std::cerr << "qreport: " << error << "\n";
  if (!plan.answers_errors.empty()) return kUsage;
  // A return with social security and Medicare of 0 is wrong whatever else it holds.
  if (plan.form_route && !RatesUsable(request.data_dir, request.rates_dir, request.allow_zero_rates)) return kUsage;
  WarnAboutSetUp(request, plan, answers);
  return RunClientReport(request);
}

// Where Schedule B went, or why it was not written.
void TellScheduleB(ScheduleBOutcome outcome, const std::string& data_dir) {
  if (outcome == ScheduleBOutcome::kNotAsked) return;
  if (outcome == ScheduleBOutcome::kWritten) {
    std::cout << "schedule b: " << (std::filesystem::path(data_dir) / "scheduleb.txt").string() << "\n";
    return;
  }
  std::cerr << "qreport: no Schedule B: " << ScheduleBWhyNot(outcome)
            << (outcome == ScheduleBOutcome::kFailed ? " (see the message above)" : "") << "\n";
}

// The last line of a run that printed a form: the form is the host's revision, not the one to file.
void TellFacsimile(const RunOutcome& outcome, const std::string& data_dir) {
  if (!outcome.form_printed) return;
  std::cerr << "note: the printed Form 941/944 are the revisions the host's module printed, for its records and "
               "printers; to file, use `qreport return "
            << data_dir << "`\n";
}

}  // namespace

int RunClientReport(const RunRequest& request) {
  PlatformOptions options = request.platform;
  options.command_line = true;
  options.stop_on_interrupt = true;
#ifdef QREPORT_RENDERER
  options.render_pdf = &escp::RenderReportForPrinting;
#endif
  const std::string report = ReportPath(request);
  std::error_code ec;
  const bool earlier_report = fs::exists(report, ec);
  CatchInterrupts();
  // Measured before the run, which creates missing files but changes none.
  const std::vector<CutShortFile> cut_short = CutShortRecordFiles(request.data_dir);
  std::string device = request.device;
  RunOutcome outcome;
  bool interrupted = false;
  try {
    auto platform = MakePlatform(options);
    RunExtras extras;
    extras.schedule_b = request.schedule_b;
    extras.form = request.form;
    outcome = RunReport(request.data_dir, device, request.kind, *platform, request.rates_dir, extras);
  } catch (const RunInterrupted&) {
    interrupted = true;
  }
  if (interrupted || InterruptRequested()) {
    bool printed = !interrupted && outcome.hand_off == RunOutcome::HandOff::kPrinted;
    std::cerr << "qreport: interrupted; " << (printed ? "the report was handed to the printer first" : "nothing was printed")
              << "\n";
    return kInterrupted;
  }
  std::cout << "device code: " << device << std::endl;
  TellScheduleB(outcome.schedule_b, request.data_dir);
  if (outcome.cancelled) {
    std::cerr << "qreport: cancelled: no report written";
    if (earlier_report) std::cerr << "; " << report << " is from an earlier run";
    std::cerr << "\n";
    return kCancelled;
  }
  if (outcome.error_shown) {
    if (!outcome.incomplete_report.empty()) {
      std::cerr << "qreport: incomplete: the run showed an error message; " << report << " was left as it was and "
                << outcome.incomplete_report << " holds the incomplete report\n";
    } else {
      std::cerr << "qreport: incomplete: the run showed an error message; " << report << " is not a whole report\n";
    }
    return kIncomplete;
  }
  // The short route ends without a word when it cannot create the report; the command says so.
  if (!fs::is_regular_file(report, ec)) {
    std::cerr << "qreport: incomplete: no report could be written to " << report << "\n";
    return kIncomplete;
  }
  // The host prints what such files hold, as far as they go; the command says they are damaged.
  for (const CutShortFile& file : cut_short) {
    std::cerr << "warning: " << file.name << " is cut short: " << file.size << " bytes is not a whole number of "
              << file.record_length << "-byte records; the report lacks whatever the rest of it held\n";
  }
  switch (outcome.hand_off) {
    case RunOutcome::HandOff::kFailed:
      std::cerr << "qreport: not printed: " << outcome.hand_off_problem << "; the report is " << report << "\n";
      TellFacsimile(outcome, request.data_dir);
      return kNotPrinted;
    case RunOutcome::HandOff::kNothingChosen:
      // The user chose not to print (or nothing could ask): the run did what was asked.
      std::cerr << "nothing printed; the report is " << report << "\n";
      break;
    case RunOutcome::HandOff::kNotAttempted:
    case RunOutcome::HandOff::kPrinted:
      break;
  }
  if (!cut_short.empty()) {
    std::cerr << "qreport: damaged: " << cut_short.size() << " record file" << (cut_short.size() == 1 ? " is" : "s are")
              << " cut short; " << report << " holds what they hold, with their missing bytes as zeros\n";
    TellFacsimile(outcome, request.data_dir);
    return kDamaged;
  }
  TellFacsimile(outcome, request.data_dir);
  return kDone;
}

void AddRunCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<RunOptions>();
  CLI::App* sub = app.add_subcommand("run", "runs the quarterly report for a client folder as the host program would");
  sub->footer(
      "The report is written to DATADIR/report.txt; the rates file FICA.RAT and the letterhead file\n"
      "prep are read (never created) from the rates folder: --rates-dir, else DATADIR when it holds\n"
      "FICA.RAT, else the current folder as the host does (a note names the rates file when it is\n"
      "not DATADIR's). A payroll year after 04 takes the form path (options dialog, worksheet, Form\n"
      "941 or 944, payment voucher); 00 to 04 the short path (report date dialog and, for --kind\n"
      "941, the worksheet). Ends with the line 'device code: <value>'.\n"
      "On the form path a missing or empty rates file, or a social security or Medicare rate of 0,\n"
      "stops the run before it starts (status 2) unless --allow-zero-rates is given.\n"
      "The form is what the dialog's Print 941 / Print 944 box says (answers line 242 or 243);\n"
      "--form 941|944 sets that box after the answers, so it wins over them. --kind is the host's\n"
      "report kind and never chooses the form: 941 (default) is the quarterly report; none is\n"
      "what the host gets for any other kind (on the short path an untitled dialog and an empty\n"
      "report; on the form path the same report).\n"
      "The dialog is played from the answers FILE (or $QREPORT_ANSWERS, or DATADIR/answers when\n"
      "there is one), checked line by line before the run: a line that names no control of the\n"
      "dialog, a check box's text other than 0 or 1, or a money box's text that is not an amount is\n"
      "an error 'FILE:LINE: message' (status 2). Else the dialog is shown in the terminal; else it\n"
      "closes at once with the values it showed first. The printer picker's reply is TEXT\n"
      "(NAME*PRINTER*FIELD3*FLAG, e.g. X*office*CUPS*N or X*PDF*FILE*Y; or $QREPORT_PRINTER_REPLY),\n"
      "else asked in the terminal when no answers file is played; a run played from answers asks\n"
      "nothing.\n"
      "With --schedule-b a semiweekly depositor's Form 941 run also writes Schedule B (the\n"
      "quarter's liability day by day from the liability file) to DATADIR/scheduleb.txt, after\n"
      "the report; report.txt and the print command stay the same. Otherwise it says why not.\n"
      "\n"
      "Exit status: 0 the report was written and handed on, or nothing was to be printed (no\n"
      "reply, or Esc in the printer picker); 1 the run could not start; 2 wrong usage, an answers\n"
      "file with errors or unusable rates on the form path included; 3 cancelled: no report was\n"
      "written; 4 incomplete: the run showed an error message (when a record file could not be\n"
      "read, report.txt is kept and the new report goes to report.incomplete.txt); 5 written but\n"
      "not printed (a reply that names no printer, no print server or one that refused the job); 6\n"
      "written and handed on, but a record file is cut short (see the warning); 130 interrupted\n"
      "(Ctrl-C). Every status but 0 comes with\n"      "one line saying why.");
  sub->add_option("DATADIR", options->request.data_dir, "the client folder")->required()->type_name("");
  AddKindOption(*sub, options->request.kind);
  AddFormOption(*sub, options->request.form);
  sub->add_option("--device", options->request.device, "the device code the host passes (default P)")
      ->type_name("CODE");
  sub->add_option("--answers", options->answers_file, "plays the dialogs from this answers file")->type_name("FILE");
  sub->add_option("--printer-reply", options->printer_reply, "the printer picker's reply")
      ->type_name("TEXT")
      ->each([options](const std::string&) { options->has_printer_reply = true; });
  sub->add_option("--rates-dir", options->request.rates_dir,
                  "the folder of FICA.RAT and prep (default: DATADIR when it holds FICA.RAT, else .)")
      ->type_name("DIR");
  sub->add_flag("--allow-zero-rates", options->request.allow_zero_rates,
                "runs the form path even without usable rates (social security and Medicare print as 0)");
  sub->add_flag("--schedule-b", options->request.schedule_b,
               "also writes Schedule B to DATADIR/scheduleb.txt when the semiweekly depositor box is checked");
  sub->callback([options, &exit_status] { exit_status = RunFromOptions(*options); });
}

}  // namespace qreport::cli
