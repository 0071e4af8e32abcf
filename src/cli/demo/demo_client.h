// The built-in demo client: a small employer with a dozen employees, the second quarter of 2026.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "cli/demo/client_writer.h"

namespace qreport {

struct DemoClient {
  ClientFolderSpec folder;
  std::array<std::string, 6> rates;
  std::array<std::string, 5> letterhead;
};

// The demo client's data.
DemoClient MakeDemoClient();

// Writes the demo client, its rates file and its letterhead file into `folder`.
void WriteDemoClient(const std::filesystem::path& folder);

}  // namespace qreport
