#include "support/filing_sheet_example.h"

namespace qreport::testing {

namespace {

using escp::FilingSheet;
using escp::FilingSheetLine;

FilingSheetLine Caption(const char* number, const char* caption) {
  FilingSheetLine line;
  line.number = number;
  line.caption = caption;
  return line;
}

FilingSheetLine Amount(const char* number, const char* caption, Cents amount) {
  FilingSheetLine line = Caption(number, caption);
  line.column2 = amount;
  return line;
}

FilingSheetLine Columns(const char* number, const char* caption, Cents column1, Cents column2) {
  FilingSheetLine line = Amount(number, caption, column2);
  line.column1 = column1;
  return line;
}

FilingSheetLine Box(const char* number, const char* caption, bool checked) {
  FilingSheetLine line = Caption(number, caption);
  line.box = true;
  line.checked = checked;
  return line;
}

void Employer(FilingSheet& sheet) {
  sheet.ein = "12-3456789";
  sheet.name = "Harbor Light Hardware Supply LLC";
  sheet.trade_name = "Harbor Light Hardware";
  sheet.address = "100 Main Street, Suite 4";
  sheet.city = "Springfield";
  sheet.state = "IL";
  sheet.zip = "62701";
}

}  // namespace

escp::FilingSheet ExampleForm941Sheet() {
  FilingSheet sheet;
  sheet.form = "941";
  sheet.title = "Form 941 figures for the 2nd quarter of 2026";
  sheet.period = "Quarter: 2 (Apr, May, Jun) 2026";
  Employer(sheet);
  FilingSheetLine employees =
      Caption("1", "number of employees paid for the pay period including March 12, June 12, Sept. 12 or Dec. 12");
  employees.count = 3;
  sheet.part1 = {
      employees,
      Amount("2", "wages, tips and other compensation", 15'240'000),
      Amount("3", "federal income tax withheld", 1'825'040),
      Box("4", "no wages, tips or compensation subject to social security or Medicare tax (then go to line 6)", false),
      Columns("5a", "taxable social security wages", 6'240'000, 773'760),
      Columns("5b", "taxable social security tips", 0, 0),
      Columns("5c", "taxable Medicare wages and tips", 15'240'000, 441'960),
      Columns("5d", "taxable wages and tips subject to Additional Medicare Tax withholding", 7'000'000, 63'000),
      Amount("5e", "total social security and Medicare taxes: column 2 of 5a, 5b, 5c and 5d added", 1'278'720),
      Amount("5f", "tax due on unreported tips under a section 3121(q) notice and demand", 0),
      Amount("6", "total taxes before adjustments: lines 3 + 5e + 5f", 3'103'760),
      Amount("7", "current quarter's adjustment for fractions of cents", -2),
      Amount("8", "current quarter's adjustment for sick pay", 0),
      Amount("9", "current quarter's adjustments for tips and group-term life insurance", 0),
      Amount("10", "total taxes after adjustments: lines 6 through 9 combined", 3'103'758),
      Amount("11", "qualified small business payroll tax credit for increasing research activities (Form 8974 attached)", 0),
      Amount("12", "total taxes after adjustments and nonrefundable credits: line 10 - line 11", 3'103'758),
      Amount("13", "total deposits for the quarter, including overpayment applied from a prior quarter and from Forms 941-X/944-X filed in the quarter", 3'100'000),
      Amount("14", "balance due: line 12 - line 13 when line 12 is more", 3'758),
      Caption("15", "overpayment: line 13 - line 12 when line 13 is more"),
  };
  sheet.part2 = {
      Box("16", "line 12 on this return is less than $2,500: no deposit schedule", false),
      Box("", "monthly schedule depositor for the whole quarter", true),
      Amount("", "month 1", 1'034'586),
      Amount("", "month 2", 1'034'586),
      Amount("", "month 3", 1'034'586),
      Amount("", "total liability for the quarter, which must equal line 12", 3'103'758),
      Box("", "semiweekly schedule depositor for any part of the quarter: Schedule B (Form 941) is attached", false),
  };
  sheet.designee_name = "Lakeside Payroll Services";
  sheet.designee_phone = "(217) 555-0142";
  sheet.notes = {
      "Additional Medicare Tax of 630.00 (0.9% of the 70,000.00 paid above $200,000) is in line 12; the "
      "printed Form 941 has no line for it.",
  };
  return sheet;
}

escp::FilingSheet ExampleForm944Sheet() {
  FilingSheet sheet;
  sheet.form = "944";
  sheet.title = "Form 944 figures for 2026";
  sheet.period = "Year: 2026";
  Employer(sheet);
  sheet.part1 = {
      Amount("1", "wages, tips and other compensation", 1'000'000),
      Amount("2", "federal income tax withheld", 60'000),
      Box("3", "no wages subject to social security or Medicare tax (then go to line 5)", false),
      Columns("4a", "taxable social security wages", 1'000'000, 124'000),
      Columns("4b", "taxable social security tips", 0, 0),
      Columns("4c", "taxable Medicare wages and tips", 1'000'000, 29'000),
      Columns("4d", "taxable wages and tips subject to Additional Medicare Tax withholding", 0, 0),
      Amount("4e", "total social security and Medicare taxes: column 2 of 4a to 4d added", 153'000),
      Amount("5", "total taxes before adjustments: lines 2 + 4e", 213'000),
      Amount("6", "current year's adjustments (fractions of cents, sick pay, tips and group-term life insurance)", 1),
      Amount("7", "total taxes after adjustments: lines 5 + 6", 213'001),
      Amount("8", "qualified small business payroll tax credit for increasing research activities (Form 8974)", 0),
      Amount("9", "total taxes after adjustments and nonrefundable credits: line 7 - line 8", 213'001),
      Amount("10", "total deposits for the year, including overpayment applied from a prior year and from Forms 944-X/941-X", 213'500),
      Caption("11", "balance due: line 9 - line 10 when line 9 is more"),
      Amount("12", "overpayment: line 10 - line 9 when line 10 is more", 499),
      Box("", "apply to next return", true),
  };
  sheet.part2 = {Box("13", "line 9 is less than $2,500", true)};
  return sheet;
}

}  // namespace qreport::testing
