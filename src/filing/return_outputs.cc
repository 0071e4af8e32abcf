#include "filing/return_outputs.h"

#include <cctype>
#include <sstream>

#include <nlohmann/json.hpp>

#include "check/return_checks.h"
#include "json/return_json.h"

namespace qreport {
namespace {

using escp::FilingSheet;
using escp::FilingSheetLine;

const char* const kQuarterMonths[] = {"Jan, Feb, Mar", "Apr, May, Jun", "Jul, Aug, Sep", "Oct, Nov, Dec"};

std::string Ordinal(int number) {
  const char* suffix = number == 1 ? "st" : number == 2 ? "nd" : number == 3 ? "rd" : "th";
  return std::to_string(number) + suffix;
}

// The title and the period: the quarter of a Form 941, the year of a Form 944.
void Head(const CurrentReturn& filed, FilingSheet& sheet) {
  const CurrentReturnHeader& header = filed.header;
  const std::string year = std::to_string(header.year);
  if (filed.form == FiledForm::k944) {
    sheet.form = "944";
    sheet.title = "Form 944 figures for " + year;
    sheet.period = "Year: " + year;
  } else if (header.quarter >= 1 && header.quarter <= 4) {
    sheet.form = "941";
    sheet.title = "Form 941 figures for the " + Ordinal(header.quarter) + " quarter of " + year;
    sheet.period = "Quarter: " + std::to_string(header.quarter) + " (" + kQuarterMonths[header.quarter - 1] + ") " + year;
  } else {
    sheet.form = "941";
    sheet.title = "Form 941 figures for " + year + ", no quarter given";
    sheet.period = "Quarter: none given " + year;
  }
  sheet.ein = header.ein;
  sheet.name = header.name;
  sheet.trade_name = header.trade_name;
  sheet.address = header.address;
  sheet.city = header.city;
  sheet.state = header.state;
  sheet.zip = header.zip;
  sheet.designee_name = header.designee_name;
  sheet.designee_phone = header.designee_phone;
}

// One numbered line; a column 1 line takes its column 2 figure along.
FilingSheetLine SheetLine(const CurrentReturn& filed, const CurrentLine& line) {
  FilingSheetLine out;
  out.number = line.number;
  out.caption = line.caption;
  const Cents value = filed[line.figure];
  switch (line.kind) {
    case LineKind::kCount: out.count = value; return out;
    case LineKind::kBox: out.box = true; out.checked = value != 0; return out;
    case LineKind::kMoney: break;
  }
  if (line.column == 1) {
    out.column1 = value;
    out.column2 = filed[*FindLine(filed.numbering(), line.number, 2)];
  } else {
    out.column2 = value;
  }
  return out;
}

// Part 1: every line in the form's order. Of the balance due and the overpayment only the one
// that applies shows an amount, and an overpayment takes its choice below it.
void Part1(const CurrentReturn& filed, FilingSheet& sheet) {
  for (const CurrentLine& line : filed.numbering()) {
    if (line.column == 2) continue;
    FilingSheetLine out = SheetLine(filed, line);
    const bool other_side = (line.figure == CurrentFigure::kBalanceDue && filed.overpaid) ||
                            (line.figure == CurrentFigure::kOverpayment && !filed.overpaid);
    if (other_side) out.column2.reset();
    sheet.part1.push_back(std::move(out));
    if (line.figure == CurrentFigure::kOverpayment && filed.overpaid) {
      FilingSheetLine choice;
      choice.caption = kOverpaymentChoice;
      choice.box = true;
      choice.checked = true;
      sheet.part1.push_back(std::move(choice));
    }
  }
}

// Part 2: each choice of the schedule line, the chosen one ticked; the monthly choice is followed
// by the months and their total.
void Part2(const CurrentReturn& filed, FilingSheet& sheet) {
  for (const ScheduleChoice& choice : filed.schedule_choices()) {
    FilingSheetLine box;
    box.number = sheet.part2.empty() ? std::string(filed.schedule_line()) : "";
    box.caption = choice.caption;
    box.box = true;
    box.checked = choice.schedule == filed.schedule;
    sheet.part2.push_back(std::move(box));
    if (choice.schedule != DepositSchedule::kMonthly || filed.schedule != DepositSchedule::kMonthly) continue;
    for (int month = 0; month < filed.month_count; ++month) {
      FilingSheetLine amount;
      amount.caption = filed.month_caption(month);
      amount.column2 = filed.months[static_cast<std::size_t>(month)];
      sheet.part2.push_back(std::move(amount));
    }
    FilingSheetLine total;
    total.caption = filed.months_total_caption();
    total.column2 = filed.months_total;
    sheet.part2.push_back(std::move(total));
  }
}

// A finding's message as a sentence: a capital first letter and a closing full stop.
std::string Sentence(std::string message) {
  if (message.empty()) return message;
  message[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(message[0])));
  if (message.back() != '.') message += '.';
  return message;
}

}  // namespace

std::string CurrentReturnJsonText(const CurrentReturn& filed) {
  return CurrentReturnJson(filed).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

escp::FilingSheet CurrentReturnSheet(const CurrentReturn& filed, const std::vector<Finding>& findings) {
  FilingSheet sheet;
  Head(filed, sheet);
  Part1(filed, sheet);
  Part2(filed, sheet);
  for (const Finding& finding : findings) sheet.notes.push_back(Sentence(finding.message));
  return sheet;
}

escp::FilingSheet CurrentReturnSheet(const ReportFigures& figures, const CurrentReturn& filed) {
  std::vector<Finding> findings;
  CheckCurrentReturn(figures, findings);
  return CurrentReturnSheet(filed, findings);
}

std::string CurrentReturnPdf(const escp::FilingSheet& sheet, const escp::FontSet& fonts) {
  std::ostringstream pdf;
  escp::WriteFilingSheetPdf(sheet, fonts, pdf);
  return pdf.str();
}

}  // namespace qreport
