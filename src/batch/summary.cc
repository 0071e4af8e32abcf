#include "batch/summary.h"

#include <csv.h>

#include <cstdio>

#include <nlohmann/json.hpp>

#include "batch/client_row_json.h"
#include "text/masks.h"

namespace qreport {
namespace {

void Field(std::string& line, std::string_view text) {
  if (!line.empty() && line.back() != '\n') line += ',';
  std::string quoted(csv_write(nullptr, 0, text.data(), text.size()), '\0');
  csv_write(quoted.data(), quoted.size(), text.data(), text.size());
  line += quoted;
}

// A cell of text from the client's files or from messages: one that a spreadsheet would take
// for a formula (it starts with =, +, -, @, or a tab or CR that some skip first) starts with a
// single quote, which shows it as text; the cell stays quoted.
void TextField(std::string& line, std::string_view text) {
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
    Field(line, "'" + std::string(text));
  } else {
    Field(line, text);
  }
}

std::string Dollars(Cents cents) { return FormatAmount("0.00", CentsValue(cents)); }

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);  // a duration, not money
  return text;
}

}  // namespace

std::string SummaryCsv(const BatchResult& result) {
  std::string csv;
  for (const char* name : {"folder", "employer_name", "ein", "path", "form", "quarter", "year", "line10", "deposits",
                           "balance", "return_total", "return_deposits", "return_balance_due",
                           "return_overpayment", "findings", "errors", "warnings", "schedule_b", "status", "reason", "seconds"}) {
    Field(csv, name);
  }
  csv += "\r\n";
  for (const ClientRow& row : result.rows) {
    TextField(csv, row.folder);
    TextField(csv, row.employer_name);
    TextField(csv, row.ein);
    TextField(csv, row.path);
    TextField(csv, row.form);
    Field(csv, row.quarter > 0 ? std::to_string(row.quarter) : "");
    Field(csv, row.year > 0 ? std::to_string(row.year) : "");
    Field(csv, row.has_figures ? Dollars(row.line10) : "");
    Field(csv, row.has_figures ? Dollars(row.deposits) : "");
    Field(csv, row.has_figures ? Dollars(row.balance) : "");
    for (Cents amount : {row.return_total, row.return_deposits, row.return_balance_due, row.return_overpayment}) {
      Field(csv, row.has_return ? Dollars(amount) : "");
    }
    std::string findings;
    for (const Finding& f : row.findings) {
      if (!findings.empty()) findings += "; ";
      findings += std::string(SeverityName(f.severity)) + " " + f.code;
    }
    if (row.findings_left_out > 0) findings += "; and " + std::to_string(row.findings_left_out) + " more";
    TextField(csv, findings);
    Field(csv, std::to_string(row.error_findings));
    Field(csv, std::to_string(row.warning_findings));
    TextField(csv, row.schedule_b);
    Field(csv, ClientStatusName(row.status));
    TextField(csv, row.reason);
    Field(csv, SecondsText(row.seconds));
    csv += "\r\n";
  }
  return csv;
}

std::string SummaryJson(const BatchResult& result) {
  nlohmann::ordered_json clients = nlohmann::ordered_json::array();
  for (const ClientRow& row : result.rows) clients.push_back(row);
  nlohmann::ordered_json summary;
  summary["clients"] = clients;
  summary["interrupted"] = result.interrupted;
  summary["not_clients"] = result.not_clients;
  return summary.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool WriteSummary(const BatchResult& result, const std::filesystem::path& base, std::string& error) {
  std::filesystem::path csv = base, json = base;
  csv += ".csv";
  json += ".json";
  return WriteFileAtomically(csv, SummaryCsv(result), error) && WriteFileAtomically(json, SummaryJson(result), error);
}

}  // namespace qreport
