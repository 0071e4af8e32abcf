// The client folder as a document: what `qreport inspect --json` prints and `qreport import`
// reads. One document holds every record file of a client folder (client, employee index,
// master and plans files, liability file), the rates and letterhead files and the saved entries,
// each field as the file holds it (texts as the characters of their code page 1252 bytes, money
// as integer cents), so that a folder the client-folder writer made comes back byte for byte. The keys and limits are in
// docs/formats.md and docs/client.schema.json.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "data/folder_inspection.h"
#include "json/json_stream.h"

namespace qreport {

// The inspection as the client document in JSON (with "derived" and "warnings").
nlohmann::ordered_json ClientDocumentJson(const Inspection& inspection);

// InspectClientFolder and ClientDocumentJson in one, written to `out` as the folder is read, in
// memory that does not grow with the number of employees. Returns the inspection without its
// employees. When reading fails part way, `out` holds the document up to there.
Inspection WriteClientDocumentJson(const std::string& data_dir, const std::string& rates_dir, JsonOut& out);

// The document of a JSON text. Every problem is added to `errors` as one line, "FILE:
// /json/path: what was expected" (text that is not JSON as "FILE:LINE:COLUMN: ..."): what breaks
// docs/client.schema.json (checked against the copy built into the program), a key twice in one
// object, text with a character code page 1252 lacks (named by FILE:LINE:COLUMN and path), money
// text that is no amount or does not fit a packed amount, data given to an entry without a
// record, an employee past the last record number, two different employees in one record, two
// employees with one key, and the client's and employees' slips of data/client_rules.h (EIN,
// payroll date, city line, FICA flag). The result is valid only when `errors` stays empty.
ClientDocument ParseClientDocument(std::string_view json_text, const std::string& file,
                                   std::vector<std::string>& errors);

}  // namespace qreport
