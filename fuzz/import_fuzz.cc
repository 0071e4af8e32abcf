// The import of a client document on arbitrary bytes: the input, cut at "\n--\n", gives the JSON
// document and the employees' CSV. A document the import accepts must come back whole: its files,
// read back by inspect and imported again from inspect's JSON, are the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/record_file.h"
#include "fuzz_folder.h"
#include "json/client_document.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto parts = fz::Parts(data, size, 2);
  std::vector<std::string> errors;
  qreport::ClientDocument document = qreport::ParseClientDocument(parts[0], "client.json", errors);
  if (!parts[1].empty()) document.folder.employees = qreport::ReadEmployeesCsv(parts[1], "employees.csv", errors);
  if (!errors.empty()) return 0;

  const fs::path first = fz::Folder() / "first";
  const fs::path second = fz::Folder() / "second";
  fz::Empty(fz::Folder());
  fs::create_directory(first);
  fs::create_directory(second);
  qreport::WriteClientDocumentFiles(document, first);

  qreport::Inspection inspection = qreport::InspectClientFolder(first.string(), first.string());
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
