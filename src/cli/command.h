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
  // batch: every client ran, but the check of some found errors: their returns are wrong as
  // they stand. Batch has no cancel, so the number is free there.
  kClientsHaveErrors = 3,
  kInterrupted = 130,   // interrupted (Ctrl-C), after the terminal was put back
};

// Checks what a command reading a client starts from: the client folder, the rates folder and
// the answers file (the last two only when given). False after one line on standard error that
// names what is missing or cannot be read.
bool StartingPointsExist(const std::string& data_dir, const std::string& rates_dir, const std::string& answers_file);

// Adds to `sub` the option `names` ("-j,--jobs") that stores a whole number from `lowest` to
// `highest` in `target`, read in base ten whatever the locale: "010" is ten, and "0x10", "8.0",
// " 8" or a number out of range is a usage error that names the option and its range.
// Adds `--form 941|944` to `sub`: the form the return is printed on, as the options dialog's
// Print 941 / Print 944 box (answers line 242 or 243) chooses it, applied after the answers so
// that it wins over them. Stores 941 or 944 in `form`; any other value is a usage error.
CLI::Option* AddFormOption(CLI::App& sub, int& form);

// Adds `--kind KIND` to `sub`: the report kind a host passes, which never chooses the form. The
// module knows two: "941" (the quarterly report: on the short route the dialog titled
// "Quarterly Report" and the worksheet) and "none" (what the module does with any other kind:
// on the short route an untitled dialog and an empty report). On the form route both give the
// same report. Any other value is a usage error that points to --form.
CLI::Option* AddKindOption(CLI::App& sub, std::string& kind);

// The answers file of a single-client command by the one rule (AnswersFileFor): `given`
// (--answers), else $QREPORT_ANSWERS, else DATADIR/answers when there is one, else none.
std::string AnswersFileOf(const std::string& data_dir, const std::string& given);

// The rates folder of a command for the client `data_dir` by the one rule (RatesFolderFor), with
// the note RatesFileNote gives printed on standard error.
std::string ChooseRatesFolder(const std::string& data_dir, const std::string& given);

// Whether a form-route command may go on with the rates of `rates_dir`: a missing or empty rates
// file, or a zero social security or Medicare rate, makes every figure of those taxes 0, so it is
// refused with one line on standard error unless `allow_zero_rates` (--allow-zero-rates).
bool RatesUsable(const std::string& data_dir, const std::string& rates_dir, bool allow_zero_rates);

CLI::Option* AddWholeNumberOption(CLI::App& sub, const std::string& names, int& target, int lowest, int highest,
                                  const std::string& description);

}  // namespace qreport::cli
