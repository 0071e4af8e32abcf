// qreport import: a client folder in the host's formats from a client document and, optionally,
// employees from a CSV file.
#pragma once

namespace CLI {
class App;
}

namespace qreport::cli {

// Registers `import CLIENT.json [--employees EMPLOYEES.csv] DATADIR [--rates-dir DIR] [--force]`.
// Exit 2 with every problem of the input named (file:line:column or JSON path) and nothing
// written; exit 1 when DATADIR is not empty (without --force) or cannot be written.
void AddImportCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
