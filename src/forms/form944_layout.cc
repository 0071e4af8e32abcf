#include "forms/ein_rows.h"
#include "forms/form944_layout.h"

#include "forms/printer_codes.h"
#include "forms/signature_rows.h"

namespace qreport {

std::string Form944Pages(const Form944Page& p) {
  const Form944Lines& l = p.lines;
  const double m = p.month;
  PrinterText out;
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  auto StateChar = [&](int position) { return CharAt(p.state_code, position); };

  // Page 1: heading
  Row(kFormFeed, Esc("k\x42"), Esc("\"y"), Esc("0"));
  Row(Esc("P"));
  Row(Esc("p0"));
  Row(Esc("l\x03"), Up(27), Up(27), kEcond, kProp, "  Form", kPt14, kBold, " 944 for ", p.form_year, ": ", kPt10, "Employer's Quarterly Federal Tax Return", kUnbold, kBase);
  Row(Sp(2), kEcond, kProp, "Rev. January 2006", kBase);
  Row(Sp(14), Up(27), kEcond, kProp, kBold, "Department of the Treasury - Internal Revenue Service", kUnbold, kBase);
  Row(Tab(69), Up(27), kEcond, kProp, kBold, "OMB No. 1545-2007", kUnbold, kBase);

  // Identification block: EIN boxes, name, trade name, address, city line; who must file on the
  // right (the four rows under its text hold only blanks)
  EinBoxRows(out, p.employer.ein_boxes);
  Row(Up(27), Sp(58), kSmall, "Who must file Form 944", kBase);
  Row(Template(" .         R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T.  . F,,,,,,,,,,,,,,,,,,G ."));
  Row(Template(" .         .                                       ..  .                      ."));
  Row(Up(27), Sp(13), p.employer.employer_name);
  Row(Up(27), Sp(2), kCond, kProp, "Bus.", Sp(1), "Name", kBase);
  Row(Up(14), Sp(61), kSmall, "You must file Annual", Up(13), kBase);
  if (0 < m && m < 4) Row(Up(14), Sp(58), Up(13));
  Row(Template(" .         F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G.  .                      ."));
  Row(Up(14), Template(" .       R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T.  .                      ."));
  Row(Up(14), Sp(61), kSmall, "form 944 only if  ", Up(13), kBase);
  Row(Up(7), Sp(2), kCond, kProp, "Trade", Sp(1), "Name", Up(21), kBase);
  if (3 < m && m < 7) Row(Up(14), Sp(58), Up(13));
  Row(Template(" .       .                                         ..  .                      ."));
  Row(Up(27), Sp(11), p.employer.trade_name);
  Row(Template(" .       F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G.  .                      ."));
  Row(Up(13), Template(" .     R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T.  .                      ."));
  Row(Up(14), Sp(61), kSmall, "notified by IRS in  ", Up(13), kBase);
  if (6 < m && m < 10) Row(Up(14), Sp(58), Up(13));
  Row(Up(7), Sp(2), kCond, kProp, "Address", Up(21), kBase);
  Row(Template(" .     .                                           ..  .                      ."));
  Row(Up(27), Sp(9), p.employer.address);
  Row(Template(" .     F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G.  .                      ."));
  Row(Up(14), Sp(61), kSmall, "writing            ", Up(13), kBase);
  if (9 < m && m < 13) Row(Up(14), Sp(58), Up(13));
  Row(Template(" .                                                  .  .                      ."));
  Row(Up(14), Template(" .     R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,TR,,TR,,,,,,T.  .                      ."));
  Row(Template(" .     .                               ..  ..      ..  F,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Up(27), Sp(9), p.employer.city_state_zip.city);
  Row(Up(27), Sp(41), p.employer.city_state_zip.state);
  Row(Up(27), Sp(46), p.employer.city_state_zip.zip);
  Row(Template(" .     F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,GF,,GF,,,,,,G.  "));
  Row(Up(14), Sp(9), kSmall, "City", Up(13), kBase);
  Row(Up(14), Sp(41), kSmall, "St", Up(13), kBase);
  Row(Up(14), Sp(46), kSmall, "ZIP", Up(13), kBase);
  Row(Template(" F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));

  // Part 1
  Row(Up(14), Sp(1), kEcond, Sp(1), kSmall, "Read the separate instructions before you fill out this form. Please type or print within boxes", Up(13), kBase);
  Row(Template(" R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Up(14), Sp(1), kEcond, Sp(1), kBase, Band(82), Up(13));
  Row(Up(14), Sp(2), Band(81), Up(27));
  Row(Sp(2), kWhite, kSmall, "Part l: Answer these questions for this quarter", kBlack, kBase, Up(13));
  Row(Template(" F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Up(13));

  // Line 1
  Row(Up(14), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line1));
  Row(Up(27), Sp(2), kSmall, "1. Wages,tips, and other compensation", kBase);
  Row(Up(13), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));

  // Lines 2 and 3
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line2));
  Row(Up(27), Sp(2), kSmall, "2. Total Income tax withheld from wages,tips,and other compensation", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                                R,T"));
  Row(Up(14), Sp(2), kSmall, "3. If no wages,tips,and other compensation are subject to S.S. tax", Up(13), kBase);
  Row(Up(14), Sp(68), kSmall, "Check & go to line 5", Up(13), kBase);
  Row(Template("                                                                F,G"));

  // Line 4: taxable wages and tips in column 1, the taxes in column 2
  Row(Up(13), Sp(2), kSmall, "4. Taxable social security and Medicare wages and Tips", kBase);
  Row(Sp(31), kSmall, "Column 1", kBase);
  Row(Up(27), Sp(52), kSmall, "Column 2", kBase);
  Row(Template("                           R,,,,,,,,,,,,,,,T    R,,,,,,,,,,,,,,,T"));
  Row(Template("                           .               .    .               ."));
  Row(Up(27), Sp(29), Bracketed(l.ss_wages));
  Row(Up(27), Sp(50), Bracketed(l.line4a));
  Row(Up(27), Sp(3), kSmall, "4a.Taxable soc. sec. wages", kBase);
  Row(Up(27), Sp(44), kSmall, "x.124", kBase);
  Row(Up(14), Template("                           F,,,,,,,,,,,,,,,G    F,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                           R,,,,,,,,,,,,,,,T    R,,,,,,,,,,,,,,,T"));
  Row(Template("                           .               .    .               ."));
  Row(Up(27), Sp(29), Bracketed(l.tips));
  Row(Up(27), Sp(50), Bracketed(l.line4b));
  Row(Up(27), Sp(3), kSmall, "4b.Taxable soc. sec. tips", kBase);
  Row(Up(27), Sp(44), kSmall, "x.124", kBase);
  Row(Up(14), Template("                           F,,,,,,,,,,,,,,,G    F,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                           R,,,,,,,,,,,,,,,T    R,,,,,,,,,,,,,,,T"));
  Row(Template("                           .               .    .               ."));
  Row(Up(27), Sp(29), Bracketed(l.tips_and_medicare_wages));
  Row(Up(27), Sp(50), Bracketed(l.line4c));
  Row(Up(27), Sp(3), kSmall, "4c.Taxable Med. wages & tips", kBase);
  Row(Up(27), Sp(44), kSmall, "x.029", kBase);
  Row(Up(14), Template("                           F,,,,,,,,,,,,,,,G    F,,,,,,,,,,,,,,,G"));

  // Line 4d and line 5
  Row(Up(14), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line4d));
  Row(Up(27), Sp(3), kSmall, "4d. Total social security and medicare taxes", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line5));
  Row(Up(27), Sp(2), kSmall, "5. Total taxes before adjustments", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));

  // Line 6: the adjustments. 6a shows 7a (which may hold the fraction of cents) and the box
  // below it 7b; 7c has no box but counts in 6f; 6b to 6e show 7d to 7g
  Row(Sp(2), kSmall, "6. Tax adjustments (put negative amountds in brackets)", kBase);
  Row(Up(14), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.adjust7a));
  Row(Up(27), Sp(3), kSmall, "6a. Current year's adjustments         ", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.adjust7b));
  Row(Up(13), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.adjust7d));
  Row(Up(27), Sp(3), kSmall, "6b. Prior year's income tax withhoding", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.adjust7e));
  Row(Up(27), Sp(3), kSmall, "6c. Prior year's soc.sec. and Medicare taxes", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.adjust7f));
  Row(Up(27), Sp(3), kSmall, "6d. Special additions to federal income tax", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.adjust7g));
  Row(Up(27), Sp(3), kSmall, "6e. Special additions to soc.sec. & Medicare", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));

  // Lines 6f to 10
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line6f));
  Row(Up(27), Sp(3), kSmall, "6f. TOTAL ADJUSTMENTS (add 7a through 7g)", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line7));
  Row(Up(27), Sp(2), kSmall, "7. Total taxes after adjustment", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line8));
  Row(Up(27), Sp(2), kSmall, "8. Advance earned income credit", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line9));
  Row(Up(27), Sp(2), kSmall, "9. Total taxes after adjustment for adv. EIC", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line10));
  Row(Up(27), Sp(2), kSmall, "10. Total depoits for this quarter (include overpayments)", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));

  // Line 11 or line 12
  Row(Up(14), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  if (!l.overpaid) Row(Up(27), Sp(69), Bracketed(l.line11));
  Row(Up(27), Sp(2), kSmall, "11. Balance due (10-11). Make checks payable to U.S. Treasury", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                R,,,,,,,,,,,,,,,T            R,T"));
  Row(Up(14), Sp(80), kSmall, "Apply", Up(13), kBase);
  Row(Template("                                                .               .            5,6"));
  Row(Up(27), Sp(66), kSmall, "Check one", kBase);
  if (l.overpaid) Row(Up(27), Sp(69), Bracketed(l.line12));
  Row(Up(27), Sp(2), kSmall, "12. OverPayment (11-10).", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(27), Sp(80), kSmall, "Refund", kBase);
  Row(Up(14), Template("                                                                             F,G"));

  // Footer
  Row();
  Row(Template(" ,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,"));
  Row(Sp(2), Up(14), kSmall, kBold, "For Privacy Act and Payment Reduction Notice, see back of payment voucher ", Up(13), kUnbold, kBase);
  Row(Sp(71), Up(14), kEcond, kProp, kBold, "Form   ", kSmall, kBold, "944", kUnbold, Up(13));

  // Page 2: heading
  Row(kFormFeed, Esc("k\x42"), Esc("\"y"), Esc("0"), Esc("P"));
  Row(Esc("p0"));
  Row(Up(27), Template("  ,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,7,,,,,,,,,,,,,,,,,,,,,,,,,,"));
  Row(Up(14), Sp(3), kEcond, kProp, kBold, "Name (not trade name)", Up(13), kUnbold, kFix10);
  Row(Up(14), Sp(49), kEcond, kProp, kBold, "Employer identification number", Up(13), kUnbold, kFix10);
  Row(Template("                                               ."));
  Row(Up(14), Sp(2), p.employer.employer_name_field, Up(13));
  Row(Up(14), Sp(50), p.employer.ein_text, Up(13));
  Row(Template("                                               ."));

  // Part 2: deposit schedule
  Row(Sp(2), Band(72));
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 2: Tell us about your deposit schedule for this quarter", kBlack, kFix10);

  // Line 13: the deposit schedule boxes
  Row(Template("               R,T"));
  Row(Up(14), Sp(4), kSmall, "13", Esc("\"Q\x10"), kProp, kBold, " Check one", kUnbold, Up(13), kFix10);
  Row(Up(14), Sp(19), kSmall, "Line 9 is less than $2,500. Go to Part 3.", Up(13), kFix10);
  if (l.under_2500) Row(Up(14), Sp(16), "X", Up(13));
  Row(Template("               F,G"));
  Row(Template("               R,T"));
  if (!l.under_2500) Row(Up(14), Sp(16), "X", Up(13), kFix10);
  Row(Up(14), Sp(19), kSmall, "Line 9 is $2,500 or more.                                ", Up(13), kFix10);
  Row(Template("               F,G"));
  Row(Up(14), Sp(19), kSmall, Sp(56), Up(13), kFix10);

  // The monthly liabilities, three months down each of four columns
  Row(Template("          R,,,,,,,,,T    R,,,,,,,,,T    R,,,,,,,,T    R,,,,,,,,,T"));
  Row(Template("          .         .    .         .    .        .    .         ."));
  if (!l.under_2500) Row(Up(27), Sp(8), Bracketed(l.month[1]), kFix10);
  if (!l.under_2500) Row(Sp(23), Up(27), Bracketed(l.month[4]), kFix10);
  if (!l.under_2500) Row(Sp(37), Up(27), Bracketed(l.month[7]), kFix10);
  if (!l.under_2500) Row(Sp(52), Up(27), Bracketed(l.month[10]), kFix10);
  Row(Up(27), Sp(19), kSmall, Sp(14), kFix10);
  Row(Up(27), Sp(7), kSmall, "13a", kFix10);
  Row(Sp(22), Up(27), kSmall, "13d", kFix10);
  Row(Sp(37), Up(27), kSmall, "13g", kFix10);
  Row(Sp(51), Up(27), kSmall, "13j", kFix10);
  Row(Up(14), Template("          F,,,,,,,,,G    F,,,,,,,,,G    F,,,,,,,,G    F,,,,,,,,,G"));
  Row(Template("          R,,,,,,,,,T    R,,,,,,,,,T    R,,,,,,,,T    R,,,,,,,,,T"));
  Row(Template("          .         .    .         .    .        .    .         ."));
  if (!l.under_2500) Row(Up(27), Sp(8), Bracketed(l.month[2]), kFix10);
  if (!l.under_2500) Row(Sp(23), Up(27), Bracketed(l.month[5]), kFix10);
  if (!l.under_2500) Row(Sp(37), Up(27), Bracketed(l.month[8]), kFix10);
  if (!l.under_2500) Row(Sp(52), Up(27), Bracketed(l.month[11]), kFix10);
  Row(Up(27), Sp(7), kSmall, "13b", kFix10);
  Row(Sp(22), Up(27), kSmall, "13e", kFix10);
  Row(Sp(37), Up(27), kSmall, "13h", kFix10);
  Row(Sp(51), Up(27), kSmall, "13k", kFix10);
  Row(Up(14), Template("          F,,,,,,,,,G    F,,,,,,,,,G    F,,,,,,,,G    F,,,,,,,,,G"));
  Row(Template("          R,,,,,,,,,T    R,,,,,,,,,T    R,,,,,,,,T    R,,,,,,,,,T"));
  Row(Template("          .         .    .         .    .        .    .         ."));
  if (!l.under_2500) Row(Up(27), Sp(8), Bracketed(l.month[3]), kFix10);
  if (!l.under_2500) Row(Sp(23), Up(27), Bracketed(l.month[6]), kFix10);
  if (!l.under_2500) Row(Sp(37), Up(27), Bracketed(l.month[9]), kFix10);
  if (!l.under_2500) Row(Sp(52), Up(27), Bracketed(l.month[12]), kFix10);
  Row(Up(27), Sp(7), kSmall, "13c", kFix10);
  Row(Sp(22), Up(27), kSmall, "13f", kFix10);
  Row(Sp(37), Up(27), kSmall, "13i", kFix10);
  Row(Sp(51), Up(27), kSmall, "13l", kFix10);
  Row(Up(14), Template("          F,,,,,,,,,G    F,,,,,,,,,G    F,,,,,,,,G    F,,,,,,,,,G"));

  // Total
  Row(Template("                                     R,,,,,,,,,,,,,,,T"));
  Row(Template("                                     .               ."));
  if (!l.under_2500) Row(Up(27), Sp(40), Bracketed(l.year_liability), kFix10);
  Row(Up(27), Sp(30), kSmall, "Total", kFix10);
  Row(Up(27), Sp(54), kSmall, "Total must equal line 9.", kFix10);
  Row(Up(14), Template("                                     F,,,,,,,,,,,,,,,G"));

  // Line 14: the state of the deposits
  Row(Template("      R,,TR,,T"));
  Row(Up(14), Sp(15), kSmall, "Write the state abbreviation where made your deposits", Up(13), kFix10);
  Row(Template("      .  ..  ."));
  Row(Up(14), Sp(15), kSmall, "or \"MU\" if made in multiple states", Up(13), kFix10);
  Row(Up(14), Sp(4), kSmall, "14", Up(13), kFix10);
  Row(Up(27), Sp(7), kEcond, Sp(1), kFix10, StateChar(1));
  Row(Up(27), Sp(11), kEcond, Sp(1), kFix10, StateChar(2));
  Row(Template("      F,,GF,,G"));

  // Part 3: the business questions
  Row(Sp(2), Band(72));
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 3: Tell us about your business. Of a question does NOT apply, leave it blank.", kBlack, kFix10);
  Row(Template("                                                            R,T"));
  Row(Up(14), Sp(4), kSmall, kBold, "15 ", kEcond, kProp, kBold, "If your business has closed and you do not have to file a return in the future", Up(13), kUnbold, kFix10);
  Row(Up(14), Sp(63), kSmall, kBold, "Check here and", Up(13), kUnbold, kFix10);
  Row(Template("                                                            F,G"));
  Row(Template("                                 R,,,,,,,,,,,,T"));
  Row(Template("                                 .            ."));
  Row(Up(27), Sp(6), kSmall, kBold, "enter the final date you paid wages", kUnbold, kFix10);
  Row(Up(14), Template("                                 F,,,,,,,,,,,,G"));
  Row(Template("                                                            R,T"));

  // Part 4: third-party designee
  Row(Up(14), Sp(2), Band(72));
  DesigneeSignaturePreparerRows(out, p.designee_name, p.designee_phone, p.preparer);

  // Footer
  Row(Template(" ,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,"));
  Row(Sp(3), Up(14), kCond, kProp, kBold, "Page 2", kUnbold, kFix10);
  Row(Sp(67), Up(27), kCond, kProp, kBold, "Form 944", kUnbold, kFix10);
  return out.bytes();
}

}  // namespace qreport
