#include "cli/command.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <system_error>

#include "data/paths.h"
#include "text/numbers.h"

namespace qreport::cli {

bool StartingPointsExist(const std::string& data_dir, const std::string& rates_dir, const std::string& answers_file) {
  std::error_code ec;
  if (!std::filesystem::is_directory(data_dir, ec)) {
    std::cerr << "qreport: no such client folder: " << data_dir << "\n";
    return false;
  }
  if (std::string problem = FolderReadProblem(data_dir); !problem.empty()) {
    std::cerr << "qreport: cannot read the client folder " << data_dir << ": " << problem << "\n";
    return false;
  }
  if (!rates_dir.empty() && !std::filesystem::is_directory(rates_dir, ec)) {
    std::cerr << "qreport: no such rates folder: " << rates_dir << "\n";
    return false;
  }
  if (std::string problem = rates_dir.empty() ? "" : FolderReadProblem(rates_dir); !problem.empty()) {
    std::cerr << "qreport: cannot read the rates folder " << rates_dir << ": " << problem << "\n";
    return false;
  }
  if (!answers_file.empty() && !std::filesystem::is_regular_file(answers_file, ec)) {
    std::cerr << "qreport: cannot read the answers file " << answers_file << "\n";
    return false;
  }
  return true;
}

CLI::Option* AddWholeNumberOption(CLI::App& sub, const std::string& names, int& target, int lowest, int highest,
                                  const std::string& description) {
  std::string shown = names.substr(names.rfind(',') + 1);
  auto store = [&target, shown, lowest, highest](const std::string& text) {
    std::optional<std::int64_t> value = StrictInteger(text);
    if (!value || *value < lowest || *value > highest) {
      throw CLI::ValidationError(shown + " takes a whole number from " + std::to_string(lowest) + " to " +
                                 std::to_string(highest));
    }
    target = static_cast<int>(*value);
  };
  return sub.add_option_function<std::string>(names, store, description)->type_name("N");
}

}  // namespace qreport::cli
