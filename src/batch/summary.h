// The summary of a batch: one row per client, as CSV for a spreadsheet and as JSON for a
// program, written whole or not at all.
//
// CSV columns: folder, employer_name, ein, path, form, quarter, year, line10, deposits, balance,
// findings, errors, warnings, schedule_b, status, reason, seconds. Amounts are dollars with two
// decimals (balance below 0 is an overpayment); findings are "severity code" items joined by "; "
// (at most kRowFindings, then "and K more"); errors and warnings count every finding of the
// client's check by severity (a client with errors files a wrong return as it stands); schedule_b is empty without --schedule-b, else "written" or
// why it was not. A text cell that starts with =, +, -, @, a tab or a CR starts with a single
// quote, so that no spreadsheet takes it for a formula. The JSON is
// {"clients": [...], "interrupted": bool, "not_clients": [folders]} with the same fields,
// amounts in integer cents, the findings as objects {code, severity, message},
// findings_left_out counting those the row does not hold and findings_count {error, warning}.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "batch/batch_runner.h"

namespace qreport {

std::string SummaryCsv(const BatchResult& result);
std::string SummaryJson(const BatchResult& result);

// Writes `<base>.csv` and `<base>.json`; false with the reason in `error` when either cannot be.
bool WriteSummary(const BatchResult& result, const std::filesystem::path& base, std::string& error);

}  // namespace qreport
