#include "filing/return_outputs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qreport {
namespace {

using escp::FilingSheetLine;

// The sheet line captioned `caption` in `lines`, or null.
const FilingSheetLine* Captioned(const std::vector<FilingSheetLine>& lines, std::string_view caption) {
  for (const FilingSheetLine& line : lines) {
    if (line.caption == caption) return &line;
  }
  return nullptr;
}

const FilingSheetLine* Numbered(const std::vector<FilingSheetLine>& lines, std::string_view number) {
  for (const FilingSheetLine& line : lines) {
    if (line.number == number) return &line;
  }
  return nullptr;
}

CurrentReturn Return941() {
  CurrentReturn filed;
  filed.header.quarter = 2;
  filed.header.year = 2026;
  filed[CurrentFigure::kEmployeeCount] = 3;
  filed[CurrentFigure::kAdditionalMedicareWages] = 7'000'000;
  filed[CurrentFigure::kAdditionalMedicareTax] = 63'000;
  filed[CurrentFigure::kTotalTaxes] = 400'000;
  return filed;
}

TEST(CurrentReturnSheet, LinesTakeTheirColumnsAndTheChoiceThatApplies) {
  CurrentReturn filed = Return941();
  filed[CurrentFigure::kOverpayment] = 1'234;
  filed.overpaid = true;
  const escp::FilingSheet sheet = CurrentReturnSheet(filed, {});
  EXPECT_EQ(sheet.title, "Form 941 figures for the 2nd quarter of 2026");
  EXPECT_EQ(sheet.period, "Quarter: 2 (Apr, May, Jun) 2026");
  const FilingSheetLine* amt = Numbered(sheet.part1, "5d");
  ASSERT_NE(amt, nullptr);
  EXPECT_EQ(amt->column1, 7'000'000);
  EXPECT_EQ(amt->column2, 63'000);
  EXPECT_EQ(Numbered(sheet.part1, "1")->count, 3);
  EXPECT_FALSE(Numbered(sheet.part1, "1")->column2);
  EXPECT_TRUE(Numbered(sheet.part1, "4")->box);
  // The balance due takes no amount beside an overpayment, which takes its only choice.
  EXPECT_FALSE(Numbered(sheet.part1, "14")->column2);
  EXPECT_EQ(Numbered(sheet.part1, "15")->column2, 1'234);
  const FilingSheetLine* choice = Captioned(sheet.part1, kOverpaymentChoice);
  ASSERT_NE(choice, nullptr);
  EXPECT_TRUE(choice->box && choice->checked);
  EXPECT_EQ(&sheet.part1.back(), choice);

  filed.overpaid = false;
  filed[CurrentFigure::kOverpayment] = 0;
  const escp::FilingSheet due = CurrentReturnSheet(filed, {});
  EXPECT_EQ(Numbered(due.part1, "14")->column2, 0);
  EXPECT_FALSE(Numbered(due.part1, "15")->column2);
  EXPECT_EQ(Captioned(due.part1, kOverpaymentChoice), nullptr);
}

TEST(CurrentReturnSheet, PartTwoTicksTheScheduleAndListsTheMonthsOfAMonthlyDepositor) {
  struct Case {
    const char* name;
    FiledForm form;
    DepositSchedule schedule;
    std::size_t ticked;   // the choice ticked, by its place; choices.size() for none
    std::size_t months;   // the month rows
  } cases[] = {
      {"941 monthly", FiledForm::k941, DepositSchedule::kMonthly, 1, 3},
      {"941 semiweekly", FiledForm::k941, DepositSchedule::kSemiweekly, 2, 0},
      {"941 under $2,500", FiledForm::k941, DepositSchedule::kUnder2500, 0, 0},
      {"941 none chosen", FiledForm::k941, DepositSchedule::kNone, 3, 0},
      {"944 monthly", FiledForm::k944, DepositSchedule::kMonthly, 1, 12},
      {"944 semiweekly: Form 945-A, no box", FiledForm::k944, DepositSchedule::kSemiweekly, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CurrentReturn filed = Return941();
    filed.form = c.form;
    filed.schedule = c.schedule;
    filed.month_count = c.form == FiledForm::k941 ? 3 : 12;
    for (int month = 0; month < filed.month_count; ++month) filed.months[static_cast<std::size_t>(month)] = 100 + month;
    filed.months_total = 999;
    const escp::FilingSheet sheet = CurrentReturnSheet(filed, {});
    const auto choices = filed.schedule_choices();
    ASSERT_EQ(sheet.part2.size(), choices.size() + (c.months > 0 ? c.months + 1 : 0));
    EXPECT_EQ(sheet.part2.front().number, filed.schedule_line());
    std::size_t box = 0;
    for (const FilingSheetLine& line : sheet.part2) {
      if (!line.box) continue;
      EXPECT_EQ(line.caption, choices[box].caption);
      EXPECT_EQ(line.checked, box == c.ticked);
      ++box;
    }
    if (c.months == 0) continue;
    const FilingSheetLine* last_month = Captioned(sheet.part2, filed.month_caption(static_cast<int>(c.months) - 1));
    ASSERT_NE(last_month, nullptr);
    EXPECT_EQ(last_month->column2, 100 + static_cast<Cents>(c.months) - 1);
    EXPECT_EQ(Captioned(sheet.part2, filed.months_total_caption())->column2, 999);
  }
}

TEST(CurrentReturnSheet, FindingsBecomeSentencesAtTheFoot) {
  const escp::FilingSheet sheet =
      CurrentReturnSheet(Return941(), {{"additional-medicare", Severity::kWarning, "additional Medicare Tax of $1.00"},
                                       {"form-945a", Severity::kWarning, "it ends in a stop."}});
  EXPECT_EQ(sheet.notes, (std::vector<std::string>{"Additional Medicare Tax of $1.00.", "It ends in a stop."}));
}

}  // namespace
}  // namespace qreport
