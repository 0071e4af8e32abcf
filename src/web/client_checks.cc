#include "web/client_checks.h"

#include <chrono>
#include <system_error>

#include "check/checks.h"
#include "data/paths.h"
#include "data/rates.h"
#include "filing/return_outputs.h"
#include "platform/posix/answers.h"
#include "run/current_return_figures.h"
#include "run/report_figures.h"
#include "run/run_session.h"
#include "web/web_platform.h"

namespace qreport::web {
namespace fs = std::filesystem;

namespace {

// What the run writes into a client folder: none of it changes the figures.
bool IsRunOutput(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name == "report.txt" || name == "report.pdf" || name == "scheduleb.txt";
}

void NoteFile(const fs::path& file, std::string& inputs) {
  std::error_code ec;
  fs::file_status status = fs::status(file, ec);
  if (ec || !fs::is_regular_file(status)) return;
  auto size = fs::file_size(file, ec);
  auto written = fs::last_write_time(file, ec);
  if (ec) return;
  inputs += file.filename().string() + '\0' + std::to_string(size) + '\0' +
            std::to_string(written.time_since_epoch().count()) + '\n';
}

// The files the figures of `folder` are read from, as one text that changes when any of them
// does: the folder's files but the run's outputs, and the rates folder's two files.
std::string InputsOf(const fs::path& folder, const std::string& rates_dir) {
  std::string inputs;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!IsRunOutput(it->path().filename().string())) NoteFile(it->path(), inputs);
  }
  inputs += '\n';
  NoteFile(ResolveHostPath(rates_dir, kRatesFileName), inputs);
  NoteFile(ResolveHostPath(rates_dir, "prep."), inputs);
  return inputs;
}

std::string AnswersKey(const std::vector<Answer>& events) {
  std::string key;
  for (const Answer& a : events) {
    key += std::to_string(a.known_id ? a.id : -1) + (a.has_text ? "=" + a.text : "") + '\n';
  }
  return key;
}

}  // namespace

ClientChecks::ClientChecks(std::string rates_dir, std::string report_kind)
    : rates_dir_(std::move(rates_dir)), report_kind_(std::move(report_kind)) {}

void ClientChecks::SetAnswers(const fs::path& folder, std::vector<Answer> events) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_[folder.string()] = std::move(events);
}

std::vector<Answer> ClientChecks::EventsFor(const std::string& folder, std::string* answers_file) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = answers_.find(folder);
    if (it != answers_.end()) return it->second;
  }
  // A dialog played in the page stands for this client's answers; else the one rule of every
  // command: the folder's own answers file when there is one (its changes are in the inputs).
  std::string file = AnswersFileFor(folder, {});
  if (file.empty()) return {};
  if (answers_file != nullptr) *answers_file = file;
  return ParseAnswers(ReadAnswersFile(file));
}

std::string ClientChecks::Inputs(const fs::path& folder) {
  return InputsOf(folder, RatesFolderFor(folder.string(), rates_dir_)) + AnswersKey(EventsFor(folder.string()));
}

std::shared_ptr<const ClientCheck> ClientChecks::Compute(const fs::path& folder) {
  std::string answers_file;
  std::vector<Answer> events = EventsFor(folder.string(), &answers_file);
  return Compute(folder.string(), std::move(events), answers_file);
}

std::shared_ptr<const ClientCheck> ClientChecks::Compute(const std::string& folder, std::vector<Answer> events,
                                                         const std::string& answers_file) {
  WebPlatform platform{PlatformOptions{}};
  platform.SetAnswers(std::move(events));
  // The employee checks ride on the figures' own pass over the employee files, as `qreport check`
  // runs them, so the files are walked once.
  EmployeeChecks employees;
  WorksheetSink* const sinks[] = {&employees};
  RunSetup setup;
  setup.data_dir = folder;
  setup.rates_dir = RatesFolderFor(folder, rates_dir_);  // the one rule of every command
  setup.report_kind = report_kind_;
  setup.answers_file = answers_file;  // checked strictly, as every command checks it
  const std::string rates_dir = setup.rates_dir;
  ReportFigures figures = ComputeClientFigures(std::move(setup), platform, sinks);
  auto check = std::make_shared<ClientCheck>();
  for (const std::string& error : figures.answers_errors) check->findings.push_back({"answers", Severity::kError, error});
  if (figures.answers_errors.empty()) check->findings = CheckClient(figures, folder, rates_dir, &employees);
  check->schedule_b = ScheduleBOutcomeOf(figures);
  if (check->schedule_b == ScheduleBOutcome::kWritten) check->schedule_b_figures = figures.schedule_b;
  if (figures.answers_errors.empty()) {
    check->current_return = CurrentReturnOf(figures);
    if (check->current_return) check->return_sheet = CurrentReturnSheet(figures, *check->current_return);
  }
  return check;
}

std::shared_ptr<const ClientCheck> ClientChecks::Get(const fs::path& folder) {
  const std::string key = folder.string();
  std::string answers_file;
  std::vector<Answer> events = EventsFor(key, &answers_file);
  const std::string inputs = InputsOf(folder, RatesFolderFor(key, rates_dir_)) + AnswersKey(events);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = cache_.find(key);
    if (it != cache_.end() && it->second.inputs == inputs) return it->second.check;
  }
  std::shared_ptr<const ClientCheck> check = Compute(key, std::move(events), answers_file);
  std::lock_guard<std::mutex> lock(mutex_);
  cache_[key] = {inputs, check};
  return check;
}

}  // namespace qreport::web
