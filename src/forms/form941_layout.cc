#include "forms/form941_layout.h"

#include "forms/form_rows.h"
#include "forms/printer_codes.h"
#include "forms/signature_rows.h"
#include "text/masks.h"

namespace qreport {

std::string CountBox(std::int64_t count) {
  std::string text = "     " + FormatAmount("#####", static_cast<double>(count));
  return text.substr(text.size() - 5);
}

namespace {

// The sections of the two pages, top to bottom; each writes its rows in printed order.

IdentificationColumn QuarterBoxes(int quarter) {
  IdentificationColumn c;
  c.heading = "Check one box";
  c.labels = {"1. Jan., Feb., March", "2. Apr., May, June", "3. July, Aug., Sept.", "4. Oct., Nov., Dec."};
  c.boxes = true;
  c.mark = "X";
  for (int q = 1; q <= 4; ++q) c.marked[q - 1] = quarter == q;
  return c;
}

void Line1(PrinterText& out, const ReturnLines& lines) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Up(13), Template(kTotalsColumn.top));
  Row(Up(27), Sp(2), kSmall, "1. Number of employees receiving wages,tips, or other compensation for", kBase);
  Row(Template(kTotalsColumn.inside));
  Row(Up(27), Sp(71), CountBox(lines[Form941Line("1")]));
  Row(Up(27), Sp(4), kSmall, "the period including Mar 12,June 12, Sept.12,Dec.12", kBase);
  Row(Up(14), Template(kTotalsColumn.bottom));
}

void Lines2To4(PrinterText& out, const ReturnLines& lines) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  MoneyBoxRows(out, kTotalsColumn, 14, Bracketed(lines[Form941Line("2")]), 2, "2. Wages,tips, and other compensation", 13);
  MoneyBoxRows(out, kTotalsColumn, 13, Bracketed(lines[Form941Line("3")]), 2, "3. Total Income tax withheld from wages,tips,and other compensation", 14);
  Row(Up(14), Template("                                                                R,T"));
  Row(Up(14), Sp(2), kSmall, "4. If no wages,tips,and other compensation are subject to S.S. tax", Up(13), kBase);
  Row(Up(14), Sp(68), kSmall, "Check & go to line 6", Up(13), kBase);
  Row(Template("                                                                F,G"));
}

// Taxable wages and tips in column 1, the taxes in column 2.
void Line5(PrinterText& out, const ReturnLines& lines) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Up(13), Sp(2), kSmall, "5. Taxable social security and Medicare wages and Tips", kBase);
  Row(Sp(31), kSmall, "Column 1", kBase);
  Row(Up(27), Sp(52), kSmall, "Column 2", kBase);
  ColumnPairRows(out, 0, lines[Form941Line("5a", 1)], lines[Form941Line("5a", 2)], "5a.Taxable soc. sec. wages", "x.124");
  ColumnPairRows(out, 14, lines[Form941Line("5b", 1)], lines[Form941Line("5b", 2)], "5b.Taxable soc. sec. tips", "x.124");
  ColumnPairRows(out, 13, lines[Form941Line("5c", 1)], lines[Form941Line("5c", 2)], "5c.Taxable Med. wages & tips", "x.029");
}

void Line5dAndLine6(PrinterText& out, const ReturnLines& lines) {
  MoneyBoxRows(out, kTotalsColumn, 14, Bracketed(lines[Form941Line("5d")]), 3, "5d. Total social security and medicare taxes", 14);
  MoneyBoxRows(out, kTotalsColumn, 13, Bracketed(lines[Form941Line("6")]), 2, "6. Total taxes before adjustments", 14);
}

// The adjustments; 7a may hold the fraction of cents.
void Line7(PrinterText& out, const ReturnLines& lines) {
  // "amountds": the printed form's own text, kept on purpose.
  out.Row(Sp(2), kSmall, "7. Tax adjustments (put negative amountds in brackets)", kBase);
  MoneyBoxRows(out, kAdjustmentsColumn, 14, Bracketed(lines[Form941Line("7a")]), 3, "7a. Current quarter's fraction of cents", 14);
  MoneyBoxRows(out, kAdjustmentsColumn, 13, Bracketed(lines[Form941Line("7b")]), 3, "7b. Current quarter's sick pay", 14);
  MoneyBoxRows(out, kAdjustmentsColumn, 14, Bracketed(lines[Form941Line("7c")]), 3, "7c. Current quarter's adj. for tips & group-term", 14);
  // "withhoding": the printed form's own text, kept on purpose.
  MoneyBoxRows(out, kAdjustmentsColumn, 13, Bracketed(lines[Form941Line("7d")]), 3, "7d. Current year's income tax withhoding", 14);
  MoneyBoxRows(out, kAdjustmentsColumn, 14, Bracketed(lines[Form941Line("7e")]), 3, "7e. Prior quarter's soc.sec. and Medicare taxes", 14);
  MoneyBoxRows(out, kAdjustmentsColumn, 13, Bracketed(lines[Form941Line("7f")]), 3, "7f. Special additions to federal income tax", 14);
  MoneyBoxRows(out, kAdjustmentsColumn, 14, Bracketed(lines[Form941Line("7g")]), 3, "7g. Special additions to soc.sec. & Medicare", 14);
}

void Lines7hTo11(PrinterText& out, const ReturnLines& lines) {
  MoneyBoxRows(out, kTotalsColumn, 13, Bracketed(lines[Form941Line("7h")]), 3, "7h. Total adjustments (add 7a through 7g)", 14);
  MoneyBoxRows(out, kTotalsColumn, 14, Bracketed(lines[Form941Line("8")]), 2, "8. Total taxes after adjustment", 14);
  MoneyBoxRows(out, kTotalsColumn, 13, Bracketed(lines[Form941Line("9")]), 2, "9. Advance earned income credit", 14);
  MoneyBoxRows(out, kTotalsColumn, 14, Bracketed(lines[Form941Line("10")]), 2, "10. Total taxes after adjustment for adv. EIC", 14);
  // "depoits": the printed form's own text, kept on purpose.
  MoneyBoxRows(out, kTotalsColumn, 13, Bracketed(lines[Form941Line("11")]), 2, "11. Total depoits for this quarter (include overpayments)", 14);
}

void Part2Heading(PrinterText& out) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Sp(2), Band(72));
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 2: Tell us about your deposit schedule for this quarter", kBlack, kPitch10);
  Row(Sp(3), kSmall, "If you are unsure about whether you are a monthly schedule depositor or a semiweekly depositor,", kItalicOn, kItalicOff, kPitch10);
  Row(Sp(3), kSmall, "see ", kItalicOn, "Pub. 15 (Circular E, section 11)", kItalicOff, kPitch10);
}

// Line 15: less than $2,500, or a monthly depositor.
void Line15(PrinterText& out, const Form941Page& page) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Template("               R,T"));
  Row(Up(14), Sp(4), kSmall, "15", Esc("\"Q\x10"), kProportional, kBoldOn, " Check one", kBoldOff, Up(13), kPitch10);
  Row(Up(14), Sp(19), kSmall, "Line 10 is less than $2,500. Go to Part 3.", Up(13), kPitch10);
  if (page.lines.under_2500) Row(Up(14), Sp(16), "X", Up(13));
  Row(Template("               F,G"));
  Row(Template("               R,T"));
  if (page.monthly_depositor) Row(Up(14), Sp(16), "X", Up(13), kPitch10);
  Row(Up(14), Sp(19), kSmall, "You were a monthly depositor for the entire quarter. Fill", Up(13), kPitch10);
  Row(Template("               F,G"));
  Row(Up(14), Sp(19), kSmall, "out your tax liability for each month then go to part 3.", Up(13), kPitch10);
}

// The monthly depositor's three months and their total, printed only when the months show.
void MonthlyLiabilities(PrinterText& out, const ReturnLines& lines) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  auto Amount = [&](Cents amount) { if (lines.months_shown) Row(Up(27), Sp(40), Bracketed(amount), kPitch10); };
  Row(Template("                                     R,,,,,,,,,,,,,,,T"));
  Row(Template("                                     .               ."));
  Amount(lines.liabilities[1]);
  Row(Up(27), Sp(19), kSmall, "Tax liability:", kPitch10);
  Row(Up(27), Sp(30), kSmall, "Month 1", kPitch10);
  Row(Up(14), Template("                                     F,,,,,,,,,,,,,,,G"));
  Row(Template("                                     R,,,,,,,,,,,,,,,T"));
  Row(Template("                                     .               ."));
  Amount(lines.liabilities[2]);
  Row(Up(27), Sp(30), kSmall, "Month 2", kPitch10);
  Row(Up(14), Template("                                     F,,,,,,,,,,,,,,,G"));
  Row(Template("                                     R,,,,,,,,,,,,,,,T"));
  Row(Template("                                     .               ."));
  Amount(lines.liabilities[3]);
  Row(Up(27), Sp(30), kSmall, "Month 3", kPitch10);
  Row(Up(14), Template("                                     F,,,,,,,,,,,,,,,G"));
  Row(Template("                                     R,,,,,,,,,,,,,,,T"));
  Row(Template("                                     .               ."));
  Amount(lines[ReturnLine::kLiabilityTotal]);
  Row(Up(27), Sp(30), kSmall, "Total", kPitch10);
  Row(Up(27), Sp(54), kSmall, "Total must equal line 10.", kPitch10);
  Row(Up(14), Template("                                     F,,,,,,,,,,,,,,,G"));
}

void SemiweeklyDepositor(PrinterText& out, bool semiweekly) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Template("               R,T"));
  if (semiweekly) Row(Up(14), Sp(16), "X", Up(13));
  Row(Up(14), Sp(19), kSmall, "You were a semiweekly depositor for any part of the quarter. Fill out", Up(13), kPitch10);
  Row(Template("               F,G"));
  Row(Up(14), Sp(19), kSmall, kItalicOn, "Schedule B Report of Tax Liability for Semiweekly Schedule Depositors.", kItalicOff, Up(13), kPitch10);
  Row();
}

// Part 3: the closed business (line 16) and the seasonal employer (line 17).
void BusinessQuestions(PrinterText& out) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Up(14), Sp(2), Band(72));
  ClosedBusinessRows(out, "16");
  Row(Template("                                                            R,T"));
  Row(Up(14), Sp(4), kSmall, kBoldOn, "17 ", kCondensedEsc, kProportional, kBoldOn, "If you are a seasonal employer and you do not have to file every quarter", Up(13), kBoldOff, kPitch10);
  Row(Up(14), Sp(63), kSmall, kBoldOn, "Check here", Up(13), kBoldOff, kPitch10);
  Row(Template("                                                            F,G"));
}

}  // namespace

std::string Form941Pages(const Form941Page& page) {
  PrinterText out;
  Page1HeadingRows(out, {"941", page.form_year, "Rev. January 2005", "OMB No. 1545-0029"});
  IdentificationBlockRows(out, page.employer, QuarterBoxes(page.quarter));
  Part1HeadingRows(out);
  Line1(out, page.lines);
  Lines2To4(out, page.lines);
  Line5(out, page.lines);
  Line5dAndLine6(out, page.lines);
  Line7(out, page.lines);
  Lines7hTo11(out, page.lines);
  BalanceOrOverpaymentRows(out, page.lines.overpaid,
                           page.lines[Form941Line("12")], "12. Balance due (10-11). Make checks payable to U.S. Treasury",
                           page.lines[Form941Line("13")], "13. OverPayment (11-10).");
  Page1FooterRows(out, "941");

  Page2HeadingRows(out, page.employer);
  Part2Heading(out);
  DepositStateRows(out, page.state_code);
  Line15(out, page);
  MonthlyLiabilities(out, page.lines);
  SemiweeklyDepositor(out, page.semiweekly_depositor);
  BusinessQuestions(out);
  out.Row(Sp(2), Band(72));  // Part 4's band
  DesigneeSignaturePreparerRows(out, page.designee_name, page.designee_phone, page.preparer);
  Page2FooterRows(out, "941");
  return out.bytes();
}

}  // namespace qreport
