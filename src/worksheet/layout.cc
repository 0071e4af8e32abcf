#include "worksheet/layout.h"

#include <array>

#include "text/ascii.h"
#include "text/masks.h"
#include "text/numbers.h"

namespace qreport {
namespace {

constexpr std::string_view kWageMask = "#,###,###.##";
constexpr std::string_view kSmallMask = "###,###.##";
// The same masks read once, for the employee lines.
constexpr NumberMask kWageField(kWageMask);
constexpr NumberMask kSmallField(kSmallMask);
constexpr std::string_view kRateMask = "  ###.## ";

// Columns of the page (from 1).
constexpr int kNameColumn = 8;           // the employee's name, after the key
constexpr std::size_t kNameWidthShown = 23;
constexpr int kAmountsColumn = 32;       // the first amount of an employee line and of the totals
constexpr int kRecapAmountsColumn = 38;  // the recap's taxable amount, rate and tax
constexpr int kTitleColumn = 53;         // the worksheet's title and its underline, centred
constexpr int kPageNumberEnd = 127;      // "Page N" ends just before this column
// The recap's heading and six rows need the page's lines from here on; a totals line that ends
// below this line sends the recap to a new page.
constexpr int kLastRecapStart = 42;

constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November", "December"};

// The most bytes of one employee line but its key: blanks to the amounts column and a line end,
// twice (a key past the name's column ends a line of its own), the name, the nine amounts at their
// masks' widest and the line end.
constexpr std::size_t kEmployeeLineRoom =
    2 * (kAmountsColumn + 2) + kNameWidthShown + 5 * kWageField.MaxBytes() + 4 * kSmallField.MaxBytes() + 2;

// Characters `start` (from 1) to `start + count - 1` of `text`; fewer where the text is shorter.
std::string_view Mid(std::string_view text, std::size_t start, std::size_t count) {
  if (start - 1 >= text.size()) return {};
  return text.substr(start - 1, count);
}

}  // namespace

std::string MonthName(std::string_view month_digits) {
  std::int64_t month = RoundHalfEven(ParseDecimal(month_digits));
  if (month < 1 || month > 12) return "";
  return std::string(kMonthNames[static_cast<std::size_t>(month - 1)]);
}

std::string PeriodEndingText(std::string_view payroll_date) {
  std::string_view year = Mid(payroll_date, 5, 2);
  std::string century = ParseDecimal(year) < 80 ? "20" : "19";
  return "AS OF THE PERIOD ENDING " + MonthName(Mid(payroll_date, 1, 2)) + " " + std::string(Mid(payroll_date, 3, 2)) +
         ", " + century + std::string(year);
}

std::string ReportDateShown(std::string_view date) {
  if (date.find('/') != std::string_view::npos) return std::string(date);
  return std::string(Mid(date, 1, 2)) + "/" + std::string(Mid(date, 3, 2)) + "/" + std::string(Mid(date, 5, 2));
}

int CentredColumn(std::size_t length) {
  return static_cast<int>(RoundHalfEven((kPageWidth - static_cast<double>(length)) / 2.0));
}

void WorksheetPrinter::ReverseFeed8() { out_.Text("\x1bj\x08"); }

void WorksheetPrinter::PageHeading() {
  if (page_ > 0) out_.Byte('\f');
  // Proportional off, ESC k A, ESC "y, 10 cpi, left margin 3, ESC "Q, DC1, emphasised.
  out_.Text(std::string_view("\x1bp\x00\x1bk" "A\x1b\"y\x1bP\x1bl\x03\x1b\"Q\x11\x1b" "E", 20));
  out_.LineEnd();
  line_count_ = 0;
  ++page_;
  out_.LineEnd();

  out_.DataText(heading_.report_date);
  out_.TabTo(CentredColumn(TrimRight(heading_.employer_name).size()));
  out_.DataText(heading_.employer_name);
  std::string page_text = NumberText(page_);
  out_.TabTo(kPageNumberEnd - static_cast<int>(page_text.size()));
  out_.Text("Page " + page_text);
  out_.LineEnd();

  bool has_trade_name = !trade_name_.empty();
  if (has_trade_name) {
    out_.TabTo(CentredColumn(trade_name_.size()));
    out_.DataText(trade_name_);
    out_.LineEnd();
  }
  out_.TabTo(kTitleColumn);
  out_.Text("QUARTERLY REPORT WORKSHEET");
  out_.LineEnd();
  out_.TabTo(kTitleColumn);
  out_.Text("--------------------------");
  out_.LineEnd();
  std::string period = PeriodEndingText(heading_.payroll_date);
  out_.TabTo(CentredColumn(period.size()));
  out_.DataText(period);
  out_.LineEnd();
  out_.Text(" ");
  out_.LineEnd();
  Rule(double_rule_);
  ReverseFeed8();
  out_.LineEnd();
  out_.Text("-----------Employee----------      Quarterly  ----------------TAXABLE WAGES-----");
  out_.Text("-----------    --TIPS--   ---------WITHHELD---------");
  out_.LineEnd();
  out_.Text("KEY    NAME                        Wages,Tips      FICA        FUTA        SUTA ");
  out_.Text("        SDI      Reptd    Fed WH   Sta WH     FICA ");
  ReverseFeed8();
  out_.LineEnd();
  Rule(double_rule_);
  out_.LineEnd();
  line_count_ = has_trade_name ? 11 : 10;
}

void WorksheetPrinter::EmployeeLine(const WorksheetLine& line) {
  if (page_ == 0 || line_count_ > kLinesPerPage) PageHeading();
  // The line is written in one piece into the report's buffer: this is the loop of the run.
  ReportWriter::Line out(out_, kEmployeeLineRoom + line.key.size());
  out.DataText(line.key);
  out.TabTo(kNameColumn);
  // The name in 23 columns, cut or padded.
  const std::string_view name = line.name.substr(0, kNameWidthShown);
  out.DataText(name);
  out.Blanks(kNameWidthShown - name.size());
  out.TabTo(kAmountsColumn);
  for (double wage : {line.wages_and_tips, line.fica_taxable, line.futa_taxable, line.suta_taxable, line.sdi_taxable}) {
    out.Amount(kWageField, wage);
  }
  for (double amount : {line.tips, line.federal_withheld, line.state_withheld, line.fica_withheld}) {
    out.Amount(kSmallField, amount);
  }
  out.End();
  ++line_count_;
  ++employee_count_;
  if (line_count_ >= kLinesPerPage) PageHeading();
}

void WorksheetPrinter::TotalsAndRecap(const WorksheetTotals& totals, const TaxFigures& taxes) {
  TotalsLine(totals);
  if (line_count_ > kLastRecapStart) PageHeading();
  Recap(totals, taxes);
}

void WorksheetPrinter::TotalsLine(const WorksheetTotals& totals) {
  if (line_count_ > kLinesPerPage) PageHeading();
  out_.Text(" ");
  out_.LineEnd();
  Rule(double_rule_);
  ReverseFeed8();
  out_.LineEnd();
  out_.Text(" TOTALS - " + NumberText(employee_count_) + " EMPLOYEES");
  out_.TabTo(kAmountsColumn);
  for (double wage : {totals.wages_and_tips, totals.fica_taxable, totals.futa_taxable, totals.suta_taxable, totals.sdi_taxable}) {
    out_.Text(FormatAmount(kWageMask, wage));
  }
  for (double amount : {totals.tips, totals.federal_withheld, totals.state_withheld, totals.fica_withheld}) {
    out_.Text(FormatAmount(kSmallMask, amount));
  }
  ReverseFeed8();
  out_.LineEnd();
  Rule(double_rule_);
  out_.LineEnd();
  out_.Text(" ");
  out_.LineEnd();
  out_.Text(" ");
  out_.LineEnd();
  line_count_ += 6;
}

void WorksheetPrinter::Recap(const WorksheetTotals& totals, const TaxFigures& taxes) {
  out_.Text("                                          Taxable   Tax");
  out_.LineEnd();
  out_.Text("RECAP OF TAXES                             Amount   Rate           Tax    Total");
  out_.Text("   Withheld    Expense");
  out_.LineEnd();
  out_.Text("--------------");
  out_.TabTo(kRecapAmountsColumn);
  out_.Repeat(single_rule_, 69);
  out_.LineEnd();

  auto row = [&](std::string_view label, double taxable, double rate, double tax) {
    out_.Text(label);
    out_.TabTo(kRecapAmountsColumn);
    out_.Text(FormatAmount(kWageMask, taxable));
    out_.Text(FormatAmount(kRateMask, rate));
    out_.Text(FormatAmount(kWageMask, tax));
  };
  auto money = [&](double amount) { out_.Text(FormatAmount(kSmallMask, amount)); };

  row(" FICA WAGES     ", totals.fica_taxable, taxes.fica_rate, taxes.fica_tax);
  out_.LineEnd();
  row(" MEDICARE WAGES ", totals.medicare_wages, taxes.medicare_rate, taxes.medicare_tax);
  out_.LineEnd();
  row(" TIPS REPORTED  ", totals.tips, taxes.tips_rate, taxes.tips_tax_shown);
  money(taxes.fica_total);
  money(totals.fica_withheld);
  money(taxes.fica_expense);
  out_.LineEnd();
  row(" FUTA WAGES     ", totals.futa_taxable, taxes.futa_rate, taxes.futa_tax);
  money(taxes.futa_tax);
  money(0);
  money(taxes.futa_tax);
  out_.LineEnd();
  row(" SUTA WAGES     ", totals.suta_taxable, taxes.suta_rate, taxes.suta_tax);
  money(taxes.suta_tax);
  money(0);
  money(taxes.suta_tax);
  out_.LineEnd();
  row(" OTHER TAX      ", totals.sdi_taxable, 0, 0);
  money(0);
  money(0);
  money(0);
  out_.LineEnd();
  line_count_ += 4;
}

}  // namespace qreport
