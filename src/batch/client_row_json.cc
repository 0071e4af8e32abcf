#include "batch/client_row_json.h"

#include <utility>

namespace qreport {
namespace {

// The one table of the statuses' names.
constexpr std::pair<ClientStatus, std::string_view> kStatusNames[] = {
    {ClientStatus::kDone, "done"},
    {ClientStatus::kSkipped, "skipped"},
    {ClientStatus::kFailed, "failed"},
    {ClientStatus::kNotRun, "not run"},
};

}  // namespace

std::string_view ClientStatusName(ClientStatus status) {
  for (const auto& [value, name] : kStatusNames) {
    if (value == status) return name;
  }
  return "not run";
}

ClientStatus ClientStatusNamed(std::string_view text) {
  for (const auto& [value, name] : kStatusNames) {
    if (name == text) return value;
  }
  return ClientStatus::kNotRun;
}

void to_json(nlohmann::ordered_json& j, const Finding& finding) {
  j = {{"code", finding.code}, {"severity", SeverityName(finding.severity)}, {"message", finding.message}};
}

void from_json(const nlohmann::json& j, Finding& finding) {
  finding.code = j.at("code").get<std::string>();
  finding.severity = j.at("severity").get<std::string>() == "error" ? Severity::kError : Severity::kWarning;
  finding.message = j.at("message").get<std::string>();
}

void to_json(nlohmann::ordered_json& j, const ClientRow& row) {
  j = nlohmann::ordered_json::object();
  j["folder"] = row.folder;
  j["employer_name"] = row.employer_name;
  j["ein"] = row.ein;
  j["path"] = row.path;
  j["form"] = row.form;
  j["quarter"] = row.quarter;
  j["year"] = row.year;
  if (row.has_figures) {
    j["line10"] = row.line10;
    j["deposits"] = row.deposits;
    j["balance"] = row.balance;
  } else {
    j["line10"] = j["deposits"] = j["balance"] = nullptr;
  }
  if (row.has_return) {
    j["return_total"] = row.return_total;
    j["return_deposits"] = row.return_deposits;
    j["return_balance_due"] = row.return_balance_due;
    j["return_overpayment"] = row.return_overpayment;
  } else {
    j["return_total"] = j["return_deposits"] = j["return_balance_due"] = j["return_overpayment"] = nullptr;
  }
  j["findings"] = nlohmann::ordered_json::array();
  for (const Finding& f : row.findings) j["findings"].push_back(f);
  j["findings_left_out"] = row.findings_left_out;
  j["findings_count"] = {{"error", row.error_findings}, {"warning", row.warning_findings}};
  j["schedule_b"] = row.schedule_b;
  j["status"] = ClientStatusName(row.status);
  j["reason"] = row.reason;
  j["outputs"] = row.outputs;
  j["seconds"] = row.seconds;
}

void from_json(const nlohmann::json& j, ClientRow& row) {
  row.folder = j.at("folder").get<std::string>();
  row.employer_name = j.at("employer_name").get<std::string>();
  row.ein = j.at("ein").get<std::string>();
  row.path = j.at("path").get<std::string>();
  row.form = j.at("form").get<std::string>();
  row.quarter = j.at("quarter").get<int>();
  row.year = j.at("year").get<int>();
  row.has_figures = !j.at("line10").is_null();
  row.line10 = row.has_figures ? j.at("line10").get<Cents>() : 0;
  row.deposits = row.has_figures ? j.at("deposits").get<Cents>() : 0;
  row.balance = row.has_figures ? j.at("balance").get<Cents>() : 0;
  row.has_return = !j.at("return_total").is_null();
  if (row.has_return) {
    row.return_total = j.at("return_total").get<Cents>();
    row.return_deposits = j.at("return_deposits").get<Cents>();
    row.return_balance_due = j.at("return_balance_due").get<Cents>();
    row.return_overpayment = j.at("return_overpayment").get<Cents>();
  }
  row.findings = j.at("findings").get<std::vector<Finding>>();
  row.findings_left_out = j.at("findings_left_out").get<std::size_t>();
  row.error_findings = j.at("findings_count").at("error").get<std::size_t>();
  row.warning_findings = j.at("findings_count").at("warning").get<std::size_t>();
  row.schedule_b = j.at("schedule_b").get<std::string>();
  row.status = ClientStatusNamed(j.at("status").get<std::string>());
  row.reason = j.at("reason").get<std::string>();
  row.outputs = j.at("outputs").get<std::vector<std::string>>();
  row.seconds = j.at("seconds").get<double>();
}

}  // namespace qreport
