// qreport lines: every figure of a client's report without writing anything into its folder.
#pragma once

namespace CLI {
class App;
}

namespace qreport::cli {

// Registers `lines DATADIR [--answers FILE] [--rates-dir DIR] [--kind KIND] [--json | --csv]`:
// computes the report's figures as `run` would (dialogs from the saved entries and the answers
// file, else as they show at first) and prints them as a table, JSON or CSV. Exit 3 when the
// answers cancel the dialog.
void AddLinesCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
