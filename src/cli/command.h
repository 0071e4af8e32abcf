// What every subcommand of the qreport command shares: its exit statuses and the way it is
// registered with the argument parser.
//
// Each subcommand lives in src/cli/<name>_command.{h,cc} and exposes
//   void Add<Name>Command(CLI::App& app, int& exit_status);
// which creates the subcommand with its options bound to a struct it owns (held by a shared_ptr
// captured in the callback) and sets sub->callback(...) that stores the command's exit status in
// exit_status. main.cc calls each Add...Command once and nothing else per command.
//
// Wrong usage that the parser cannot see (two options that exclude each other, say) is thrown
// from the callback as CLI::ValidationError: main reports it as it reports every usage error,
// as one line and a pointer to the command's help, with kUsage.
#pragma once

#include <string>

namespace CLI {
class App;
class Option;
}

namespace qreport::cli {

// The exit statuses of the command. A non-zero status always comes with one line on standard
// error that says why.
enum ExitStatus : int {
  kDone = 0,            // done: for run, the report was written and handed on as asked
  kCouldNotStart = 1,   // a file or folder the command needs is missing or unusable
  kUsage = 2,           // wrong usage, a bad answers file included
  kCancelled = 3,       // run: the user cancelled; no report was written
  kIncomplete = 4,      // run: the run showed an error message; its report is incomplete
  kNotPrinted = 5,      // run: the report was written but the hand-off did not print it
  kDamaged = 6,         // run: written (and handed on as asked) from record files cut short
  kInterrupted = 130,   // interrupted (Ctrl-C), after the terminal was put back
};

// Checks what a command reading a client starts from: the client folder, the rates folder and
// the answers file (the last two only when given). False after one line on standard error that
// names what is missing or cannot be read.
bool StartingPointsExist(const std::string& data_dir, const std::string& rates_dir, const std::string& answers_file);

// Adds to `sub` the option `names` ("-j,--jobs") that stores a whole number from `lowest` to
// `highest` in `target`, read in base ten whatever the locale: "010" is ten, and "0x10", "8.0",
// " 8" or a number out of range is a usage error that names the option and its range.
CLI::Option* AddWholeNumberOption(CLI::App& sub, const std::string& names, int& target, int lowest, int highest,
                                  const std::string& description);

}  // namespace qreport::cli
