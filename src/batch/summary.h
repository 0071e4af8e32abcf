// The summary of a batch: one row per client, as CSV for a spreadsheet and as JSON for a
// program, written whole or not at all.
//
// CSV columns: folder, employer_name, ein, path, form, quarter, year, line10, deposits, balance,
// findings, schedule_b, status, reason, seconds. Amounts are dollars with two decimals (balance
// below 0 is an overpayment); findings are "severity code" items joined by "; "; schedule_b is
// empty without --schedule-b, else "written" or why it was not. The JSON is
// {"clients": [...], "interrupted": bool} with the same fields, amounts in integer cents and the
// findings as objects {code, severity, message}.
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
