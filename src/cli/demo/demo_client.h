// The built-in demo client: a small employer with a dozen employees, the second quarter of 2026.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "data/client_writer.h"

namespace qreport {

struct DemoClient {
  ClientFolderSpec folder;
  std::array<std::string, 6> rates;
  std::array<std::string, 5> letterhead;
  std::string answers;  // the options dialog as a clerk fills it in, as an answers file
};

// The answers file of the demo client's folder, and the printer picker's reply of its run (the
// PDF file, no preview).
inline constexpr const char* kDemoAnswersFile = "answers";
inline constexpr const char* kDemoPrinterReply = "DEMO*PDF*FILE*N";

// The demo client's data.
DemoClient MakeDemoClient();

// Writes the demo client, its rates file, its letterhead file and its answers file into `folder`.
void WriteDemoClient(const std::filesystem::path& folder);

}  // namespace qreport
