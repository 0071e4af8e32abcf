#include "forms/form944_layout.h"

#include "forms/form_rows.h"
#include "forms/printer_codes.h"
#include "forms/signature_rows.h"

namespace qreport {

namespace {

// The sections of the two pages, top to bottom; each writes its rows in printed order.

// Who must file, on the right of the identification block; the four rows under its text hold
// only blanks, and the row of the payroll month's quarter prints its reverse feeds alone.
IdentificationColumn WhoMustFile(double month) {
  IdentificationColumn c;
  c.heading = "Who must file Form 944";
  c.labels = {"You must file Annual", "form 944 only if  ", "notified by IRS in  ", "writing            "};
  c.marked = {0 < month && month < 4, 3 < month && month < 7, 6 < month && month < 10, 9 < month && month < 13};
  return c;
}

void Lines1To3(PrinterText& out, const ReturnLines& lines) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Up(13));
  MoneyBoxRows(out, kTotalsColumn, 14, Bracketed(lines[Form944Line("1")]), 2, "1. Wages,tips, and other compensation", 13);
  MoneyBoxRows(out, kTotalsColumn, 13, Bracketed(lines[Form944Line("2")]), 2, "2. Total Income tax withheld from wages,tips,and other compensation", 14);
  Row(Up(14), Template("                                                                R,T"));
  Row(Up(14), Sp(2), kSmall, "3. If no wages,tips,and other compensation are subject to S.S. tax", Up(13), kBase);
  Row(Up(14), Sp(68), kSmall, "Check & go to line 5", Up(13), kBase);
  Row(Template("                                                                F,G"));
}

// Taxable wages and tips in column 1, the taxes in column 2.
void Line4(PrinterText& out, const ReturnLines& lines) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Up(13), Sp(2), kSmall, "4. Taxable social security and Medicare wages and Tips", kBase);
  Row(Sp(31), kSmall, "Column 1", kBase);
  Row(Up(27), Sp(52), kSmall, "Column 2", kBase);
  ColumnPairRows(out, 0, lines[Form944Line("4a", 1)], lines[Form944Line("4a", 2)], "4a.Taxable soc. sec. wages", "x.124");
  ColumnPairRows(out, 14, lines[Form944Line("4b", 1)], lines[Form944Line("4b", 2)], "4b.Taxable soc. sec. tips", "x.124");
  ColumnPairRows(out, 13, lines[Form944Line("4c", 1)], lines[Form944Line("4c", 2)], "4c.Taxable Med. wages & tips", "x.029");
}

void Line4dAndLine5(PrinterText& out, const ReturnLines& lines) {
  MoneyBoxRows(out, kTotalsColumn, 14, Bracketed(lines[Form944Line("4d")]), 3, "4d. Total social security and medicare taxes", 14);
  MoneyBoxRows(out, kTotalsColumn, 13, Bracketed(lines[Form944Line("5")]), 2, "5. Total taxes before adjustments", 14);
}

// The adjustments. 6a shows 7a (which may hold the fraction of cents) and the box below it 7b
// (a box with no label and no bottom); 7c has no box but counts in 6f; 6b to 6e show 7d to 7g.
void Line6(PrinterText& out, const ReturnLines& lines) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  // "amountds": the printed form's own text, kept on purpose.
  Row(Sp(2), kSmall, "6. Tax adjustments (put negative amountds in brackets)", kBase);
  MoneyBoxRows(out, kAdjustmentsColumn, 14, Bracketed(lines[Form944Line("6a")]), 3, "6a. Current year's adjustments         ", 14);
  Row(Up(13), Template(kAdjustmentsColumn.top));
  Row(Template(kAdjustmentsColumn.inside));
  Row(Up(27), Sp(50), Bracketed(lines[ReturnLine::kAdjustment7b]));
  // "withhoding": the printed form's own text, kept on purpose.
  MoneyBoxRows(out, kAdjustmentsColumn, 13, Bracketed(lines[Form944Line("6b")]), 3, "6b. Prior year's income tax withhoding", 14);
  MoneyBoxRows(out, kAdjustmentsColumn, 14, Bracketed(lines[Form944Line("6c")]), 3, "6c. Prior year's soc.sec. and Medicare taxes", 14);
  MoneyBoxRows(out, kAdjustmentsColumn, 13, Bracketed(lines[Form944Line("6d")]), 3, "6d. Special additions to federal income tax", 14);
  MoneyBoxRows(out, kAdjustmentsColumn, 14, Bracketed(lines[Form944Line("6e")]), 3, "6e. Special additions to soc.sec. & Medicare", 14);
}

void Lines6fTo10(PrinterText& out, const ReturnLines& lines) {
  MoneyBoxRows(out, kTotalsColumn, 13, Bracketed(lines[Form944Line("6f")]), 3, "6f. TOTAL ADJUSTMENTS (add 7a through 7g)", 14);
  MoneyBoxRows(out, kTotalsColumn, 14, Bracketed(lines[Form944Line("7")]), 2, "7. Total taxes after adjustment", 14);
  MoneyBoxRows(out, kTotalsColumn, 13, Bracketed(lines[Form944Line("8")]), 2, "8. Advance earned income credit", 14);
  MoneyBoxRows(out, kTotalsColumn, 14, Bracketed(lines[Form944Line("9")]), 2, "9. Total taxes after adjustment for adv. EIC", 14);
  // "depoits": the printed form's own text, kept on purpose.
  MoneyBoxRows(out, kTotalsColumn, 13, Bracketed(lines[Form944Line("10")]), 2, "10. Total depoits for this quarter (include overpayments)", 14);
}

// Part 2, line 13: less than $2,500, or $2,500 or more.
void Line13(PrinterText& out, const ReturnLines& lines) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Sp(2), Band(72));
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 2: Tell us about your deposit schedule for this quarter", kBlack, kPitch10);
  Row(Template("               R,T"));
  Row(Up(14), Sp(4), kSmall, "13", Esc("\"Q\x10"), kProportional, kBoldOn, " Check one", kBoldOff, Up(13), kPitch10);
  Row(Up(14), Sp(19), kSmall, "Line 9 is less than $2,500. Go to Part 3.", Up(13), kPitch10);
  if (lines.under_2500) Row(Up(14), Sp(16), "X", Up(13));
  Row(Template("               F,G"));
  Row(Template("               R,T"));
  if (!lines.under_2500) Row(Up(14), Sp(16), "X", Up(13), kPitch10);
  Row(Up(14), Sp(19), kSmall, "Line 9 is $2,500 or more.                                ", Up(13), kPitch10);
  Row(Template("               F,G"));
  Row(Up(14), Sp(19), kSmall, Sp(56), Up(13), kPitch10);
}

// The twelve monthly liabilities, three months down each of four columns (13a to 13l), and their
// total; the amounts print only at $2,500 or more.
void MonthlyLiabilities(PrinterText& out, const ReturnLines& lines) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  // One row of boxes: months `first`, +3, +6 and +9, and the four line letters.
  auto MonthRow = [&](int first, const char* letters) {
    Row(Template("          R,,,,,,,,,T    R,,,,,,,,,T    R,,,,,,,,T    R,,,,,,,,,T"));
    Row(Template("          .         .    .         .    .        .    .         ."));
    if (lines.months_shown) Row(Up(27), Sp(8), Bracketed(lines.liabilities[first]), kPitch10);
    if (lines.months_shown) Row(Sp(23), Up(27), Bracketed(lines.liabilities[first + 3]), kPitch10);
    if (lines.months_shown) Row(Sp(37), Up(27), Bracketed(lines.liabilities[first + 6]), kPitch10);
    if (lines.months_shown) Row(Sp(52), Up(27), Bracketed(lines.liabilities[first + 9]), kPitch10);
    if (first == 1) Row(Up(27), Sp(19), kSmall, Sp(14), kPitch10);
    Row(Up(27), Sp(7), kSmall, std::string("13") + letters[0], kPitch10);
    Row(Sp(22), Up(27), kSmall, std::string("13") + letters[1], kPitch10);
    Row(Sp(37), Up(27), kSmall, std::string("13") + letters[2], kPitch10);
    Row(Sp(51), Up(27), kSmall, std::string("13") + letters[3], kPitch10);
    Row(Up(14), Template("          F,,,,,,,,,G    F,,,,,,,,,G    F,,,,,,,,G    F,,,,,,,,,G"));
  };
  MonthRow(1, "adgj");
  MonthRow(2, "behk");
  MonthRow(3, "cfil");
  Row(Template("                                     R,,,,,,,,,,,,,,,T"));
  Row(Template("                                     .               ."));
  if (lines.months_shown) Row(Up(27), Sp(40), Bracketed(lines[ReturnLine::kLiabilityTotal]), kPitch10);
  Row(Up(27), Sp(30), kSmall, "Total", kPitch10);
  Row(Up(27), Sp(54), kSmall, "Total must equal line 9.", kPitch10);
  Row(Up(14), Template("                                     F,,,,,,,,,,,,,,,G"));
}

// Part 3: the closed business (line 15).
void BusinessQuestions(PrinterText& out) {
  out.Row(Sp(2), Band(72));
  ClosedBusinessRows(out, "15");
  out.Row(Template("                                                            R,T"));
}

}  // namespace

std::string Form944Pages(const Form944Page& page) {
  PrinterText out;
  Page1HeadingRows(out, {"944", page.form_year, "Rev. January 2006", "OMB No. 1545-2007"});
  IdentificationBlockRows(out, page.employer, WhoMustFile(page.month));
  Part1HeadingRows(out);
  Lines1To3(out, page.lines);
  Line4(out, page.lines);
  Line4dAndLine5(out, page.lines);
  Line6(out, page.lines);
  Lines6fTo10(out, page.lines);
  BalanceOrOverpaymentRows(out, page.lines.overpaid,
                           page.lines[Form944Line("11")], "11. Balance due (10-11). Make checks payable to U.S. Treasury",
                           page.lines[Form944Line("12")], "12. OverPayment (11-10).");
  Page1FooterRows(out, "944");

  Page2HeadingRows(out, page.employer);
  Line13(out, page.lines);
  MonthlyLiabilities(out, page.lines);
  DepositStateRows(out, page.state_code);
  BusinessQuestions(out);
  out.Row(Up(14), Sp(2), Band(72));  // Part 4's band
  DesigneeSignaturePreparerRows(out, page.designee_name, page.designee_phone, page.preparer);
  Page2FooterRows(out, "944");
  return out.bytes();
}

}  // namespace qreport
