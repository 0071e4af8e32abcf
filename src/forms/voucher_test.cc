// The payment voucher: its 941-V and 944-V forms, the quarter crosses and the file's last row.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "forms/printer_codes.h"
#include "forms/voucher.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using testing::Count;
using testing::Rows;

RunState VoucherState(int print941, int print944, std::string payroll_date = "063007") {
  RunState state;
  state.print_941 = print941;
  state.print_944 = print944;
  state.payroll_date = std::move(payroll_date);
  state.employer_name = std::string("ACME\0TOOLS", 10) + std::string(25, ' ');
  state.employer_address = "12 MAIN STREET" + std::string(21, ' ');
  state.employer_city_line = "SPRINGFIELD, IL 62704" + std::string(9, '\0');
  return state;
}

TEST(Voucher, FormsOf941AndOf944) {
  struct Case {
    int print941, print944;
    std::vector<std::string> present, absent;
    std::size_t grey_bands;
  } cases[] = {
      {1, 0,
       {"941-V", "Form 941 Payment Voucher", "OMB No. 1545-0029", "3 Tax Period",
        "4   Enter your business NAME (individual NAME FOR sole proprietor)", "no., \"941\", and 2007 on",
        "__ 1st Quarter", "__ 4th Quarter"},
       {"944"},
       0},
      {0, 1,
       {"944-V", "Form 944 Payment Voucher", "OMB No. 1545-2007",
        "3   Enter your business NAME (individual NAME FOR sole proprietor)", "no., \"944\", and 2007 on"},
       {"941", "Quarter", "Tax Period"},
       10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.print944);
    std::string text = VoucherText(MakeVoucherPage(VoucherState(c.print941, c.print944), "123456789"));
    for (const std::string& piece : c.present) EXPECT_NE(text.find(piece), std::string::npos) << piece;
    for (const std::string& piece : c.absent) EXPECT_EQ(text.find(piece), std::string::npos) << piece;
    EXPECT_EQ(Count(text, std::string(kGrey) + Band(26) + std::string(kBlack)), c.grey_bands);
    EXPECT_EQ(text.find(std::string(kOutlineOn) + std::string(kBoldOn) + "20" + std::string(kOutlineOff) + "07"), text.find(kOutlineOn));
    EXPECT_EQ(text[0], '\f');
    // The last row is the bottom of the boxes, with no line end: the report file ends there.
    std::vector<std::string> rows = Rows(text);
    EXPECT_EQ(rows.back(), Template("F" + std::string(25, ',') + "8" + std::string(53, ',')));
    EXPECT_NE(text.find("\r\n  " + Up(13) + "123456789" + Up(14) + "\r\n"), std::string::npos);
    // The employer's texts show NUL bytes as blanks.
    EXPECT_NE(text.find(Up(13) + "ACME TOOLS" + std::string(25, ' ') + Up(14)), std::string::npos);
    EXPECT_NE(text.find(Up(13) + "12 MAIN STREET" + Up(14)), std::string::npos);
    EXPECT_NE(text.find(Up(13) + "SPRINGFIELD, IL 62704" + std::string(9, ' ') + Up(14)), std::string::npos);
  }
}

TEST(Voucher, CrossMarksTheQuarterOfThePayrollMonth) {
  const char* labels[] = {"__ 1st Quarter", "__ 2nd Quarter", "__ 3rd Quarter", "__ 4th Quarter"};
  const std::string cross = Up(27) + "  X" + Esc("p0") + Esc("P") + std::string(kEighthInchLines);
  struct Case {
    const char* date;
    int quarter;  // 0: no cross
  } cases[] = {
      {"033105", 1}, {"063007", 2}, {"093005", 3}, {"103105", 4}, {"123105", 4},
      {"003105", 1},  // no month counts as the first quarter
      {"", 1},       {"ab", 1},
      {"133105", 0}, {"993105", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    std::vector<std::string> rows = Rows(VoucherText(MakeVoucherPage(VoucherState(1, 0, c.date), "")));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), cross), c.quarter == 0 ? 0 : 1);
    if (c.quarter == 0) continue;
    auto marked = std::find(rows.begin(), rows.end(), cross);
    ASSERT_NE(marked, rows.begin());
    EXPECT_NE((marked - 1)->find(labels[c.quarter - 1]), std::string::npos);
  }
  // The 944-V has no crosses at all.
  std::string annual = VoucherText(MakeVoucherPage(VoucherState(0, 1, "033105"), ""));
  EXPECT_EQ(annual.find(cross), std::string::npos);
}

}  // namespace
}  // namespace qreport
