// qreport return: the return a client files today (the current Form 941 or 944), computed from
// the report's figures without writing anything into the client folder.
#pragma once

namespace CLI {
class App;
}

namespace qreport::cli {

// Registers `return DATADIR [--answers FILE] [--rates-dir DIR] [--json | --csv] [-o SHEET.pdf]`:
// computes the report's figures as `run` would, then the current return from them, and prints
// it as a table (line, caption, column 1, column 2), JSON (docs/formats.md) or CSV. Exit 3 when
// the answers cancel the dialog, 1 when the client's route has no return.
void AddReturnCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
