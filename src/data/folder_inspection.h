// What a client folder holds, read without writing anything: every record file of the folder
// (client, employee index, master and plans files, liability file), the rates and letterhead
// files and the saved entries, each field as the file holds it (texts as their bytes, money as
// integer cents), with the values the run decodes from them and a warning for whatever the run
// would read as zero or skip. `qreport inspect` prints it as the client document
// (json/client_document.h) and the pre-filing checks take its warnings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/client_writer.h"
#include "data/liability_file.h"
#include "data/rates.h"
#include "data/saved_entries_text.h"
#include "text/numbers.h"

namespace qreport {

// The six text fields of the rates file FICA.RAT: their names (the document's keys) and widths.
inline constexpr std::array<const char*, 6> kRatesFieldNames = {"ss_rate1",       "ss_rate2",       "ss_base",
                                                                "medicare_rate1", "medicare_rate2", "second_base"};
inline constexpr std::array<std::size_t, 6> kRatesFieldWidths = {6, 6, 8, 6, 6, 8};

struct ClientDocument {
  ClientFolderSpec folder;
  std::optional<std::array<std::string, 6>> rates;       // FICA.RAT's six text fields
  std::optional<std::array<std::string, 5>> letterhead;  // the five lines of "prep"
  std::optional<SavedEntries> saved_entries;
};

// The client file's values as the run decodes them.
struct DerivedClient {
  double futa_rate = 0, futa_base = 0, suta_rate = 0, suta_base = 0;
  std::string ein_with_suffix;  // the EIN field's bytes with the suffix byte appended when above 28
};

// The values a run decodes from the files, each present when its file was read.
struct DerivedValues {
  std::optional<DerivedClient> client;
  std::optional<std::int64_t> index_entries;
  std::optional<std::array<Cents, 3>> liability_months;
  std::optional<FormulaFile> formula;
  std::optional<FicaRates> rates;
};

// What inspect found: the document, the decoded values the run would use, and what the run would
// silently read as zero or skip.
struct Inspection {
  ClientDocument document;
  DerivedValues derived;
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

}  // namespace qreport
