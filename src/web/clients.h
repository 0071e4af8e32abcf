// The client folders under a root as the pages list them, and the one rule for turning a name
// from a request into a folder: a folder directly below the root (or reached through a link that
// stays inside it) that holds a client file and no link to anything outside the root. Anything
// else is no client.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qreport::web {

struct ClientSummary {
  std::string name;           // the folder's name
  std::filesystem::path folder;  // where it is: canonical, inside the root
  std::string employer;       // Windows-1252, trailing blanks dropped
  std::string payroll_date;   // MMDDYY
  int quarter = 0;            // 1 to 4; 0 when the date marks none
  std::string year;           // "20YY"
  bool form_route = false;    // the options dialog and a form; false: the report date dialog
  bool has_report = false;
  long long report_time = 0;  // when report.txt was last written, seconds since 1970
};

// The folder of client `name` under `root` (an absolute, canonical path), or nullopt when the
// name leaves the root, names no folder, or the folder holds no client file or a link that leads
// outside the root.
std::optional<std::filesystem::path> ClientFolder(const std::filesystem::path& root, std::string_view name);

// What the clients page shows about one client folder.
ClientSummary SummariseClient(const std::filesystem::path& folder, std::string name);

// Every client folder under `root`, sorted by name.
std::vector<ClientSummary> ListClients(const std::filesystem::path& root);

}  // namespace qreport::web
