// Test fixtures: a fresh temporary folder per test, client folders written from plain structs,
// and golden-file comparison of printed output.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/client_writer.h"
#include "data/employee_files.h"
#include "support/temp_dir.h"

namespace qreport::testing {

// A client with record 1 and 2 filled with ordinary values and the given payroll date.
ClientSpec PlainClient(std::string payroll_date = "063005");

// An employee with the given key and quarter/year wages in cents (other amounts 0).
EmployeeSpec PlainEmployee(std::string key, Cents quarter_wages, Cents year_wages);

// An employee as the report passes see it once decoded: quarter and year wages and tips (in
// dollars), the social security flag and the exemption code's two unemployment switches.
Employee DecodedEmployee(double quarter_wages, double quarter_tips, double year_wages, double year_tips,
                         char fica_flag = 'Y', std::uint8_t exempt_code = 0);

// The whole content of a file ("" when missing).
std::string ReadFile(const std::filesystem::path& path);

// Compares `actual` with the golden file tests/golden/<name>. On a mismatch writes
// <name>.actual beside it and returns a readable diff (ESC as \e, other control bytes as \xNN);
// returns "" when they match. With UPDATE_GOLDEN=1 in the environment, rewrites the golden file.
std::string CompareGolden(std::string_view name, std::string_view actual);

// The printed rows of a report, split at each CR LF; what follows the last CR LF is the last row
// ("" when the text ends with one).
std::vector<std::string> Rows(std::string_view text);

// How many times `piece` stands in `text`, overlapping ones counted.
std::size_t Count(std::string_view text, std::string_view piece);

// Shows bytes readably: ESC as \e, CR as \r, other control bytes and bytes above 126 as \xNN.
std::string Visible(std::string_view bytes);

// The line `qreport run` ends standard error with once it has printed a Form 941 or 944 for the
// client folder `data_dir` (as the command was given it).
inline std::string FacsimileNote(const std::string& data_dir) {
  return "note: the printed Form 941/944 are the revisions the host's module printed, for its records and printers; "
         "to file, use `qreport return " + data_dir + "`\n";
}

// Runs a shell command and returns its exit status; standard output and error go to the files
// given (when not empty).
int RunCommand(const std::string& command, const std::filesystem::path& out = {},
               const std::filesystem::path& err = {});

// What a run of the qreport command gave.
struct CommandOutcome {
  int status = -1;
  std::string out, err;
};

// Runs `qreport ARGS` in the folder `work` with standard input from /dev/null; `env` is put
// before the program as `env ENV` does it ("-u NAME" to unset, "NAME=VALUE" to set), or nothing.
CommandOutcome RunQreport(const TempDir& work, const std::string& args, const std::string& env = "");

// Starts `qreport ARGS` in the folder `work` as a child process with standard input, output and
// error on /dev/null, and returns at once with its process id (-1 when none could be started);
// for tests that kill or watch a run while it works. The caller waits for it.
int StartQreport(const std::filesystem::path& work, const std::vector<std::string>& args);

}  // namespace qreport::testing
