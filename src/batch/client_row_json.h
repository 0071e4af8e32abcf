// A client's summary row as JSON: the one mapping that the batch summary prints and that carries a
// row from a job's process to the batch. The keys, in this order: folder, employer_name, ein,
// path, form, quarter, year, line10, deposits, balance (integer cents, or null when the figures
// were not computed), findings ({code, severity, message} each), findings_left_out, schedule_b,
// status, reason, outputs, seconds.
#pragma once

#include <string_view>

#include <nlohmann/json.hpp>

#include "batch/client_job.h"
#include "check/findings.h"

namespace qreport {

// "done", "skipped", "failed" or "not run".
std::string_view ClientStatusName(ClientStatus status);

// The status a name of ClientStatusName stands for; any other text is kNotRun.
ClientStatus ClientStatusNamed(std::string_view name);

void to_json(nlohmann::ordered_json& j, const Finding& finding);
// Any severity but "error" reads as a warning. Throws nlohmann::json::exception when a key is
// missing or of another type.
void from_json(const nlohmann::json& j, Finding& finding);

void to_json(nlohmann::ordered_json& j, const ClientRow& row);
// has_figures is whether line10 is a number. Throws nlohmann::json::exception when a key is
// missing or of another type.
void from_json(const nlohmann::json& j, ClientRow& row);

}  // namespace qreport
