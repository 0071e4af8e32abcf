// qreport check: the pre-filing checks of one client folder, as findings with codes and
// severities, told as an exit status that a script can act on.
#pragma once

namespace CLI {
class App;
}

namespace qreport::cli {

// Registers `check DATADIR [--answers FILE] [--rates-dir DIR] [--json]`. Its exit statuses are
// check/findings.h's: 0 nothing found, 1 warnings only, 2 an error found, 64 wrong usage, 66 the
// client folder, the rates folder or the answers file cannot be read.
void AddCheckCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
