// The client folder as a document: what `qreport inspect --json` prints and `qreport import`
// reads. One document holds every record file of a client folder (client, employee index,
// master and plans files, liability file), the rates and letterhead files and the saved entries,
// each field as the file holds it (texts as their bytes, money as integer cents), so that a
// folder the client-folder writer made comes back byte for byte. The keys and limits are in
// docs/formats.md and docs/client.schema.json.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "data/client_writer.h"
#include "json/json_stream.h"
#include "run/saved_entries.h"
#include "text/numbers.h"

namespace qreport {

struct ClientDocument {
  ClientFolderSpec folder;
  std::optional<std::array<std::string, 6>> rates;       // FICA.RAT's six text fields
  std::optional<std::array<std::string, 5>> letterhead;  // the five lines of "prep"
  std::optional<SavedEntries> saved_entries;
};

// What inspect found: the document, the decoded values the run would use, and what the run would
// silently read as zero or skip.
struct Inspection {
  ClientDocument document;
  nlohmann::ordered_json derived;
  std::vector<std::string> warnings;
};

// Receives an inspection's employees one at a time, in index order, as they are read, so that
// a caller that writes or checks them never holds them all.
class InspectionSink {
 public:
  virtual ~InspectionSink() = default;
  // Once the client file is read and the employee files are open, before the first employee:
  // `inspection` holds the client and the warnings so far.
  virtual void Start(const Inspection& inspection) { (void)inspection; }
  // Every entry of the index, valid during the call only; its warnings are already added.
  virtual void OnEmployee(const EmployeeSpec& employee) = 0;
};

// Reads the client folder `data_dir` and the rates folder `rates_dir` (empty: the current
// folder) without writing anything: a missing file is reported as absent, never created. With
// a `sink` the employees go to it and the document's employee list stays empty. Throws RunError
// when a file that exists cannot be opened or read.
Inspection InspectClientFolder(const std::string& data_dir, const std::string& rates_dir, InspectionSink* sink = nullptr);

// The inspection as the client document in JSON (with "derived" and "warnings").
nlohmann::ordered_json ClientDocumentJson(const Inspection& inspection);

// InspectClientFolder and ClientDocumentJson in one, written to `out` as the folder is read, in
// memory that does not grow with the number of employees. Returns the inspection without its
// employees. When reading fails part way, `out` holds the document up to there.
Inspection WriteClientDocumentJson(const std::string& data_dir, const std::string& rates_dir, JsonOut& out);

// An amount written as decimal text ("1234.56", "-0.05", "1,234", "$12.5") in cents, read digit
// by digit (never through a binary float). Nothing, with `why` set, when it is not such an
// amount or does not fit a packed amount.
std::optional<Cents> ParseAmountText(std::string_view text, std::string& why);

// The document of a JSON text. Every problem is added to `errors` as "FILE: /json/path: what was
// expected" (text that is not JSON as "FILE:LINE:COLUMN: ..."): a missing or other "format", a
// key twice in one object, a number out of its field's range, an employee past the last record
// number or two different employees in one record among them. The result is valid only when
// `errors` stays empty.
ClientDocument ParseClientDocument(std::string_view json_text, const std::string& file,
                                   std::vector<std::string>& errors);

// Employees from CSV text with a header row (column names in docs/formats.md). Every problem is
// added to `errors` as "FILE:LINE:COLUMN: what was expected": a column named twice, a row with
// fewer or more fields than the header, a quote still open at the end and the record numbers'
// problems as for the document among them.
std::vector<EmployeeSpec> ReadEmployeesCsv(std::string_view csv, const std::string& file,
                                           std::vector<std::string>& errors);

// Writes the document's files into the existing folder `folder` (rates and letterhead included),
// as they are, without syncing them: the part of WriteClientDocument that makes the bytes.
void WriteClientDocumentFiles(const ClientDocument& document, const std::filesystem::path& folder,
                              bool with_rates = true);

// Writes the document as a client folder at `data_dir`: into a new temporary folder beside it,
// every file synced, then renamed into place, so that a failure leaves nothing behind. The rates
// and letterhead files go into the folder, or into `rates_dir` when it is given (each written
// and synced beside its file first, and renamed over it only once the client folder is in
// place). An existing `data_dir` that is not empty is refused unless `force`, which replaces it
// whole; the root folder and a mount point, which cannot be replaced so, are refused. Throws
// std::runtime_error saying what failed.
void WriteClientDocument(const ClientDocument& document, const std::filesystem::path& data_dir,
                         const std::filesystem::path& rates_dir, bool force);

}  // namespace qreport
