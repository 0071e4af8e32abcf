// qreport inspect: everything a report run would read from a client folder, decoded.
#pragma once

namespace CLI {
class App;
}

namespace qreport::cli {

// Registers `inspect DATADIR [--rates-dir DIR] [--json]`: prints the client folder as a table, or
// as the client document in JSON (the shape `import` reads), with the warnings of what the run
// would read as zero or skip. Writes nothing.
void AddInspectCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
