// The import of a client document on arbitrary bytes: the input, cut at "\n--\n", gives the JSON
// document, the employees' CSV and a count: the CSV's rows after its header are repeated that
// many times (at most 1,000, which costs about a second under the sanitizers; a row with a
// record number near the last one takes the rows after it up to and past the end of the record
// files). A document the import accepts must come back whole: every employee in the record its
// number names (the next free one when it has none) with its amounts, and its files, read back
// by inspect and imported again from inspect's JSON, the same bytes.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/employee_files.h"
#include "data/record_file.h"
#include "fuzz_folder.h"
#include "json/client_document.h"
#include "json/client_folder_import.h"
#include "json/employees_csv.h"

namespace fs = std::filesystem;
namespace fz = qreport::fuzz;

namespace {

std::map<std::string, std::string> FilesOf(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = qreport::ReadWholeFile(entry.path());
  }
  return files;
}

// The CSV with its rows after the header repeated as `count` (decimal digits) says.
std::string Repeated(std::string_view csv, std::string_view count) {
  std::size_t times = 0;
  for (char c : count.substr(0, 5)) {
    if (c < '0' || c > '9') break;
    times = times * 10 + static_cast<std::size_t>(c - '0');
  }
  std::size_t header_end = csv.find('\n');
  if (times < 2 || header_end == std::string_view::npos) return std::string(csv);
  std::string_view rows = csv.substr(header_end + 1);
  if (rows.empty()) return std::string(csv);
  times = std::min<std::size_t>(times, 1000);
  std::string out(csv.substr(0, header_end + 1));
  for (std::size_t i = 0; i < times; ++i) {
    out += rows;
    if (rows.back() != '\n') out += '\n';
  }
  return out;
}

// Every employee of `written` that names a record is read back by inspect with the record number
// it was given and its own amounts: none was overwritten by another or lost to a wrapped number.
void CheckEveryEmployeeReadsBack(const qreport::ClientFolderSpec& written, const qreport::ClientFolderSpec& read) {
  if (written.employees.size() != read.employees.size()) std::abort();  // an index entry lost
  int next = 1;
  for (std::size_t i = 0; i < written.employees.size(); ++i) {
    const qreport::EmployeeSpec& w = written.employees[i];
    const qreport::EmployeeSpec& r = read.employees[i];
    int number = w.record_number != 0 || w.literal_record_number ? w.record_number : next;
    next = std::max(next, number + 1);
    if (number > qreport::kHighestRecordNumber) std::abort();  // accepted past the last record
    if (r.record_number != number) std::abort();  // the record number changed on the way
    if (number < 1) continue;
    bool same = w.misc_amount_1 == r.misc_amount_1 && w.qtd.values == r.qtd.values && w.ytd.values == r.ytd.values &&
                w.other.values == r.other.values && (!written.write_plans || w.plans.values == r.plans.values);
    if (!same) std::abort();  // another employee's amounts in its record
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto parts = fz::Parts(data, size, 3);
  std::vector<std::string> errors;
  qreport::ClientDocument document = qreport::ParseClientDocument(parts[0], "client.json", errors);
  if (!parts[1].empty()) document.folder.employees = qreport::ReadEmployeesCsv(Repeated(parts[1], parts[2]), "employees.csv", errors);
  if (!errors.empty()) return 0;

  const fs::path first = fz::Folder() / "first";
  const fs::path second = fz::Folder() / "second";
  fz::Empty(fz::Folder());
  fs::create_directory(first);
  fs::create_directory(second);
  qreport::WriteClientDocumentFiles(document, first);

  qreport::Inspection inspection = qreport::InspectClientFolder(first.string(), first.string());
  CheckEveryEmployeeReadsBack(document.folder, inspection.document.folder);
  std::string json = qreport::ClientDocumentJson(inspection).dump();
  qreport::ClientDocument again = qreport::ParseClientDocument(json, "inspect.json", errors);
  if (!errors.empty()) {
    for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
    std::abort();  // inspect wrote a document the import refuses
  }
  qreport::WriteClientDocumentFiles(again, second);
  if (FilesOf(first) != FilesOf(second)) std::abort();  // the round trip changed a file
  return 0;
}
