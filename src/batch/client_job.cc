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
#include "forms/schedule_b_layout.h"
#include "json/figures_json.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "run/report_run.h"
#include "text/ascii.h"

namespace qreport {
namespace fs = std::filesystem;
namespace {

// The files of a client folder that a run reads: everything but what the run itself writes.
bool IsRunOutput(const fs::path& file) {
  std::string name = LowerAscii(file.filename().string());
  return name == "report.txt" || name == "report.pdf" || name == "scheduleb.txt" || name.ends_with(".part");
}

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
  consider(ResolveHostPath(job.rates_dir, kRatesFileName));
  consider(ResolveHostPath(job.rates_dir, "prep."));
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
void FillRowFigures(const ReportFigures& f, ClientRow& row) {
  row.employer_name = TrimRight(f.state.EmployerName, kFieldPadding);
  row.quarter = f.quarter;
  row.year = f.year;
  if (f.form941) {
    const Form941Lines& l = f.form941->lines;
    row.form = "941";
    row.ein = f.form941->employer.ein_text;
    row.has_figures = true;
    row.line10 = l.line10;
    row.deposits = l.line11;
    row.balance = l.overpaid ? l.line13 : l.line12;
  } else if (f.form944) {
    const Form944Lines& l = f.form944->lines;
    row.form = "944";
    row.ein = f.form944->employer.ein_text;
    row.has_figures = true;
    row.line10 = l.line9;
    row.deposits = l.line10;
    row.balance = l.overpaid ? l.line12 : l.line11;
  } else {
    row.form = "worksheet";
  }
  row.ein = TrimRight(row.ein, kFieldPadding);
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

// What makes the client's record files unfit to report from, in a few words; empty when nothing
// does: files cut short, or a file the checks could not read.
std::string DamageOf(const fs::path& folder, const std::vector<Finding>& findings) {
  std::string damage;
  std::vector<CutShortFile> cut = CutShortRecordFiles(folder.string());
  for (const CutShortFile& file : cut) {
    damage += (damage.empty() ? "" : ", ") + file.name;
  }
  if (!cut.empty()) damage += cut.size() == 1 ? " is cut short" : " are cut short";
  for (const Finding& f : findings) {
    if (f.code != "unreadable") continue;
    damage += (damage.empty() ? "" : "; ") + f.message.substr(0, kFindingMessageBytes);
    break;
  }
  return damage;
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
  fs::path report, pdf, lines, schedule_b, schedule_b_pdf;
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
  o.expected = {o.report, o.lines};
  if (job.render) o.expected.push_back(o.pdf);
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

// Reads back `file`, which the run wrote into the client folder, into `text` and writes it to
// `out`; false with the row failed when either cannot be done. `what` names it in the reason.
bool CopyRunOutput(const ClientJob& job, std::string_view file, std::string_view what, const fs::path& out,
                   std::string& text, ClientRow& row) {
  try {
    text = ReadWholeFile(ResolveHostPath(job.folder.string(), file));
  } catch (const RunError& e) {
    Failed(row, std::string(what) + " cannot be read back (error " + std::to_string(e.number()) + ")");
    return false;
  }
  std::string error;
  if (!WriteFileAtomically(out, text, error)) {
    Failed(row, error);
    return false;
  }
  row.outputs.push_back(out.string());
  return true;
}

// The report, the figures' lines and the report's PDF; false with the row failed at the first
// that cannot be written.
bool WriteReportOutputs(const ClientJob& job, const ReportFigures& figures, nlohmann::ordered_json employee_lines,
                        const JobOutputs& o, ClientRow& row) {
  std::string report;
  if (!CopyRunOutput(job, kReportFileName, "the report", o.report, report, row)) return false;
  std::string error;
  std::string lines = FiguresJson(figures, std::move(employee_lines)).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  if (!WriteFileAtomically(o.lines, lines + "\n", error)) {
    Failed(row, error);
    return false;
  }
  row.outputs.push_back(o.lines.string());
  return !(job.render && job.fonts != nullptr && !WritePdfOutput(job, "the report", report, o.pdf, row));
}

// Schedule B's text and PDF when the run wrote it; false with the row failed when the run could
// not write it or they cannot be written.
bool WriteScheduleBOutputs(const ClientJob& job, ScheduleBOutcome outcome, const JobOutputs& o, ClientRow& row) {
  if (outcome == ScheduleBOutcome::kFailed) {
    Failed(row, "Schedule B could not be written");
    return false;
  }
  if (outcome != ScheduleBOutcome::kWritten) return true;
  std::string schedule_b;
  if (!CopyRunOutput(job, kScheduleBFileName, "Schedule B", o.schedule_b, schedule_b, row)) return false;
  return !(job.render && job.fonts != nullptr && !WritePdfOutput(job, "Schedule B", schedule_b, o.schedule_b_pdf, row));
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
  PlatformOptions options;
  fs::path answers = job.folder / "answers";
  if (fs::is_regular_file(answers, ec)) options.answers_file = answers.string();
  // An empty reply chosen in advance: the finished report is handed to no printer.
  options.has_printer_reply = true;
  options.never_interactive = true;

  // The figures first, computed without writing: they name the outputs and fill the row, and
  // the report the run then prints is a view of the same figures.
  // The employee checks and the JSON lines are consumers of that one computation.
  ReportFigures figures;
  EmployeeChecks employee_checks;
  EmployeeLinesJson employee_lines;
  {
    auto platform = MakePlatform(options);
    WorksheetSink* const sinks[] = {&employee_checks, &employee_lines};
    figures = ComputeClientFigures(job.folder.string(), job.rates_dir, "941", *platform, sinks);
  }
  FillRowFigures(figures, row);
  if (figures.cancelled) {
    Failed(row, "the answers cancel the dialog");
    return row;
  }
  std::vector<Finding> findings = CheckClient(figures, job.folder.string(), job.rates_dir, &employee_checks);
  // Files that are cut short or cannot be read give a report of zeros where their records should
  // be: such a client is not done, whatever else its checks say. Nothing is written for it.
  std::string damage = DamageOf(job.folder, findings);
  KeepFindings(std::move(findings), row);
  if (!damage.empty()) {
    Failed(row, "its record files fail the checks: " + damage);
    return row;
  }

  const ScheduleBOutcome expected_b = job.schedule_b ? ScheduleBOutcomeOf(figures) : ScheduleBOutcome::kNotAsked;
  const JobOutputs outputs = OutputsOf(job, row, expected_b);
  if (job.skip_done && OutputsAreCurrent(job, outputs.expected)) {
    row.status = ClientStatus::kSkipped;
    row.schedule_b = ScheduleBText(expected_b);
    for (const fs::path& p : outputs.expected) row.outputs.push_back(p.string());
    return row;
  }

  auto platform = MakePlatform(options);
  std::string device = "P";
  RunExtras extras;
  extras.schedule_b = job.schedule_b;
  RunOutcome outcome = RunReport(job.folder.string(), device, "941", *platform, job.rates_dir, extras);
  row.schedule_b = ScheduleBText(outcome.schedule_b);
  if (outcome.cancelled) {
    Failed(row, "the answers cancelled the dialog");
    return row;
  }
  if (outcome.error_shown) {
    Failed(row, "the run showed an error message");
    return row;
  }
  if (!WriteReportOutputs(job, figures, employee_lines.Take(), outputs, row)) return row;
  if (!WriteScheduleBOutputs(job, outcome.schedule_b, outputs, row)) return row;
  row.status = ClientStatus::kDone;
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
