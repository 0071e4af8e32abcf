// qreport demo: writes the built-in demo client into a folder and runs its report there, with
// its own answers file, rates and letterhead, printing to the PDF file.
#pragma once

namespace CLI {
class App;
}

namespace qreport::cli {

// Registers `demo [DIR] [--force]`.
void AddDemoCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
