// qreport diskfree and qreport showfree as a user runs them.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "text/numbers.h"

#include "support/fixture.h"
#include "support/process_state.h"

namespace qreport {
namespace {

using testing::MeasureWhileStill;
using testing::ReadFile;
using testing::TempDir;

using Outcome = testing::CommandOutcome;

// Runs qreport with `args` in `work`, drive D mapped to work/data and C and Q unset.
Outcome Qreport(const TempDir& work, const std::string& args) {
  std::filesystem::create_directories(work / "data");
  return testing::RunQreport(
      work, args, "-u QREPORT_DRIVE_C -u QREPORT_DRIVE_Q QREPORT_DRIVE_D='" + (work / "data").string() + "'");
}

TEST(DiskCli, Commands) {
  TempDir work;
  const std::string total = std::to_string(std::filesystem::space(work.path()).capacity) + "\n";
  const std::string bytes = "[ 0-9,]{14,} bytes";
  struct Case {
    std::string args;
    int status;
    std::string out;  // a pattern
    std::string err;  // a pattern
  };
  const Case cases[] = {
      {"showfree C", 0, "", "message: Drive Space: Free Space on C\t" + bytes + "\\\\r\\\\nOut of:\t\t" + bytes + "\n"},
      {"showfree 'D:\\DATA'", 0, "",
       "message: Drive Space: Free Space on D:\\\\DATA\t" + bytes + "\\\\r\\\\nOut of:\t\t" + bytes + "\n"},
      {"showfree Q", 0, "", "message: Drive Space: Free Space on Q\t {13}0 bytes\n"},
      {"showfree ''", 0, "", ""},
      {"diskfree C --mode F", 0, "[1-9][0-9]*\n", ""},
      {"diskfree D --mode T", 0, total, ""},
      {"diskfree d --mode=f", 0, total, ""},
      {"diskfree Q --mode F", 0, "0\n", ""},
      {"showfree", 2, "", "qreport: DRIVE is missing\nTry 'qreport showfree --help'.\n"},
      {"showfree C D", 2, "", "qreport: unexpected argument 'D'\nTry 'qreport showfree --help'.\n"},
      {"diskfree C D", 2, "", "qreport: unexpected argument 'D'\nTry 'qreport diskfree --help'.\n"},
      {"diskfree C --mode", 2, "", "qreport: --mode needs a value\nTry 'qreport diskfree --help'.\n"},
      {"diskfree --free", 2, "", "qreport: unknown option --free\nTry 'qreport diskfree --help'.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome o = Qreport(work, c.args);
    EXPECT_EQ(o.status, c.status);
    EXPECT_TRUE(std::regex_match(o.out, std::regex(c.out))) << testing::Visible(o.out);
    EXPECT_TRUE(std::regex_match(o.err, std::regex(c.err))) << testing::Visible(o.err);
  }
}

// Standard output of a command read through a pipe: no file is written on the disk measured.
std::string PipedOutput(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

TEST(DiskCli, DiskFreeWithoutModeGivesFreeBytesOfTheCurrentDirectory) {
  TempDir work;
  std::string out;
  auto m = MeasureWhileStill(
      work.path(),
      [&] {
        out = PipedOutput("cd '" + work.str() + "' && '" + std::string(QREPORT_CLI) + "' diskfree");
        return static_cast<std::uintmax_t>(ParseDecimal(out));
      },
      &std::filesystem::space_info::available);
  EXPECT_TRUE(m.matched) << "printed " << out << "the disk says " << m.want;
  EXPECT_EQ(out.back(), '\n');
}

}  // namespace
}  // namespace qreport
