// Schedule B: the days, months and quarter total read from the liability file, checked against
// amounts the tests place themselves and against the month sums the options dialog starts with;
// and the printed page as a golden file.
#include "forms/schedule_b.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cli/demo/demo_client.h"
#include "data/client_writer.h"
#include "forms/schedule_b_layout.h"
#include "run/report_run.h"
#include "support/fixture.h"
#include "support/recording_platform.h"
#include "text/numbers.h"

namespace qreport {
namespace {

using testing::CompareGolden;
using testing::PlainClient;
using testing::RecordingPlatform;
using testing::TempDir;

// The state of a run of the client in `folder` as the form route holds it before the dialog.
RunState StateOf(const std::filesystem::path& folder, const std::string& payroll_date) {
  RunState state;
  state.data_dir = folder.string();
  state.payroll_date = state.report_date = payroll_date;
  return state;
}

// A liability file of `count` records, all "0.00" but the ones set.
std::vector<std::string> Liabilities(int count, const std::vector<std::pair<int, std::string>>& set) {
  std::vector<std::string> records(static_cast<std::size_t>(count), "0.00");
  for (const auto& [number, text] : set) records[static_cast<std::size_t>(number - 1)] = text;
  return records;
}

// A second-quarter client who paid on a few days, with a refund day, a day the payroll program
// left holding a word, a day holding a number followed by text, and three records past the 93rd.
TEST(ScheduleBGolden, ChosenDaysNegativeAndTextDaysAndRecordsPastTheLastDay) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = PlainClient("063026");
  spec.liability = Liabilities(96, {{3, "1234.56"},
                                    {17, "2250.10"},
                                    {31, "-12.50"},  // a correction: lowers month 1
                                    {32, "987.65"},
                                    {45, "VOID"},     // no number: an empty day
                                    {59, "15abc"},    // reads as 15
                                    {62, "10000.01"},
                                    {63, "4321.00"},
                                    {80, "99999.99"},
                                    {93, "0.07"},
                                    {94, "100.00"},
                                    {96, "-0.50"}});
  WriteClientFolder(dir / "client", spec);

  ScheduleB schedule = ReadScheduleB(StateOf(dir / "client", "063026"));

  EXPECT_EQ(schedule.employer.employer_name, "ACME TOOL AND DIE CO");
  EXPECT_EQ(schedule.employer.ein_boxes, "123456789");
  EXPECT_EQ(schedule.year, "2026");
  EXPECT_EQ(schedule.quarter, 2);
  EXPECT_EQ(schedule.records, 96);
  EXPECT_EQ(schedule.days[0][2], 123456);
  EXPECT_EQ(schedule.days[0][30], -1250);
  EXPECT_EQ(schedule.days[1][0], 98765);
  EXPECT_EQ(schedule.days[1][13], 0);
  EXPECT_EQ(schedule.days[1][27], 1500);
  EXPECT_EQ(schedule.days[2][30], 7);
  EXPECT_EQ(schedule.month3_other, 9950);
  EXPECT_EQ(schedule.months, (std::array<Cents, 3>{123456 + 225010 - 1250, 98765 + 1500 + 1000001, 432100 + 9999999 + 7 + 9950}));
  EXPECT_EQ(schedule.total, schedule.months[0] + schedule.months[1] + schedule.months[2]);

  EXPECT_EQ(CompareGolden("forms/schedule_b.txt", ScheduleBPage(schedule)), "");
}

TEST(ScheduleB, DaysFollowTheirRecordsAndMonthsSumThemAsTheDialogDoes) {
  struct Case {
    const char* name;
    std::vector<std::string> records;
    std::vector<std::pair<int, Cents>> days;  // (record number, cents) expected on the page
    std::array<Cents, 3> months;
    Cents other;
  };
  const Case cases[] = {
      {"no file records", {}, {}, {0, 0, 0}, 0},
      {"day 31 is month 1, record 32 is day 1 of month 2",
       Liabilities(32, {{31, "1.00"}, {32, "2.00"}}), {{31, 100}, {32, 200}}, {100, 200, 0}, 0},
      {"record 62 is day 31 of month 2, 63 day 1 of month 3",
       Liabilities(63, {{62, "3.00"}, {63, "4.00"}}), {{62, 300}, {63, 400}}, {0, 300, 400}, 0},
      {"leading blanks, exponent, blank text", Liabilities(3, {{1, "   1.5E2"}, {2, "          "}, {3, "2D1"}}),
       {{1, 15000}, {2, 0}, {3, 2000}}, {17000, 0, 0}, 0},
      // Fractions of a cent: a day rounds to the cent (a half to even) as the month does.
      {"fractions of a cent", Liabilities(32, {{1, "0.125"}, {32, "0.375"}}), {{1, 12}, {32, 38}}, {12, 38, 0}, 0},
      {"records past the 93rd", Liabilities(95, {{93, "1.00"}, {94, "2.00"}, {95, "3.00"}}), {{93, 100}},
       {0, 0, 600}, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ClientFolderSpec spec;
    spec.client = PlainClient("063026");
    spec.liability = c.records;
    WriteClientFolder(dir.path(), spec);
    ScheduleB schedule = ReadScheduleB(StateOf(dir.path(), "063026"));
    for (const auto& [number, cents] : c.days) {
      EXPECT_EQ(schedule.days[static_cast<std::size_t>((number - 1) / 31)][static_cast<std::size_t>((number - 1) % 31)], cents)
          << "record " << number;
    }
    EXPECT_EQ(schedule.months, c.months);
    EXPECT_EQ(schedule.month3_other, c.other);
    EXPECT_EQ(schedule.months, ReadLiabilityMonths(dir.str()));
  }
}

// The month sums the options dialog shows first: its three month boxes read back as cents.
std::array<Cents, 3> DialogStartMonths(const std::filesystem::path& folder) {
  RecordingPlatform platform;
  platform.answers = "402\n";  // Cancel: nothing is written
  std::string device = "P";
  RunReport(folder.string(), device, "941", platform, folder.string());
  std::array<Cents, 3> months{};
  if (platform.dialogs.empty()) return months;
  for (int m = 0; m < 3; ++m) {
    const DialogControl* box = platform.dialogs[0].Find(216 + m);
    if (box != nullptr) months[static_cast<std::size_t>(m)] = ToCents(ParseDecimal(box->text));
  }
  return months;
}

// Random liability files as a payroll program writes them (whole cents, mostly blank days, now
// and then a correction, a word, or records past the 93rd): the page's months are the dialog's
// first month sums, its days are the amounts placed, and days plus other entries add up to them.
TEST(ScheduleBProperty, MonthTotalsAreTheDialogsMonthSumsForRandomFiles) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto Roll = [&random](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
    int count = Roll(8) == 0 ? Roll(130) : 93;
    std::vector<std::string> records;
    std::vector<Cents> placed;
    for (int i = 0; i < count; ++i) {
      Cents cents = 0;
      std::string text = Roll(2) == 0 ? "" : "0.00";
      int kind = Roll(10);
      if (kind < 2) {
        cents = Roll(3'000'000);
      } else if (kind == 2) {
        cents = -Roll(50'000);
      } else if (kind == 3) {
        text = "N/A";
      }
      if (cents != 0) {
        std::string hundredths = std::to_string((cents < 0 ? -cents : cents) % 100);
        text = (cents < 0 ? "-" : "") + std::to_string((cents < 0 ? -cents : cents) / 100) + "." +
               (hundredths.size() < 2 ? "0" : "") + hundredths;
      }
      records.push_back(text);
      placed.push_back(cents);
    }
    TempDir dir;
    ClientFolderSpec spec;
    spec.client = PlainClient("093026");
    spec.liability = records;
    WriteClientFolder(dir.path(), spec);

    ScheduleB schedule = ReadScheduleB(StateOf(dir.path(), "093026"));

    ASSERT_EQ(schedule.months, DialogStartMonths(dir.path()));
    std::array<Cents, 3> sums{};
    Cents other = 0;
    for (int i = 0; i < count; ++i) {
      int month = i < 31 ? 0 : (i < 62 ? 1 : 2);
      sums[static_cast<std::size_t>(month)] += placed[static_cast<std::size_t>(i)];
      if (i >= 93) {
        other += placed[static_cast<std::size_t>(i)];
      } else {
        ASSERT_EQ(schedule.days[static_cast<std::size_t>(month)][static_cast<std::size_t>(i % 31)],
                  placed[static_cast<std::size_t>(i)]);
      }
    }
    ASSERT_EQ(schedule.months, sums);
    ASSERT_EQ(schedule.month3_other, other);
    ASSERT_EQ(schedule.total, sums[0] + sums[1] + sums[2]);
    ASSERT_EQ(schedule.quarter, 3);
  }
}

// The demo client is a semiweekly depositor paid every other Friday; its month sums are the ones
// its report has always been built from, so the demo report stays the same bytes.
TEST(ScheduleB, DemoClientHasLiabilitiesOnItsPaydaysAndItsOldMonthSums) {
  TempDir dir;
  WriteDemoClient(dir.path());
  ScheduleB schedule = ReadScheduleB(StateOf(dir.path(), "063026"));
  EXPECT_EQ(schedule.months, (std::array<Cents, 3>{1626398, 1626398, 1626401}));
  EXPECT_EQ(schedule.months, DialogStartMonths(dir.path()));
  EXPECT_EQ(schedule.total, 4879197);
  const std::vector<int> paydays[3] = {{3, 17}, {1, 15, 29}, {12, 26}};
  for (std::size_t m = 0; m < 3; ++m) {
    std::vector<int> days;
    for (std::size_t d = 0; d < 31; ++d) {
      if (schedule.days[m][d] != 0) days.push_back(static_cast<int>(d) + 1);
      EXPECT_GE(schedule.days[m][d], 0);
    }
    EXPECT_EQ(days, paydays[m]) << "month " << m + 1;
  }
  EXPECT_EQ(schedule.employer.ein_boxes, "364182957");
}

TEST(ScheduleB, DayAmountIsBlankForZeroAndKeepsTheLastDigitInPlace) {
  struct Case {
    Cents cents;
    const char* text;
  };
  const Case cases[] = {
      {0, ""},
      {7, "    0.07"},
      {123456, " 1234.56"},
      {9999999, "99999.99"},
      {-1250, "  <12.50>"},
      {100000000, "1000000.00"},  // wider than the box: nothing is cut
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cents);
    EXPECT_EQ(DayAmount(c.cents), c.text);
  }
}

}  // namespace
}  // namespace qreport
