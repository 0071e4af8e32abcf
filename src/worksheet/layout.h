// The printed worksheet: the page heading, the employee lines with 55-line paging, the totals
// line and the recap of taxes, written as printer text for a 132-column ESC/P printer.
#pragma once

#include <string>
#include <utility>

#include "data/report_writer.h"
#include "worksheet/accumulation.h"
#include "worksheet/recap.h"

namespace qreport {

inline constexpr int kLinesPerPage = 55;
inline constexpr int kPageWidth = 132;

// The month name of a month number text ("06" is June); empty for anything but 1 to 12.
std::string MonthName(std::string_view month_digits);

// "AS OF THE PERIOD ENDING June 30, 1999" for the payroll date 063099.
std::string PeriodEndingText(std::string_view payroll_date);

// The report date as the page heading shows it: MMDDYY becomes MM/DD/YY; a date that holds a
// "/" stays as it is.
std::string ReportDateShown(std::string_view date);

// The centring column for a text of `length` in the page width: (132 - length) / 2, a half to
// even.
int CentredColumn(std::size_t length);

// What a page heading shows besides the trade name.
struct WorksheetHeading {
  std::string employer_name;  // centred on the first line (35 bytes with padding)
  std::string payroll_date;   // MMDDYY: the period the heading names
  std::string report_date;    // as the heading shows it (ReportDateShown)
};

// Writes the worksheet's pages under `heading`.
class WorksheetPrinter {
 public:
  WorksheetPrinter(ReportWriter& out, WorksheetHeading heading, std::string trade_name)
      : out_(out), heading_(std::move(heading)), trade_name_(std::move(trade_name)) {}

  void PageHeading();
  // One employee's line; starts a page when needed and counts the employee.
  void EmployeeLine(const WorksheetLine& line);
  // The totals line, then the recap of taxes (on a new page when the totals passed line 42).
  void TotalsAndRecap(const WorksheetTotals& totals, const TaxFigures& taxes);

  int employee_count() const { return employee_count_; }
  int page_number() const { return page_; }

 private:
  void Rule(char c) { out_.Repeat(c, kPageWidth); }
  void ReverseFeed8();
  // The double-ruled totals line and the blank lines under it.
  void TotalsLine(const WorksheetTotals& totals);
  // The recap of taxes: FICA, Medicare, tips, FUTA, SUTA and other tax, with the totals withheld
  // and the employer's expense.
  void Recap(const WorksheetTotals& totals, const TaxFigures& taxes);

  ReportWriter& out_;
  WorksheetHeading heading_;
  std::string trade_name_;
  int page_ = 0;
  int line_count_ = 0;
  int employee_count_ = 0;
  char single_rule_ = '-';
  char double_rule_ = '=';
};

}  // namespace qreport
