// What `qreport run` tells its user: the exit status and the one line that says why, the
// warnings about its set-up, and the answers file checked before the run starts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/client_writer.h"
#include "support/fixture.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using testing::PlainClient;
using testing::ReadFile;
using testing::TempDir;

const char* const kRates[] = {"6.2", "6.2", "87900", "1.45", "1.45", "0"};

// A form-path client in work/client, the rates in work, and an old report.
void WriteWork(const TempDir& work) {
  ClientFolderSpec spec;
  spec.client = PlainClient("063005");
  spec.employees.push_back(testing::PlainEmployee("A1", 300000, 600000));
  WriteClientFolder(work / "client", spec);
  WriteRatesFile(work.path(), {kRates[0], kRates[1], kRates[2], kRates[3], kRates[4], kRates[5]});
  WriteBytes(work / "client" / "report.txt", "an earlier report");
}

TEST(RunStatus, EachStatusComesWithItsReason) {
  struct Case {
    const char* what;
    const char* answers;  // written to work/answers
    const char* args;  // after "run"; --answers answers follows
    const char* env;  // %W is the work folder
    int status;
    const char* err;  // the whole of standard error; %R is client/report.txt, %W the work folder, %N the
                      // note of a printed form
    bool report_replaced;
  } cases[] = {
      {"written and printed to the PDF file", "401\n", "client --printer-reply X*PDF*FILE*N", "", 0,
       "print: wrote client/report.pdf\n%N", true},
      {"Esc in the picker, or no reply: nothing to print is no failure", "401\n", "client", "", 0,
       "nothing printed; the report is %R\n%N", true},
      {"a money box that is no number is an error", "211=notanumber\n401\n", "client --printer-reply X*PDF*FILE*N", "",
       2, "qreport: answers:1: 'notanumber' in money box 211 is not a number (e.g. 1234.56, $1,234.56 or -5)\n", false},
      {"no such client folder", "401\n", "nope --rates-dir .", "", 1, "qreport: no such client folder: nope\n",
       false},
      {"no such rates folder", "401\n", "client --rates-dir no-such-folder", "", 1,
       "qreport: no such rates folder: no-such-folder\n", false},
      {"an answers file that is not there", nullptr, "client", "", 1, "qreport: cannot read the answers file answers\n",
       false},
      {"an id that is no control", "999=hello\n401\n", "client", "", 2,
       "qreport: answers:1: 999 is not a control of the dialog 'Quarterly Report including 941 facsimile for: "
       "client'\n",
       false},
      {"a line that is neither ID nor ID=TEXT", "# a comment\n\nfoo bar\n401\n", "client", "", 2,
       "qreport: answers:3: a line is ID or ID=TEXT, with ID a control's number\n", false},
      {"a check box value other than 0 or 1", "221=yes\n401\n", "client", "", 2,
       "qreport: answers:1: check box 221 takes 0 or 1, not 'yes'\n", false},
      {"a label's id, with every other problem", "102=x\r\n221=1\r\n243=2\r\n401\r\n", "client", "", 2,
       "qreport: answers:1: 102 is a label ('7a. Current quarter's fraction of cents'), which takes no answer\n"
       "qreport: answers:3: check box 243 takes 0 or 1, not '2'\n",
       false},
      {"cancelled", "214=555\n402\n", "client --printer-reply X*PDF*FILE*N", "", 3,
       "qreport: cancelled: no report written; %R is from an earlier run\n", false},
      {"a reply that names no printer", "401\n", "client --printer-reply garbage", "", 5,
       "qreport: not printed: the printer reply 'garbage' names no printer (NAME*PRINTER*FIELD3*FLAG); "
       "the report is %R\n%N",
       true},
      // A server that refuses the job is the private print server's test (cups_print_test.cc).
      {"no print server where CUPS_SERVER points", "401\n", "client --printer-reply X*office*CUPS*N",
       "CUPS_SERVER=%W/nobody.sock", 5,
       "print: wrote client/report.pdf\n"
       "qreport: not printed: CUPS could not print to office: cannot reach the print server %W/nobody.sock (Host is "
       "down); the report is %R\n%N",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir work;
    WriteWork(work);
    if (c.answers != nullptr) WriteBytes(work / "answers", c.answers);
    auto fill = [&](std::string text) {
      for (std::size_t at; (at = text.find("%R")) != std::string::npos;) text.replace(at, 2, "client/report.txt");
      for (std::size_t at; (at = text.find("%W")) != std::string::npos;) text.replace(at, 2, work.str());
      const std::string note = testing::FacsimileNote("client");
      for (std::size_t at; (at = text.find("%N")) != std::string::npos;) text.replace(at, 2, note);
      return text;
    };
    // The rates folder is named, as a host-like work folder's commands name it, so that standard
    // error holds only the status's reason (the note for a rates file found in the current folder
    // is answers_and_rates_test's).
    std::string args = c.args;
    if (args.find("--rates-dir") == std::string::npos) args += " --rates-dir .";
    testing::CommandOutcome o = testing::RunQreport(work, "run " + args + " --answers answers",
                                                    "-u QREPORT_ANSWERS -u QREPORT_PRINTER_REPLY " + fill(c.env));
    std::string err = fill(c.err);
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.err, err);
    EXPECT_EQ(ReadFile(work / "client" / "report.txt") != "an earlier report", c.report_replaced);
  }
}

TEST(RunStatus, AReportThatCannotBeWrittenIsIncomplete) {
  struct Case {
    const char* date;
    const char* answers;
    bool message;  // the module shows its own message first
    const char* last_line;
  } cases[] = {
      {"063005", "401\n", true,
       "qreport: incomplete: the run showed an error message; client/report.txt is not a whole report\n"},
      {"063004", "103\n", false, "qreport: incomplete: no report could be written to client/report.txt\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    TempDir work;
    ClientFolderSpec spec;
    spec.client = PlainClient(c.date);
    WriteClientFolder(work / "client", spec);
    WriteRatesFile(work.path(), {kRates[0], kRates[1], kRates[2], kRates[3], kRates[4], kRates[5]});
    fs::create_directories(work / "client" / "report.txt");  // a folder where the report goes
    WriteBytes(work / "answers", c.answers);
    testing::CommandOutcome o =
        testing::RunQreport(work, "run client --answers answers --printer-reply X*PDF*FILE*N", "-u QREPORT_ANSWERS");
    EXPECT_EQ(o.status, 4);
    EXPECT_EQ(o.err.find("message: ") != std::string::npos, c.message) << o.err;
    std::string last_line = o.err.substr(o.err.rfind('\n', o.err.size() - 2) + 1);
    EXPECT_EQ(last_line, c.last_line) << o.err;
  }
}

TEST(RunStatus, TheRatesFolderIsNamedWhenItHasNoRatesAndRatesDirFindsThem) {
  TempDir work;
  ASSERT_EQ(testing::RunQreport(work, "demo demo", "-u QREPORT_ANSWERS -u QREPORT_PRINTER_REPLY").status, 0);
  const std::string demo_report = ReadFile(work / "demo" / "report.txt");
  // The same client in another folder, run from a folder that holds no rates.
  fs::create_directories(work / "copy");
  for (const char* name : {"CLIENT", "EMPLOYEE.idx", "EMPLOYEE.fil", "EMPLOYEE.PLANS", "PRLIAB"}) {
    fs::copy_file(work / "demo" / name, work / "copy" / name);
  }
  TempDir elsewhere;
  const std::string run = "run '" + (work / "copy").string() + "' --answers '" + (work / "demo" / "answers").string() +
                          "' --printer-reply X*PDF*FILE*N";

  // Without rates the run stops before it starts, naming both folders it searched.
  testing::CommandOutcome without = testing::RunQreport(elsewhere, run, "-u QREPORT_ANSWERS");
  EXPECT_EQ(without.status, 2);
  EXPECT_EQ(without.err, "qreport: no rates file FICA.RAT in " + (work / "copy").string() + " nor in " +
                             elsewhere.str() + "/: social security and Medicare would print as 0 (give --rates-dir, "
                             "or --allow-zero-rates)\n");
  EXPECT_FALSE(fs::exists(work / "copy" / "report.txt"));
  // Allowed, it runs with the warning, and Form 941 line 5d (social security and Medicare) is 0.
  testing::CommandOutcome allowed = testing::RunQreport(elsewhere, run + " --allow-zero-rates", "-u QREPORT_ANSWERS");
  EXPECT_EQ(allowed.status, 0);
  EXPECT_EQ(allowed.err.substr(0, allowed.err.find('\n') + 1),
            "warning: no rates file FICA.RAT in " + (work / "copy").string() + " nor in " + elsewhere.str() +
                "/: social security and Medicare would print as 0\n");
  EXPECT_NE(ReadFile(work / "copy" / "report.txt"), demo_report);

  testing::CommandOutcome with =
      testing::RunQreport(elsewhere, run + " --rates-dir '" + (work / "demo").string() + "'", "-u QREPORT_ANSWERS");
  EXPECT_EQ(with.status, 0);
  EXPECT_EQ(with.err.find("warning:"), std::string::npos) << with.err;
  EXPECT_TRUE(ReadFile(work / "copy" / "report.txt") == demo_report) << "the report differs from the demo's";
}

TEST(RunStatus, AnEmptyRatesFileAndAMissingLetterheadAreWarnedOf) {
  TempDir work;
  ClientFolderSpec spec;
  spec.client = PlainClient("063005");
  WriteClientFolder(work / "client", spec);
  WriteBytes(work / "FICA.RAT", "");
  WriteBytes(work / "answers", "215=&LH1% &LH2%\n401\n");
  const std::string empty_rates = "the rates file FICA.RAT in " + work.str() +
                                  "/ is empty: social security and Medicare would print as 0";
  testing::CommandOutcome refused =
      testing::RunQreport(work, "run client --answers answers --rates-dir .", "-u QREPORT_PRINTER_REPLY");
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "qreport: " + empty_rates + " (give --rates-dir, or --allow-zero-rates)\n");
  testing::CommandOutcome o = testing::RunQreport(work, "run client --answers answers --rates-dir . --allow-zero-rates",
                                                  "-u QREPORT_PRINTER_REPLY");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "warning: " + empty_rates +
                       "\n"
                       "warning: the preparer codes are set ('&LH1% &LH2%') but there is no letterhead file prep in " +
                       work.str() + ": the preparer lines will print empty\n"
                       "nothing printed; the report is client/report.txt\n" +
                       testing::FacsimileNote("client"));
}

}  // namespace
}  // namespace qreport
