#include "batch/client_job.h"
#include "batch/client_row_json.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "check/checks.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/paths.h"
#include "data/rates.h"
#include "data/record_file.h"
#include "data/report_writer.h"
#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"
#include "escp/interpreter.h"
#include "filing/return_outputs.h"
#include "forms/schedule_b_layout.h"
#include "json/figures_json.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "run/current_return_figures.h"
#include "run/report_run.h"
#include "run/run_session.h"
#include "text/ascii.h"

namespace qreport {
namespace fs = std::filesystem;
namespace {

// The files of a client folder that a run reads: everything but what the run itself writes.
bool IsRunOutput(const fs::path& file) {
  std::string name = LowerAscii(file.filename().string());
  return name == "report.txt" || name == "report.pdf" || name == "scheduleb.txt" || name.ends_with(".part");
}

// The rates folder of the job's client by the one rule of every command.
std::string RatesFolderOf(const ClientJob& job) { return RatesFolderFor(job.folder.string(), job.rates_dir); }

// The newest change among the client's inputs: the files of its folder and the rates folder's
// rates and letterhead files.
fs::file_time_type NewestInput(const ClientJob& job) {
  fs::file_time_type newest = fs::file_time_type::min();
  std::error_code ec;
  auto consider = [&](const fs::path& file) {
    fs::file_time_type t = fs::last_write_time(file, ec);
    if (!ec && t > newest) newest = t;
  };
  for (const fs::directory_entry& entry : fs::directory_iterator(job.folder, ec)) {
    if (entry.is_regular_file(ec) && !IsRunOutput(entry.path())) consider(entry.path());
  }
  consider(ResolveHostPath(RatesFolderOf(job), kRatesFileName));
  consider(ResolveHostPath(RatesFolderOf(job), "prep."));
  return newest;
}

// Every output exists and is newer than every input.
bool OutputsAreCurrent(const ClientJob& job, const std::vector<fs::path>& outputs) {
  fs::file_time_type newest_input = NewestInput(job);
  for (const fs::path& out : outputs) {
    std::error_code ec;
    fs::file_time_type t = fs::last_write_time(out, ec);
    if (ec || !fs::is_regular_file(out, ec) || t <= newest_input) return false;
  }
  return true;
}

// The summary shows the employer's fields without the blanks and NULs that pad them.
constexpr std::string_view kFieldPadding(" \0", 2);

// The row's employer texts, form, quarter, year and money figures, all from the figures.
void FillRowFigures(const ReportFigures& figures, ClientRow& row) {
  row.employer_name = TrimRight(figures.state.employer_name, kFieldPadding);
  row.quarter = figures.quarter;
  row.year = figures.year;
  if (figures.form941) {
    const ReturnLines& lines = figures.form941->lines;
    row.form = "941";
    row.ein = figures.form941->employer.ein_text;
    row.has_figures = true;
    row.line10 = lines[ReturnLine::kTotalTaxes];
    row.deposits = lines[ReturnLine::kDeposits];
    row.balance = lines[lines.overpaid ? ReturnLine::kOverpayment : ReturnLine::kBalanceDue];
  } else if (figures.form944) {
    const ReturnLines& lines = figures.form944->lines;
    row.form = "944";
    row.ein = figures.form944->employer.ein_text;
    row.has_figures = true;
    row.line10 = lines[ReturnLine::kTotalTaxes];
    row.deposits = lines[ReturnLine::kDeposits];
    row.balance = lines[lines.overpaid ? ReturnLine::kOverpayment : ReturnLine::kBalanceDue];
  } else {
    row.form = "worksheet";
  }
  row.ein = TrimRight(row.ein, kFieldPadding);
  if (const std::optional<CurrentReturn> filed = CurrentReturnOf(figures)) {
    row.has_return = true;
    row.return_total = (*filed)[CurrentFigure::kTotalTaxes];
    row.return_deposits = (*filed)[CurrentFigure::kDeposits];
    row.return_balance_due = (*filed)[CurrentFigure::kBalanceDue];
    row.return_overpayment = (*filed)[CurrentFigure::kOverpayment];
  }
}

// The summary's words for what became of Schedule B.
std::string ScheduleBText(ScheduleBOutcome outcome) {
  if (outcome == ScheduleBOutcome::kNotAsked) return "";
  if (outcome == ScheduleBOutcome::kWritten) return "written";
  return "not written: " + std::string(ScheduleBWhyNot(outcome));
}

// The row's findings: the first kRowFindings, each message cut at kFindingMessageBytes, and the
// number of those left out.
void KeepFindings(std::vector<Finding> findings, ClientRow& row) {
  for (const Finding& f : findings) ++(f.severity == Severity::kError ? row.error_findings : row.warning_findings);
  if (findings.size() > kRowFindings) {
    row.findings_left_out = findings.size() - kRowFindings;
    findings.resize(kRowFindings);
  }
  for (Finding& f : findings) {
    if (f.message.size() > kFindingMessageBytes) {
      f.message.resize(kFindingMessageBytes);
      f.message += "...";
    }
  }
  row.findings = std::move(findings);
}

// The record files that are cut short or are no files, in a few words; empty when there are none.
// The folder's entries tell, before anything is opened.
std::string RecordFileDamage(const fs::path& folder) {
  std::string damage;
  auto list = [&damage](const std::vector<std::string>& names, std::string_view one, std::string_view many) {
    if (names.empty()) return;
    std::string listed;
    for (const std::string& name : names) listed += (listed.empty() ? "" : ", ") + name;
    damage += (damage.empty() ? "" : "; ") + listed + std::string(names.size() == 1 ? one : many);
  };
  std::vector<std::string> cut;
  for (const CutShortFile& file : CutShortRecordFiles(folder.string())) cut.push_back(file.name);
  list(cut, " is cut short", " are cut short");
  list(RecordFilesNotRegular(folder.string()), " is not a file", " are not files");
  return damage;
}

// A file the checks could not read, in a few words; empty when there is none.
std::string UnreadableDamage(const std::vector<Finding>& findings) {
  for (const Finding& f : findings) {
    if (f.code == "unreadable") return f.message.substr(0, kFindingMessageBytes);
  }
  return "";
}

std::string Failed(ClientRow& row, std::string reason) {
  row.status = ClientStatus::kFailed;
  row.reason = std::move(reason);
  return row.reason;
}

}  // namespace

bool HasClientFile(const fs::path& folder) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(ResolveHostPath(folder.string(), kClientFileName), ec));
}

std::string OutputBaseName(const ClientRow& row, std::string_view form) {
  return row.folder + "-" + std::to_string(row.year) + "Q" + std::to_string(row.quarter) + "-" +
         std::string(form.empty() ? std::string_view(row.form) : form);
}

bool WriteFileAtomically(const fs::path& path, std::string_view bytes, std::string& error) {
  fs::path temp = path;
  temp += ".part";
  FileReplacement replacement(path, temp);
  if (!replacement.is_open()) {
    error = "cannot write " + temp.string() + ": " + std::strerror(replacement.error());
    return false;
  }
  if (replacement.Write(bytes) && replacement.Commit()) return true;
  error = "cannot write " + path.string() + ": " + std::strerror(replacement.error());
  return false;
}

namespace {

// Draws the printer text `text` ("the report", "Schedule B") into the PDF file `path` and notes
// it in the row's outputs; false with the row failed when it cannot be drawn or written.
bool WritePdfOutput(const ClientJob& job, std::string_view what, const std::string& text, const fs::path& path,
                    ClientRow& row) {
  try {
    escp::Document document = escp::Interpret(text, *job.fonts);
    std::ostringstream pdf;
    escp::WritePdf(document, *job.fonts, pdf);
    std::string error;
    if (!WriteFileAtomically(path, pdf.str(), error)) {
      Failed(row, error);
      return false;
    }
  } catch (const escp::RenderError& e) {
    Failed(row, std::string(what) + " cannot be drawn: " + e.what());
    return false;
  }
  row.outputs.push_back(path.string());
  return true;
}

// Where a client's outputs go: named after the client, its quarter and its form, beside its
// folder or in the batch's output folder.
struct JobOutputs {
  fs::path report, pdf, lines, schedule_b, schedule_b_pdf, return_json, return_pdf;
  std::vector<fs::path> expected;  // the ones this client's run writes
};

JobOutputs OutputsOf(const ClientJob& job, const ClientRow& row, ScheduleBOutcome schedule_b) {
  std::error_code ec;
  fs::path out_dir = job.out_dir.empty() ? fs::absolute(job.folder, ec).parent_path() : job.out_dir;
  JobOutputs o;
  std::string base = OutputBaseName(row);
  o.report = out_dir / (base + ".txt");
  o.pdf = out_dir / (base + ".pdf");
  o.lines = out_dir / (base + ".lines.json");
  o.return_json = out_dir / (base + ".return.json");
  o.return_pdf = out_dir / (base + ".return.pdf");
  o.expected = {o.report, o.lines};
  if (job.render) o.expected.push_back(o.pdf);
  // The current return of a form's client: the short route's report has none.
  if (job.current_return && row.form != "worksheet") {
    o.expected.push_back(o.return_json);
    o.expected.push_back(o.return_pdf);
  }
  // Schedule B's text and PDF beside the report's, when the run will write it.
  const std::string base_b = OutputBaseName(row, "scheduleb");
  o.schedule_b = out_dir / (base_b + ".txt");
  o.schedule_b_pdf = out_dir / (base_b + ".pdf");
  if (schedule_b == ScheduleBOutcome::kWritten) {
    o.expected.push_back(o.schedule_b);
    if (job.render) o.expected.push_back(o.schedule_b_pdf);
  }
  return o;
}

// Copies `file`, which the run wrote into the client folder, to `out` (a copy on disk: the
// report is not read back for it) through the temporary "OUT.part", replaced as every output is
// (CommitReplacement); false with the row failed when it cannot be done.
bool CopyRunOutput(const ClientJob& job, std::string_view file, const fs::path& out, ClientRow& row) {
  const fs::path from = ResolveHostPath(job.folder.string(), file);
  fs::path temp = out;
  temp += ".part";
  std::error_code ec;
  // What an interrupted batch left under the temporary's name goes first, a link as a link, so
  // that the copy makes a new file and follows nothing.
  fs::remove(temp, ec);
  ec.clear();
  fs::copy_file(from, temp, fs::copy_options::none, ec);
  if (!ec && !CommitReplacement(temp, out)) ec = std::error_code(errno, std::generic_category());
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    Failed(row, "cannot write " + out.string() + ": " + ec.message());
    return false;
  }
  row.outputs.push_back(out.string());
  return true;
}

// The printer text of `file` in the client folder, for its PDF; false with the row failed when it
// cannot be read.
bool ReadRunOutput(const ClientJob& job, std::string_view file, std::string_view what, std::string& text,
                   ClientRow& row) {
  try {
    text = ReadWholeFile(ResolveHostPath(job.folder.string(), file));
  } catch (const RunError& e) {
    Failed(row, std::string(what) + " cannot be read for its PDF (error " + std::to_string(e.number()) + ")");
    return false;
  }
  return true;
}

// The report, the figures' lines and the report's PDF; false with the row failed at the first
// that cannot be written.
bool WriteReportOutputs(const ClientJob& job, const ReportFigures& figures, nlohmann::ordered_json employee_lines,
                        const JobOutputs& o, ClientRow& row) {
  if (!CopyRunOutput(job, kReportFileName, o.report, row)) return false;
  std::string error;
  std::string lines = FiguresJson(figures, std::move(employee_lines)).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  if (!WriteFileAtomically(o.lines, lines + "\n", error)) {
    Failed(row, error);
    return false;
  }
  row.outputs.push_back(o.lines.string());
  if (!job.render || job.fonts == nullptr) return true;
  std::string report;
  return ReadRunOutput(job, kReportFileName, "the report", report, row) &&
         WritePdfOutput(job, "the report", report, o.pdf, row);
}

// Schedule B's text and PDF when the run wrote it; false with the row failed when the run could
// not write it or they cannot be written.
bool WriteScheduleBOutputs(const ClientJob& job, ScheduleBOutcome outcome, const JobOutputs& o, ClientRow& row) {
  if (outcome == ScheduleBOutcome::kFailed) {
    Failed(row, "Schedule B could not be written");
    return false;
  }
  if (outcome != ScheduleBOutcome::kWritten) return true;
  if (!CopyRunOutput(job, kScheduleBFileName, o.schedule_b, row)) return false;
  if (!job.render || job.fonts == nullptr) return true;
  std::string schedule_b;
  return ReadRunOutput(job, kScheduleBFileName, "Schedule B", schedule_b, row) &&
         WritePdfOutput(job, "Schedule B", schedule_b, o.schedule_b_pdf, row);
}

// The current return's JSON and filing sheet from the run's figures, for a form's client; false
// with the row failed when they cannot be drawn or written.
bool WriteReturnOutputs(const ClientJob& job, const ReportFigures& figures, const JobOutputs& o, ClientRow& row) {
  if (!job.current_return) return true;
  const std::optional<CurrentReturn> filed = CurrentReturnOf(figures);
  if (!filed) return true;
  std::string error;
  if (!WriteFileAtomically(o.return_json, CurrentReturnJsonText(*filed), error)) {
    Failed(row, error);
    return false;
  }
  row.outputs.push_back(o.return_json.string());
  if (job.fonts == nullptr) {
    Failed(row, "the filing sheet cannot be drawn: no fonts");
    return false;
  }
  try {
    if (!WriteFileAtomically(o.return_pdf, CurrentReturnPdf(CurrentReturnSheet(figures, *filed), *job.fonts), error)) {
      Failed(row, error);
      return false;
    }
  } catch (const escp::RenderError& e) {
    Failed(row, std::string("the filing sheet cannot be drawn: ") + e.what());
    return false;
  }
  row.outputs.push_back(o.return_pdf.string());
  return true;
}

}  // namespace

namespace {

// How a batch plays a client's run: the answers by the one rule of every command, and an empty
// printer reply chosen in advance, so that the finished report is handed to no printer.
PlatformOptions JobPlatformOptions(const ClientJob& job) {
  PlatformOptions options;
  options.answers_file = AnswersFileFor(job.folder.string(), {});
  options.has_printer_reply = true;
  options.never_interactive = true;
  return options;
}

RunSetup JobSetup(const ClientJob& job, bool writes_report) {
  RunSetup setup;
  setup.data_dir = job.folder.string();
  setup.rates_dir = RatesFolderOf(job);
  setup.answers_file = AnswersFileFor(job.folder.string(), {});
  setup.form = job.form;
  setup.writes_report = writes_report;
  setup.schedule_b = writes_report && job.schedule_b;
  return setup;
}

// The row's figures and findings from a session that only looks: for a client that is not run
// (its record files are damaged, or --skip-done leaves it).
struct LookedAt {
  ReportFigures figures;
  std::vector<Finding> findings;
};

// The figures of a session that only looks, after its dialog, and their findings: the employee
// checks ride on the figures' pass.
LookedAt ComputeAndCheck(const ClientJob& job, RunSession& session) {
  EmployeeChecks employee_checks;
  WorksheetSink* const sinks[] = {&employee_checks};
  LookedAt looked;
  looked.figures = session.Compute(sinks);
  looked.findings = CheckClient(looked.figures, job.folder.string(), RatesFolderOf(job), &employee_checks);
  return looked;
}

LookedAt LookAt(const ClientJob& job) {
  auto platform = MakePlatform(JobPlatformOptions(job));
  RunSession session(JobSetup(job, /*writes_report=*/false), *platform);
  session.AskUser();
  return ComputeAndCheck(job, session);
}

// --skip-done: whether the outputs this client's run would write are all newer than its inputs.
// They are named from the period and form the dialog leaves, before any employee is read; only a
// client that is left is then computed (once), for its row's figures and findings.
bool OutputsCurrent(const ClientJob& job, ClientRow& row) {
  auto platform = MakePlatform(JobPlatformOptions(job));
  RunSession session(JobSetup(job, /*writes_report=*/false), *platform);
  if (!session.AskUser()) return false;
  const ReportPeriod period = session.Period();
  ClientRow named = row;
  named.form = period.form;
  named.quarter = period.quarter;
  named.year = period.year;
  const ScheduleBOutcome expected_b = job.schedule_b
                                          ? ScheduleBOutcomeOf(/*cancelled=*/false, session.route(), session.state())
                                          : ScheduleBOutcome::kNotAsked;
  const JobOutputs outputs = OutputsOf(job, named, expected_b);
  if (!OutputsAreCurrent(job, outputs.expected)) return false;
  LookedAt looked = ComputeAndCheck(job, session);
  FillRowFigures(looked.figures, row);
  KeepFindings(std::move(looked.findings), row);
  row.status = ClientStatus::kSkipped;
  row.schedule_b = ScheduleBText(expected_b);
  for (const fs::path& p : outputs.expected) row.outputs.push_back(p.string());
  return true;
}

// The client's run, in one session: the report printed from the pass that computes the figures,
// the employee checks and the JSON lines seeing the same pass; then the checks of the figures
// and the outputs, none of them read back but the report's text for its PDF.
void RunAndPublish(const ClientJob& job, ClientRow& row) {
  auto platform = MakePlatform(JobPlatformOptions(job));
  RunSession session(JobSetup(job, /*writes_report=*/true), *platform);
  session.AskUser();
  EmployeeChecks employee_checks;
  EmployeeLinesJson employee_lines;
  WorksheetSink* const sinks[] = {&employee_checks, &employee_lines};
  std::string device = "P";
  RunOutcome outcome = session.Report(device, sinks);
  const ReportFigures& figures = session.figures();
  FillRowFigures(figures, row);
  if (outcome.cancelled) {
    Failed(row, "the answers cancel the dialog");
    return;
  }
  row.schedule_b = ScheduleBText(outcome.schedule_b);
  std::vector<Finding> findings = CheckClient(figures, job.folder.string(), RatesFolderOf(job), &employee_checks);
  std::string damage = UnreadableDamage(findings);
  KeepFindings(std::move(findings), row);
  if (!damage.empty()) {
    Failed(row, "its record files fail the checks: " + damage);
    return;
  }
  if (outcome.error_shown) {
    Failed(row, "the run showed an error message");
    return;
  }
  const JobOutputs outputs = OutputsOf(job, row, outcome.schedule_b);
  if (!WriteReportOutputs(job, figures, employee_lines.Take(), outputs, row)) return;
  if (!WriteScheduleBOutputs(job, outcome.schedule_b, outputs, row)) return;
  if (!WriteReturnOutputs(job, figures, outputs, row)) return;
  row.status = ClientStatus::kDone;
}

// Why the client is not run at all, as `qreport run` refuses it: its answers file has errors, or
// its return would be on the form route without usable rates. Empty when it can be run.
std::string Refusal(const ClientJob& job) {
  auto platform = MakePlatform(JobPlatformOptions(job));
  RunSession session(JobSetup(job, /*writes_report=*/false), *platform);
  if (!session.answers_errors().empty()) {
    std::string errors;
    for (const std::string& error : session.answers_errors()) errors += (errors.empty() ? "" : "; ") + error;
    return "its answers file has errors: " + errors;
  }
  if (session.route() == Route::kForm && !job.allow_zero_rates) {
    std::string problem = RatesProblem(job.folder.string(), RatesFolderOf(job));
    if (!problem.empty()) return problem + " (give --rates-dir, or --allow-zero-rates)";
  }
  return "";
}

}  // namespace

ClientRow RunClientJob(const ClientJob& job) {
  ClientRow row;
  row.path = job.folder.string();
  row.folder = job.folder.filename().string();
  if (row.folder.empty()) row.folder = job.folder.parent_path().filename().string();  // "dir/"
  std::error_code ec;
  if (!fs::is_directory(job.folder, ec)) {
    Failed(row, "no such client folder");
    return row;
  }
  if (std::string problem = FolderReadProblem(job.folder); !problem.empty()) {
    Failed(row, "the client folder cannot be read: " + problem);
    return row;
  }
  // A run would fill such a folder with empty record files and an empty report.
  if (!HasClientFile(job.folder)) {
    Failed(row, "not a client folder: it has no CLIENT file");
    return row;
  }
  // Files that are cut short give a report of zeros where their records should be, and a folder
  // under a record file's name reads as nothing: such a client is not done, whatever else its
  // checks say. Nothing is written for it.
  if (std::string damage = RecordFileDamage(job.folder); !damage.empty()) {
    LookedAt looked = LookAt(job);
    FillRowFigures(looked.figures, row);
    KeepFindings(std::move(looked.findings), row);
    Failed(row, "its record files fail the checks: " + damage);
    return row;
  }
  if (std::string refusal = Refusal(job); !refusal.empty()) {
    Failed(row, refusal);
    return row;
  }
  if (job.skip_done && OutputsCurrent(job, row)) return row;
  RunAndPublish(job, row);
  return row;
}

std::string RowToJsonLine(const ClientRow& row) {
  // Bytes that are not UTF-8 (the record files' texts) are replaced rather than refused.
  return nlohmann::ordered_json(row).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool RowFromJsonLine(std::string_view line, ClientRow& row) {
  nlohmann::json j = nlohmann::json::parse(line, nullptr, /*allow_exceptions=*/false);
  if (!j.is_object()) return false;
  try {
    row = j.get<ClientRow>();
  } catch (const nlohmann::json::exception&) {
    return false;
  }
  return true;
}

}  // namespace qreport
