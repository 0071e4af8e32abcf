// How the qreport command shows its help and its usage errors: a synopsis line built from the
// command's options ("usage: qreport run DATADIR [--kind KIND] ..."), the one-line summary, the
// longer text the command keeps in its footer, then its arguments and options; and a usage error
// as one plain line.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace qreport::cli {

class HelpFormat : public CLI::Formatter {
 public:
  HelpFormat();
  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
  std::string make_usage(const CLI::App* app, std::string name) const override;
};

// The problem of a usage error in plain words, one line, without the program's name: "unknown
// command 'frob'", "unknown option --colour", "--kind needs a value", "DATADIR is missing".
// `args` are the command's arguments after the program name.
std::string PlainUsageError(const CLI::App& app, const CLI::ParseError& error, const std::vector<std::string>& args);

// "qreport run --help" for the subcommand being parsed, "qreport --help" when there is none.
std::string HelpCommandFor(const CLI::App& app);

}  // namespace qreport::cli
