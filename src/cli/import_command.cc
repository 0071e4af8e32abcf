#include "cli/import_command.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "data/record_file.h"
#include "json/client_document.h"
#include "json/client_folder_import.h"
#include "json/employees_csv.h"

namespace qreport::cli {
namespace {

struct ImportOptions {
  std::string document;
  std::string employees;
  std::string data_dir;
  std::string rates_dir;
  bool force = false;
};

int ImportChecked(const ImportOptions& o) {
  std::error_code ec;
  for (const std::string& file : {o.document, o.employees}) {
    if (!file.empty() && !std::filesystem::is_regular_file(file, ec)) {
      std::cerr << "qreport: cannot read " << file << "\n";
      return kCouldNotStart;
    }
  }
  if (!o.rates_dir.empty() && !std::filesystem::is_directory(o.rates_dir, ec)) {
    std::cerr << "qreport: no such rates folder: " << o.rates_dir << "\n";
    return kCouldNotStart;
  }
  // The whole input is read and checked before anything is written.
  std::vector<std::string> errors;
  ClientDocument document = ParseClientDocument(ReadWholeFile(o.document), o.document, errors);
  if (!o.employees.empty()) {
    if (!document.folder.employees.empty()) {
      errors.push_back(o.document + ": /employees: employees are given both here and in " + o.employees);
    }
    document.folder.employees = ReadEmployeesCsv(ReadWholeFile(o.employees), o.employees, errors);
  }
  if (!errors.empty()) {
    for (const std::string& e : errors) std::cerr << e << "\n";
    std::cerr << "qreport: nothing was written (" << errors.size() << (errors.size() == 1 ? " problem" : " problems")
              << " in the input)\n";
    return kUsage;
  }
  try {
    WriteClientDocument(document, o.data_dir, o.rates_dir, o.force);
  } catch (const std::exception& e) {
    std::cerr << "qreport: " << e.what() << "\n";
    return kCouldNotStart;
  }
  std::cout << "client folder: " << o.data_dir << " (" << document.folder.employees.size() << " employees)\n";
  return kDone;
}

// Whatever goes wrong, the import ends with its message and a status, never an uncaught
// exception: nothing was written then (or the message says what was).
int Import(const ImportOptions& o) {
  try {
    return ImportChecked(o);
  } catch (const std::exception& e) {
    std::cerr << "qreport: " << e.what() << "\n";
    return kCouldNotStart;
  }
}

}  // namespace

void AddImportCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<ImportOptions>();
  CLI::App* sub = app.add_subcommand("import", "writes a client folder from a client document and an employees CSV");
  sub->footer(
      "CLIENT.json is a client document as 'qreport inspect --json' prints it (docs/formats.md,\n"
      "docs/client.schema.json); amounts are integer cents or decimal text such as \"1234.56\".\n"
      "--employees takes the employees from a CSV file with a header row instead (columns key,\n"
      "name, fica_flag, exempt_code, record_number, misc_amount_1, qtd1-qtd9, ytd1-ytd9,\n"
      "other1-other9, plan1-plan3). The rates and letterhead files go into DATADIR, or into\n"
      "--rates-dir (a file there that holds other bytes is replaced only with --force). Texts are\n"
      "UTF-8, stored in code page 1252. Every problem is named (FILE:LINE:COLUMN or FILE:\n"
      "/json/path), slips that would make a wrong return among them (EIN, payroll date, city line,\n"
      "FICA flag, a key twice), and nothing is written unless the whole input is valid; the folder\n"
      "is built beside DATADIR and renamed into place. A DATADIR that is not empty is refused\n"
      "unless --force, which replaces it.");
  sub->add_option("CLIENT.json", options->document, "the client document")->required()->type_name("");
  sub->add_option("DATADIR", options->data_dir, "the client folder to write")->required()->type_name("");
  sub->add_option("--employees", options->employees, "the employees as CSV")->type_name("FILE");
  sub->add_option("--rates-dir", options->rates_dir, "writes FICA.RAT and prep into DIR instead")->type_name("DIR");
  sub->add_flag("--force", options->force, "replaces a DATADIR that is not empty, and differing rates files");
  sub->callback([options, &exit_status] { exit_status = Import(*options); });
}

}  // namespace qreport::cli
