#include "forms/schedule_b_layout.h"

#include "forms/form_rows.h"
#include "forms/printer_codes.h"

namespace qreport {
namespace {

// The day boxes are 10 columns apart, 8 to a week row, the first one's left side in column 2.
constexpr int kDayBoxWidth = 10;
constexpr int kDaysPerRow = 8;
constexpr std::string_view kDayMask = "#####.00";

// The blanks before the left side of box `k` (from 0) of a week row.
int BoxStart(int k) { return 1 + kDayBoxWidth * k; }

// One week row of a month's grid: the day numbers, small, on the first line of the boxes and
// their amounts on the second; `first` is the row's first day (1, 9, 17 or 25).
void WeekRow(PrinterText& out, const std::array<Cents, kLiabilityDaysPerMonth>& days, int first, bool last) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  int count = last ? kLiabilityDaysPerMonth - first + 1 : kDaysPerRow;
  std::string sides = last ? Template(" .         .         .         .         .         .         .         .")
                           : Template(" .         .         .         .         .         .         .         .         .");
  Row(sides);
  for (int k = 0; k < count; ++k) Row(Up(27), Sp(BoxStart(k) + 1), kSmall, std::to_string(first + k), kBase);
  Row(sides);
  for (int k = 0; k < count; ++k) {
    Cents day = days[static_cast<std::size_t>(first + k - 1)];
    if (day != 0) Row(Up(27), Sp(BoxStart(k) + 1), DayAmount(day));
  }
}

// The grid of days 1 to 31 of one month.
void MonthGrid(PrinterText& out, const std::array<Cents, kLiabilityDaysPerMonth>& days) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Template(" R,,,,,,,,,7,,,,,,,,,7,,,,,,,,,7,,,,,,,,,7,,,,,,,,,7,,,,,,,,,7,,,,,,,,,7,,,,,,,,,T"));
  WeekRow(out, days, 1, false);
  Row(Template(" 5,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,6"));
  WeekRow(out, days, 9, false);
  Row(Template(" 5,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,6"));
  WeekRow(out, days, 17, false);
  Row(Template(" 5,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,/,,,,,,,,,G"));
  WeekRow(out, days, 25, true);
  Row(Template(" F,,,,,,,,,8,,,,,,,,,8,,,,,,,,,8,,,,,,,,,8,,,,,,,,,8,,,,,,,,,8,,,,,,,,,G"));
}

// A money box in the forms' totals column, as Form 941's line boxes are drawn, its label bold.
void MoneyBoxRow(PrinterText& out, std::string_view label, Cents amount) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Up(13), Template(kTotalsColumn.top));
  Row(Template(kTotalsColumn.inside));
  Row(Up(27), Sp(kTotalsColumn.amount_at), Bracketed(amount));
  Row(Up(27), Sp(2), kSmall, kBoldOn, label, kBoldOff, kBase);
  Row(Up(14), Template(kTotalsColumn.bottom));
}

// The printer's set-up, then the form's title, revision and OMB number.
void HeadingRows(PrinterText& out) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Esc("k\x42"), Esc("\"y"), Esc("0"));
  Row(Esc("P"));
  Row(Esc("p0"));
  Row(Esc("l\x03"), Up(27), Up(27), kCondensedEsc, kProportional, kPt14, kBoldOn, "  Schedule B (Form 941):", kPt10,
      " Report of Tax Liability for Semiweekly Schedule Depositors", kBoldOff, kBase);
  Row(Sp(2), kCondensedEsc, kProportional, "Rev. January 2005", kBase);
  Row(Sp(14), Up(27), kCondensedEsc, kProportional, kBoldOn, "Department of the Treasury - Internal Revenue Service", kBoldOff, kBase);
  Row(Tab(69), Up(27), kCondensedEsc, kProportional, kBoldOn, "OMB No. 1545-0029", kBoldOff, kBase);
}

// Identification block: EIN boxes, name and calendar year; the quarter boxes on the right.
void IdentificationRows(PrinterText& out, const ScheduleB& schedule) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  EinBoxRows(out, schedule.employer.ein_boxes);
  Row(Up(27), Sp(58), kSmall, "Report for this Quarter", kBase);
  Row(Template(" .         R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T.  . F,,,,,,,,,,,,,,,,,,G ."));
  Row(Template(" .         .                                       ..  . R,T                  ."));
  Row(Up(27), Sp(13), FromData(schedule.employer.employer_name));
  Row(Up(27), Sp(2), kCondensed, kProportional, "Name", kBase);
  Row(Up(14), Sp(61), kSmall, "1. Jan., Feb., March", Up(13), kBase);
  if (schedule.quarter == 1) Row(Up(14), Sp(58), "X", Up(13));
  Row(Template(" .         F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G.  . F,G                  ."));
  Row(Up(14), Template(" .         R,,,,,,T                                 .  . R,T                  ."));
  Row(Up(14), Sp(61), kSmall, "2. Apr., May, June", Up(13), kBase);
  Row(Up(7), Sp(2), kCondensed, kProportional, "Calendar", Sp(1), "year", Up(21), kBase);
  if (schedule.quarter == 2) Row(Up(14), Sp(58), "X", Up(13));
  Row(Template(" .         .      .                                 .  . F,G                  ."));
  Row(Up(27), Sp(12), FromData(schedule.year));
  Row(Template(" .         F,,,,,,G                                 .  .                      ."));
  Row(Up(13), Template(" .                                                  .  . R,T                  ."));
  Row(Up(14), Sp(61), kSmall, "3. July, Aug., Sept.", Up(13), kBase);
  if (schedule.quarter == 3) Row(Up(14), Sp(58), "X", Up(13));
  Row(Template(" .                                                  .  . F,G                  ."));
  Row(Template(" .                                                  .  . R,T                  ."));
  Row(Up(14), Sp(61), kSmall, "4. Oct., Nov., Dec.", Up(13), kBase);
  if (schedule.quarter == 4) Row(Up(14), Sp(58), "X", Up(13));
  Row(Template(" .                                                  .  . F,G                  ."));
  Row(Template(" F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G  F,,,,,,,,,,,,,,,,,,,,,,G"));
}

// Month 1, 2 or 3: its heading, its grid of days and its liability; month 3 also shows what the
// liability file holds past its 31st day.
void MonthRows(PrinterText& out, const ScheduleB& schedule, int month) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  const std::string name = "Month " + std::to_string(month);
  const auto m = static_cast<std::size_t>(month - 1);
  Row();
  Row(Sp(2), kSmall, kBoldOn, name, kBoldOff, kBase);
  MonthGrid(out, schedule.days[m]);
  if (month == 3 && schedule.records > kLiabilityDaySlots) MoneyBoxRow(out, "Other entries of month 3 (past day 31)", schedule.month3_other);
  MoneyBoxRow(out, "Tax liability for " + name, schedule.months[m]);
}

}  // namespace

std::string DayAmount(Cents amount) { return amount == 0 ? std::string() : BracketedAmount(amount, kDayMask); }

std::string ScheduleBPage(const ScheduleB& schedule) {
  PrinterText out;
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  HeadingRows(out);
  IdentificationRows(out, schedule);

  // What the page is for
  Row(Sp(2), kSmall, "Fill in your tax liability for each day of the quarter on the numbered space that corresponds", kBase);
  Row(Sp(2), kSmall, "to the date wages were paid. Attach this page to Form 941.", kBase);
  MonthRows(out, schedule, 1);
  MonthRows(out, schedule, 2);
  MonthRows(out, schedule, 3);

  // The quarter
  Row();
  MoneyBoxRow(out, "Total liability for the quarter", schedule.total);
  Row(Sp(2), kSmall, "Total must equal line 10 of Form 941.", kBase);
  Row();

  // Footer
  Row(Template(" ,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,"));
  Row(Sp(2), Up(14), kSmall, kBoldOn, "For Paperwork Reduction Act Notice, see separate instructions.", Up(13), kBoldOff, kBase);
  Row(Sp(62), Up(14), kCondensedEsc, kProportional, kBoldOn, "Schedule B (Form 941)", kBoldOff, Up(13), kBase);
  return out.bytes();
}

}  // namespace qreport
