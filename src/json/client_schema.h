// The client document's schema, docs/client.schema.json, built into the program from that file's
// bytes, and the check of a document against it with valijson. The schema says every rule it
// can (types, known and required keys, lengths, ranges, list sizes, the format); what it cannot
// (money text, single-byte text, record numbers) is checked where the document is read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace qreport {

// The bytes of docs/client.schema.json, made into a source file at build time.
extern const std::string_view kClientSchemaText;

// A key as a step of a JSON pointer ("~" and "/" escaped), cut short when long.
std::string PointerStep(std::string_view key);

// Checks `document` against the schema. Adds one line to `errors` per problem, as "FILE:
// /json/pointer: what" worded from the schema: "unknown key", "missing: expected ...", a text
// longer than its field ("\"TEXT\" is N bytes; the field holds at most W"), or "expected ..., got
// VALUE" for a value of the wrong type, range or form. A value is shown cut short when long.
// Returns true when the document is valid.
bool CheckClientDocumentSchema(const nlohmann::json& document, const std::string& file, std::vector<std::string>& errors);

}  // namespace qreport
