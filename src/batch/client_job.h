// One client of a batch: the report run for its folder with its answers and no print hand-off,
// the outputs named after the client, the quarter, the year and the form, the checks, and the
// row this client gives the batch summary. A batch runs each job in a process of its own
// (batch/batch_runner.h); nothing here keeps state between jobs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "check/findings.h"
#include "text/numbers.h"

namespace qreport {

namespace escp {
class FontSet;
}

// What one client's job is asked to do.
struct ClientJob {
  std::filesystem::path folder;   // the client folder
  std::filesystem::path out_dir;  // where its outputs go; empty: beside the folder
  // The folder of FICA.RAT and prep as given (--rates-dir); empty: each client's by the one rule
  // (RatesFolderFor: its own folder when it holds FICA.RAT, else the current folder).
  std::string rates_dir;
  int form = 0;                   // --form: 941 or 944 for every client, or 0 for its dialog's
  bool allow_zero_rates = false;  // run a form-route client without usable rates
  bool render = false;            // also the report's PDF
  bool schedule_b = false;        // also Schedule B, when it goes with the return (as run --schedule-b)
  bool skip_done = false;         // leave a client whose outputs are newer than its inputs
  bool current_return = false;    // also the current return's JSON and filing sheet (a form's client)
  // The renderer's fonts, found once for the whole batch; null when nothing is drawn.
  const escp::FontSet* fonts = nullptr;
};

enum class ClientStatus {
  kDone,     // the report and every output were written
  kSkipped,  // --skip-done: the outputs were newer than the inputs, nothing was written
  kFailed,   // see the reason
  kNotRun,   // the batch was interrupted before this client started
};

// A client's row of the batch summary.
struct ClientRow {
  std::string folder;  // the folder's own name
  std::string path;    // the folder as given
  ClientStatus status = ClientStatus::kNotRun;
  std::string reason;  // why it failed, in plain words
  std::string employer_name, ein;
  std::string form;            // "941", "944" or "worksheet" (the short route's report)
  int quarter = 0, year = 0;   // 0 when the report date names none
  bool has_figures = false;    // the figures below were computed
  Cents line10 = 0;            // the total taxes after adjustments (Form 944: its line 9)
  Cents deposits = 0;          // total deposits (Form 941 line 11, Form 944 line 10)
  Cents balance = 0;           // line 10 less deposits: above 0 due, below 0 overpaid
  // The current return's lines 12 to 15 (Form 944: 9 to 12), when the figures have a form.
  bool has_return = false;
  Cents return_total = 0, return_deposits = 0, return_balance_due = 0, return_overpayment = 0;
  std::vector<Finding> findings;  // at most kRowFindings
  std::size_t findings_left_out = 0;
  // Every finding of the client's check counted by severity, those left out included: a client
  // with error findings files a wrong return as it stands, whatever its status.
  std::size_t error_findings = 0, warning_findings = 0;
  // What became of Schedule B: empty when not asked for, "written", or why it was not.
  std::string schedule_b;
  std::vector<std::string> outputs;  // the files written, full paths
  double seconds = 0;                // wall time of the job
};

// "<folder>-<year>Q<quarter>-<form>": the name every output of a client starts with. Schedule B's
// outputs take "scheduleb" for the form.
std::string OutputBaseName(const ClientRow& row, std::string_view form = {});

// Whether `folder` holds a client file ("\CLIENT." in any case): a folder without one is no
// client's, and a run there would only create empty record files.
bool HasClientFile(const std::filesystem::path& folder);

// The most findings a row keeps, and the most bytes of each finding's message: a client whose
// files are noise can have a finding for every record, and the summary stays readable. What is
// left out is counted in findings_left_out.
inline constexpr std::size_t kRowFindings = 20;
inline constexpr std::size_t kFindingMessageBytes = 300;

// Runs the job and returns its row (without `seconds`). A failure of the client ends as a failed
// row; only std::bad_alloc escapes. The report run's messages go to standard error.
ClientRow RunClientJob(const ClientJob& job);

// A row as one line of JSON and back, for the way from a job's process to the batch.
std::string RowToJsonLine(const ClientRow& row);
bool RowFromJsonLine(std::string_view line, ClientRow& row);

// Writes `bytes` to `path` through "<path>.part", synced, then renamed over `path`, so a reader
// sees the old file or the new one, never a torn one (FileReplacement, platform/files.h): a
// ".part" file that an interrupted batch left is emptied and reused. False with the reason in
// `error` when it cannot.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string& error);

}  // namespace qreport
