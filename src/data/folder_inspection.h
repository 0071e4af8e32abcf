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

#include "data/bytes.h"
#include "data/client_writer.h"
#include "data/employee_files.h"
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

// The employee files' part of an inspection, fed their bytes: by the inspection's own reading, or
// by a run's walk over the employees (EmployeeWalk::Observe), so that a run that is also checked
// reads the employee files once. Each entry is decoded into an EmployeeSpec and its warnings.
class EmployeeInspection final : public EmployeeEntryObserver {
 public:
  void Open(std::uint64_t index_size, std::uint64_t master_size, std::optional<std::uint64_t> plans_size) override;
  void OnEntry(std::int64_t entry, Bytes index, Bytes master, Bytes plans) override;

  // The files were opened: what follows holds the whole of them.
  bool opened() const { return opened_; }
  std::int64_t entries() const { return entries_; }
  // The last entry, as the document holds it.
  const EmployeeSpec& employee() const { return employee_; }
  // The warnings so far, in the files' order; Take empties them.
  const std::vector<std::string>& warnings() const { return warnings_; }
  std::vector<std::string> TakeWarnings() { return std::move(warnings_); }

 private:
  void Warn(std::string text) { warnings_.push_back(std::move(text)); }

  bool opened_ = false;
  std::int64_t entries_ = 0;
  std::uint64_t master_records_ = 0;
  EmployeeSpec employee_;
  std::vector<std::string> warnings_;
};

// Reads the client folder `data_dir` and the rates folder `rates_dir` (empty: the current
// folder) without writing anything: a missing file is reported as absent, never created. With
// a `sink` the employees go to it and the document's employee list stays empty. Throws RunError
// when a file that exists cannot be opened or read. With `seen`, an EmployeeInspection a run's
// walk fed (opened() set), the employee files are not read again: their warnings are `seen`'s.
Inspection InspectClientFolder(const std::string& data_dir, const std::string& rates_dir, InspectionSink* sink = nullptr,
                               const EmployeeInspection* seen = nullptr);

}  // namespace qreport
