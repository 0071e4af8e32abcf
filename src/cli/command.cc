#include "cli/command.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace qreport::cli {

bool StartingPointsExist(const std::string& data_dir, const std::string& rates_dir, const std::string& answers_file) {
  std::error_code ec;
  if (!std::filesystem::is_directory(data_dir, ec)) {
    std::cerr << "qreport: no such client folder: " << data_dir << "\n";
    return false;
  }
  if (!rates_dir.empty() && !std::filesystem::is_directory(rates_dir, ec)) {
    std::cerr << "qreport: no such rates folder: " << rates_dir << "\n";
    return false;
  }
  if (!answers_file.empty() && !std::filesystem::is_regular_file(answers_file, ec)) {
    std::cerr << "qreport: cannot read the answers file " << answers_file << "\n";
    return false;
  }
  return true;
}

}  // namespace qreport::cli
