// qreport batch: the report runs of many client folders at once, with one summary for the batch.
#pragma once

namespace CLI {
class App;
}

namespace qreport::cli {

// Registers `batch CLIENT_DIR... | --root DIR [--out DIR] [--rates-dir DIR] [-j N] [--render]
// [--skip-done]`.
void AddBatchCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
