// Test fixtures for whole report runs of one client folder: the two-employee client the run tests
// start from, one run of it played from answers, and the temporary files a run may leave behind.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "data/client_writer.h"
#include "platform/files.h"
#include "run/report_run.h"
#include "support/fixture.h"
#include "support/recording_platform.h"

namespace qreport::testing {

// Writes `client` into `dir` with two employees (A1: 3,000.00 of the quarter's wages, 6,000.00 of
// the year's; B2: 1,250.50 of both) and the rates file beside them.
inline void WriteTwoEmployeeClient(const TempDir& dir, ClientSpec client) {
  ClientFolderSpec spec;
  spec.client = std::move(client);
  spec.employees = {PlainEmployee("A1", 300000, 600000), PlainEmployee("B2", 125050, 125050)};
  WriteClientFolder(dir.path(), spec);
  WriteRatesFile(dir.path(), {"6.2", "6.2", "97500", "1.45", "1.45", "0"});
}

// One Form 941 report run of the client in a folder, which is its own work folder: the platform
// that recorded what it showed and handed on, the device code as the run left it, and what the
// run said of itself.
struct ClientRun {
  RecordingPlatform platform;
  std::string device;
  RunOutcome outcome;

  explicit ClientRun(std::string device_code = "Q") : device(std::move(device_code)) {}

  // Plays `answers` in the dialogs (as an answers file) and `printer_reply` in the printer picker.
  void Run(const TempDir& dir, const std::string& answers, const std::string& printer_reply) {
    platform.answers = answers;
    platform.printer_reply = printer_reply;
    outcome = RunReport(dir.str(), device, "941", platform, dir.str());
  }
};

// The names in `folder` that a run writes while it works and renames or removes when done.
inline std::vector<std::string> Leftovers(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (IsLeftoverTemporary(name)) names.push_back(name);
  }
  return names;
}

}  // namespace qreport::testing
