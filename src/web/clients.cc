#include "web/clients.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "data/client_file.h"
#include "data/errors.h"
#include "data/paths.h"
#include "data/record_file.h"
#include "forms/form941.h"
#include "run/report_run.h"
#include "data/report_writer.h"
#include "text/ascii.h"

namespace qreport::web {
namespace fs = std::filesystem;

namespace {

bool HasClientFile(const fs::path& folder) {
  std::error_code ec;
  return fs::is_regular_file(ResolveHostPath(folder.string(), kClientFileName), ec);
}

}  // namespace

std::optional<fs::path> ClientFolder(const fs::path& root, std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.find_first_of(std::string_view("/\\\0", 3)) != name.npos) {
    return std::nullopt;
  }
  std::error_code ec;
  fs::path folder = fs::canonical(root / fs::path(std::string(name)), ec);
  if (ec) return std::nullopt;
  // A link may lead anywhere: what counts is where the folder really is.
  fs::path inside = folder.lexically_relative(root);
  if (inside.empty() || *inside.begin() == ".." || inside == ".") return std::nullopt;
  if (!fs::is_directory(folder, ec) || !HasClientFile(folder)) return std::nullopt;
  // The same rule for the files in it: a folder that links to a file outside the root would show
  // that file's bytes as its own.
  if (!LinksLeaving(folder, root).empty()) return std::nullopt;
  return folder;
}

ClientSummary SummariseClient(const fs::path& folder, std::string name) {
  ClientSummary summary;
  summary.name = std::move(name);
  summary.folder = folder;
  try {
    ClientFile client = ReadClientFile(folder.string(), false, MissingFile::kReadAsEmpty);
    summary.employer = TrimRight(client.employer_name);
    summary.payroll_date = client.payroll_date;
  } catch (const RunError&) {
  }
  summary.quarter = QuarterOfMonthText(summary.payroll_date);
  summary.year = FormYear(summary.payroll_date);
  summary.form_route = TakesFormRoute(summary.payroll_date);
  std::error_code ec;
  fs::path report = ResolveHostPath(folder.string(), kReportFileName);
  if (fs::is_regular_file(report, ec)) {
    auto written = fs::last_write_time(report, ec);
    if (!ec) {
      summary.has_report = true;
      auto since_epoch = std::chrono::file_clock::to_sys(written).time_since_epoch();
      summary.report_time = std::chrono::duration_cast<std::chrono::seconds>(since_epoch).count();
    }
  }
  return summary;
}

std::vector<ClientSummary> ListClients(const fs::path& root) {
  std::vector<ClientSummary> clients;
  std::error_code ec;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (std::optional<fs::path> folder = ClientFolder(root, name)) clients.push_back(SummariseClient(*folder, name));
  }
  std::sort(clients.begin(), clients.end(), [](const ClientSummary& a, const ClientSummary& b) { return a.name < b.name; });
  return clients;
}

}  // namespace qreport::web
