// Every text from the data that the form-path report prints (worksheet, Form 941 or 944,
// Schedule B, voucher) goes through the printer's character set, and only those texts do.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/form_run_fixture.h"

namespace qreport {
namespace {

using testing::FormRouteRun;
using testing::PlainClient;
using testing::Worker;

// Every data text holds the letter `mark` in its own place among ASCII.
ClientFolderSpec MarkedClient(char mark) {
  const std::string m(1, mark);
  ClientFolderSpec spec;
  spec.client = PlainClient("063026");
  spec.client->employer_name = "M" + m + "LLER & S" + m + "HNE";
  spec.client->trade_name = "B" + m + "CKEREI";
  spec.client->address = "12 " + m + "USSERE STRASSE";
  spec.client->city_line = "K" + m + "LN, " + m + "L 12345";
  spec.client->ein = "12-34567" + m + "9";
  EmployeeSpec worker = Worker("K" + m + "1", 1000000, 2000000, 150000);
  worker.name = "J" + m + "RGEN, " + m + "NNE";
  spec.employees = {worker};
  spec.liability = std::vector<std::string>{"5000.00", "5000.00"};
  return spec;
}

std::string MarkedReport(char mark, bool form944) {
  const std::string m(1, mark);
  FormRouteRun run(MarkedClient(mark));
  WriteLetterheadFile(run.dir.path(), {"P" + m + "YROLL", m + " STREET", "T" + m + "WN", "", ""});
  RunState& state = run.ctx.state;
  state.print_941 = !form944;
  state.print_944 = form944;
  state.semiweekly_depositor = form944 ? "" : "Y";
  state.designee_name = "J" + m + "NE";
  state.designee_phone = "555-" + m;
  state.state_code = m + "L";
  state.preparer_codes = "&LH1% &LH2% &LH3%";
  run.Run();
  return run.report;
}

// The report of a client whose texts hold 0xC4 ("Ä" in the data, a horizontal box stroke on the
// printer) is the report of the same client with "~" in those places, the printer's "Ä" (0x8E)
// put for each "~": every data text is mapped, and nothing of the pages' own is.
TEST(DataTexts, EveryDataTextPrintsInThePrintersCharacterSet) {
  for (bool form944 : {false, true}) {
    SCOPED_TRACE(form944 ? "Form 944" : "Form 941 with Schedule B");
    std::string expected = MarkedReport('~', form944);
    // The marked texts all print, so that the comparison below sees each of them.
    for (const char* text : {"M~LLER & S~HNE", "B~CKEREI", "12 ~USSERE", "K~LN", "J~RGEN, ~NNE", "K~1", "J~NE",
                             "555-~", "P~YROLL", "~ STREET", "T~WN", "1234567~9"}) {
      EXPECT_NE(expected.find(text), std::string::npos) << text;
    }
    std::replace(expected.begin(), expected.end(), '~', '\x8e');
    const std::string printed = MarkedReport('\xc4', form944);
    ASSERT_EQ(printed.size(), expected.size());
    const auto at = static_cast<std::size_t>(std::mismatch(printed.begin(), printed.end(), expected.begin()).first -
                                             printed.begin());
    const std::size_t from = at < 60 ? 0 : at - 60;
    EXPECT_EQ(at, printed.size()) << "the printed bytes up to the first difference: "
                                  << testing::Visible(printed.substr(from, at - from + 1));
  }
}

}  // namespace
}  // namespace qreport
