#include "cli/command.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "data/paths.h"
#include "run/run_session.h"
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

CLI::Option* AddFormOption(CLI::App& sub, int& form) {
  auto store = [&form](const std::string& text) {
    if (text != "941" && text != "944") throw CLI::ValidationError("--form takes 941 or 944");
    form = text == "944" ? 944 : 941;
  };
  return sub
      .add_option_function<std::string>("--form", store,
                                        "prints the return on Form 941 or 944, as the dialog's Print 941 / Print 944 "
                                        "box does; wins over an answers file's line 242 or 243")
      ->type_name("941|944");
}

CLI::Option* AddKindOption(CLI::App& sub, std::string& kind) {
  auto store = [&kind](const std::string& text) {
    if (text != "941" && text != "none") {
      throw CLI::ValidationError("--kind takes 941 or none (the form is chosen by --form 941|944)");
    }
    kind = text;
  };
  return sub
      .add_option_function<std::string>("--kind", store,
                                        "the report kind the host passes: 941 (default), or none for an untitled "
                                        "short-path dialog and an empty report; never the form (see --form)")
      ->type_name("941|none");
}

std::string AnswersFileOf(const std::string& data_dir, const std::string& given) {
  const char* environment = std::getenv("QREPORT_ANSWERS");
  return AnswersFileFor(data_dir, !given.empty() || environment == nullptr ? given : std::string(environment));
}

std::string ChooseRatesFolder(const std::string& data_dir, const std::string& given) {
  std::string folder = RatesFolderFor(data_dir, given);
  // A folder the user named needs no note; one the rule fell back on (the current folder) does.
  if (given.empty()) {
    if (std::string note = RatesFileNote(data_dir, folder); !note.empty()) std::cerr << note << "\n";
  }
  return folder;
}

bool RatesUsable(const std::string& data_dir, const std::string& rates_dir, bool allow_zero_rates) {
  if (allow_zero_rates) return true;
  std::string problem = RatesProblem(data_dir, rates_dir);
  if (problem.empty()) return true;
  std::cerr << "qreport: " << problem << " (give --rates-dir, or --allow-zero-rates)\n";
  return false;
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
