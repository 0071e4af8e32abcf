#include "forms/ein_rows.h"
#include "forms/form941_layout.h"

#include "forms/printer_codes.h"
#include "forms/signature_rows.h"
#include "text/masks.h"

namespace qreport {

std::string CountBox(std::int64_t count) {
  std::string text = "     " + FormatAmount("#####", static_cast<double>(count));
  return text.substr(text.size() - 5);
}

std::string Form941Pages(const Form941Page& p) {
  const Form941Lines& l = p.lines;
  PrinterText out;
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  auto StateChar = [&](int position) { return CharAt(p.state_code, position); };

  // Page 1: heading
  Row(kFormFeed, Esc("k\x42"), Esc("\"y"), Esc("0"));
  Row(Esc("P"));
  Row(Esc("p0"));
  Row(Esc("l\x03"), Up(27), Up(27), kEcond, kProp, "  Form", kPt14, kBold, " 941 for ", p.form_year, ": ", kPt10, "Employer's Quarterly Federal Tax Return", kUnbold, kBase);
  Row(Sp(2), kEcond, kProp, "Rev. January 2005", kBase);
  Row(Sp(14), Up(27), kEcond, kProp, kBold, "Department of the Treasury - Internal Revenue Service", kUnbold, kBase);
  Row(Tab(69), Up(27), kEcond, kProp, kBold, "OMB No. 1545-0029", kUnbold, kBase);

  // Identification block: EIN boxes, name, trade name, address, city line; quarter boxes on the right
  EinBoxRows(out, p.employer.ein_boxes);
  Row(Up(27), Sp(58), kSmall, "Check one box", kBase);
  Row(Template(" .         R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T.  . F,,,,,,,,,,,,,,,,,,G ."));
  Row(Template(" .         .                                       ..  . R,T                  ."));
  Row(Up(27), Sp(13), p.employer.employer_name);
  Row(Up(27), Sp(2), kCond, kProp, "Bus.", Sp(1), "Name", kBase);
  Row(Up(14), Sp(61), kSmall, "1. Jan., Feb., March", Up(13), kBase);
  if (p.quarter == 1) Row(Up(14), Sp(58), "X", Up(13));
  Row(Template(" .         F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G.  . F,G                  ."));
  Row(Up(14), Template(" .       R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T.  . R,T                  ."));
  Row(Up(14), Sp(61), kSmall, "2. Apr., May, June", Up(13), kBase);
  Row(Up(7), Sp(2), kCond, kProp, "Trade", Sp(1), "Name", Up(21), kBase);
  if (p.quarter == 2) Row(Up(14), Sp(58), "X", Up(13));
  Row(Template(" .       .                                         ..  . F,G                  ."));
  Row(Up(27), Sp(11), p.employer.trade_name);
  Row(Template(" .       F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G.  .                      ."));
  Row(Up(13), Template(" .     R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T.  . R,T                  ."));
  Row(Up(14), Sp(61), kSmall, "3. July, Aug., Sept.", Up(13), kBase);
  if (p.quarter == 3) Row(Up(14), Sp(58), "X", Up(13));
  Row(Up(7), Sp(2), kCond, kProp, "Address", Up(21), kBase);
  Row(Template(" .     .                                           ..  . F,G                  ."));
  Row(Up(27), Sp(9), p.employer.address);
  Row(Template(" .     F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G.  . R,T                  ."));
  Row(Up(14), Sp(61), kSmall, "4. Oct., Nov., Dec.", Up(13), kBase);
  if (p.quarter == 4) Row(Up(14), Sp(58), "X", Up(13));
  Row(Template(" .                                                  .  . F,G                  ."));
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

  // Line 1
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Up(27), Sp(2), kSmall, "1. Number of employees receiving wages,tips, or other compensation for", kBase);
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(71), CountBox(l.line1));
  Row(Up(27), Sp(4), kSmall, "the period including Mar 12,June 12, Sept.12,Dec.12", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));

  // Lines 2 to 4
  Row(Up(14), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line2));
  Row(Up(27), Sp(2), kSmall, "2. Wages,tips, and other compensation", kBase);
  Row(Up(13), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line3));
  Row(Up(27), Sp(2), kSmall, "3. Total Income tax withheld from wages,tips,and other compensation", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                                R,T"));
  Row(Up(14), Sp(2), kSmall, "4. If no wages,tips,and other compensation are subject to S.S. tax", Up(13), kBase);
  Row(Up(14), Sp(68), kSmall, "Check & go to line 6", Up(13), kBase);
  Row(Template("                                                                F,G"));

  // Line 5: taxable wages and tips in column 1, the taxes in column 2
  Row(Up(13), Sp(2), kSmall, "5. Taxable social security and Medicare wages and Tips", kBase);
  Row(Sp(31), kSmall, "Column 1", kBase);
  Row(Up(27), Sp(52), kSmall, "Column 2", kBase);
  Row(Template("                           R,,,,,,,,,,,,,,,T    R,,,,,,,,,,,,,,,T"));
  Row(Template("                           .               .    .               ."));
  Row(Up(27), Sp(29), Bracketed(l.ss_wages));
  Row(Up(27), Sp(50), Bracketed(l.line5a));
  Row(Up(27), Sp(3), kSmall, "5a.Taxable soc. sec. wages", kBase);
  Row(Up(27), Sp(44), kSmall, "x.124", kBase);
  Row(Up(14), Template("                           F,,,,,,,,,,,,,,,G    F,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                           R,,,,,,,,,,,,,,,T    R,,,,,,,,,,,,,,,T"));
  Row(Template("                           .               .    .               ."));
  Row(Up(27), Sp(29), Bracketed(l.tips));
  Row(Up(27), Sp(50), Bracketed(l.line5b));
  Row(Up(27), Sp(3), kSmall, "5b.Taxable soc. sec. tips", kBase);
  Row(Up(27), Sp(44), kSmall, "x.124", kBase);
  Row(Up(14), Template("                           F,,,,,,,,,,,,,,,G    F,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                           R,,,,,,,,,,,,,,,T    R,,,,,,,,,,,,,,,T"));
  Row(Template("                           .               .    .               ."));
  Row(Up(27), Sp(29), Bracketed(l.tips_and_medicare_wages));
  Row(Up(27), Sp(50), Bracketed(l.line5c));
  Row(Up(27), Sp(3), kSmall, "5c.Taxable Med. wages & tips", kBase);
  Row(Up(27), Sp(44), kSmall, "x.029", kBase);
  Row(Up(14), Template("                           F,,,,,,,,,,,,,,,G    F,,,,,,,,,,,,,,,G"));

  // Line 5d and line 6
  Row(Up(14), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line5d));
  Row(Up(27), Sp(3), kSmall, "5d. Total social security and medicare taxes", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line6));
  Row(Up(27), Sp(2), kSmall, "6. Total taxes before adjustments", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));

  // Line 7: the adjustments (7a may hold the fraction of cents)
  Row(Sp(2), kSmall, "7. Tax adjustments (put negative amountds in brackets)", kBase);
  Row(Up(14), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.line7a));
  Row(Up(27), Sp(3), kSmall, "7a. Current quarter's fraction of cents", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.line7b));
  Row(Up(27), Sp(3), kSmall, "7b. Current quarter's sick pay", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.line7c));
  Row(Up(27), Sp(3), kSmall, "7c. Current quarter's adj. for tips & group-term", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.line7d));
  Row(Up(27), Sp(3), kSmall, "7d. Current year's income tax withhoding", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.line7e));
  Row(Up(27), Sp(3), kSmall, "7e. Prior quarter's soc.sec. and Medicare taxes", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.line7f));
  Row(Up(27), Sp(3), kSmall, "7f. Special additions to federal income tax", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                R,,,,,,,,,,,,,,,T"));
  Row(Template("                                                .               ."));
  Row(Up(27), Sp(50), Bracketed(l.line7g));
  Row(Up(27), Sp(3), kSmall, "7g. Special additions to soc.sec. & Medicare", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));

  // Lines 7h to 11
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line7h));
  Row(Up(27), Sp(3), kSmall, "7h. Total adjustments (add 7a through 7g)", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line8));
  Row(Up(27), Sp(2), kSmall, "8. Total taxes after adjustment", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line9));
  Row(Up(27), Sp(2), kSmall, "9. Advance earned income credit", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(14), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line10));
  Row(Up(27), Sp(2), kSmall, "10. Total taxes after adjustment for adv. EIC", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  Row(Up(27), Sp(69), Bracketed(l.line11));
  Row(Up(27), Sp(2), kSmall, "11. Total depoits for this quarter (include overpayments)", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));

  // Line 12 or line 13
  Row(Up(14), Template("                                                                R,,,,,,,,,,,,,,,,,,T"));
  Row(Template("                                                                .                  ."));
  if (!l.overpaid) Row(Up(27), Sp(69), Bracketed(l.line12));
  Row(Up(27), Sp(2), kSmall, "12. Balance due (10-11). Make checks payable to U.S. Treasury", kBase);
  Row(Up(14), Template("                                                                F,,,,,,,,,,,,,,,,,,G"));
  Row(Up(13), Template("                                                R,,,,,,,,,,,,,,,T            R,T"));
  Row(Up(14), Sp(80), kSmall, "Apply", Up(13), kBase);
  Row(Template("                                                .               .            5,6"));
  Row(Up(27), Sp(66), kSmall, "Check one", kBase);
  if (l.overpaid) Row(Up(27), Sp(69), Bracketed(l.line13));
  Row(Up(27), Sp(2), kSmall, "13. OverPayment (11-10).", kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(27), Sp(80), kSmall, "Refund", kBase);
  Row(Up(14), Template("                                                                             F,G"));

  // Footer
  Row();
  Row(Template(" ,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,"));
  Row(Sp(2), Up(14), kSmall, kBold, "For Privacy Act and Payment Reduction Notice, see back of payment voucher ", Up(13), kUnbold, kBase);
  Row(Sp(71), Up(14), kEcond, kProp, kBold, "Form   ", kSmall, kBold, "941", kUnbold, Up(13));

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
  Row(Sp(3), kSmall, "If you are unsure about whether you are a monthly schedule depositor or a semiweekly depositor,", kItal, kUnital, kFix10);
  Row(Sp(3), kSmall, "see ", kItal, "Pub. 15 (Circular E, section 11)", kUnital, kFix10);

  // Line 14: the state of the deposits
  Row(Template("      R,,TR,,T"));
  Row(Up(14), Sp(15), kSmall, "Write the state abbreviation where made your deposits", Up(13), kFix10);
  Row(Template("      .  ..  ."));
  Row(Up(14), Sp(15), kSmall, "or \"MU\" if made in multiple states", Up(13), kFix10);
  Row(Up(14), Sp(4), kSmall, "14", Up(13), kFix10);
  Row(Up(27), Sp(7), kEcond, Sp(1), kFix10, StateChar(1));
  Row(Up(27), Sp(11), kEcond, Sp(1), kFix10, StateChar(2));
  Row(Template("      F,,GF,,G"));

  // Line 15: the deposit schedule boxes
  Row(Template("               R,T"));
  Row(Up(14), Sp(4), kSmall, "15", Esc("\"Q\x10"), kProp, kBold, " Check one", kUnbold, Up(13), kFix10);
  Row(Up(14), Sp(19), kSmall, "Line 10 is less than $2,500. Go to Part 3.", Up(13), kFix10);
  if (l.under_2500) Row(Up(14), Sp(16), "X", Up(13));
  Row(Template("               F,G"));
  Row(Template("               R,T"));
  if (p.monthly_depositor) Row(Up(14), Sp(16), "X", Up(13), kFix10);
  Row(Up(14), Sp(19), kSmall, "You were a monthly depositor for the entire quarter. Fill", Up(13), kFix10);
  Row(Template("               F,G"));
  Row(Up(14), Sp(19), kSmall, "out your tax liability for each month then go to part 3.", Up(13), kFix10);

  // Monthly liabilities
  Row(Template("                                     R,,,,,,,,,,,,,,,T"));
  Row(Template("                                     .               ."));
  if (l.show_months) Row(Up(27), Sp(40), Bracketed(l.month[1]), kFix10);
  Row(Up(27), Sp(19), kSmall, "Tax liability:", kFix10);
  Row(Up(27), Sp(30), kSmall, "Month 1", kFix10);
  Row(Up(14), Template("                                     F,,,,,,,,,,,,,,,G"));
  Row(Template("                                     R,,,,,,,,,,,,,,,T"));
  Row(Template("                                     .               ."));
  if (l.show_months) Row(Up(27), Sp(40), Bracketed(l.month[2]), kFix10);
  Row(Up(27), Sp(30), kSmall, "Month 2", kFix10);
  Row(Up(14), Template("                                     F,,,,,,,,,,,,,,,G"));
  Row(Template("                                     R,,,,,,,,,,,,,,,T"));
  Row(Template("                                     .               ."));
  if (l.show_months) Row(Up(27), Sp(40), Bracketed(l.month[3]), kFix10);
  Row(Up(27), Sp(30), kSmall, "Month 3", kFix10);
  Row(Up(14), Template("                                     F,,,,,,,,,,,,,,,G"));
  Row(Template("                                     R,,,,,,,,,,,,,,,T"));
  Row(Template("                                     .               ."));
  if (l.show_months) Row(Up(27), Sp(40), Bracketed(l.month_total), kFix10);
  Row(Up(27), Sp(30), kSmall, "Total", kFix10);
  Row(Up(27), Sp(54), kSmall, "Total must equal line 10.", kFix10);
  Row(Up(14), Template("                                     F,,,,,,,,,,,,,,,G"));

  // Semiweekly depositor
  Row(Template("               R,T"));
  if (p.semiweekly_depositor) Row(Up(14), Sp(16), "X", Up(13));
  Row(Up(14), Sp(19), kSmall, "You were a semiweekly depositor for any part of the quarter. Fill out", Up(13), kFix10);
  Row(Template("               F,G"));
  Row(Up(14), Sp(19), kSmall, kItal, "Schedule B Report of Tax Liability for Semiweekly Schedule Depositors.", kUnital, Up(13), kFix10);
  Row();

  // Part 3: the business questions
  Row(Up(14), Sp(2), Band(72));
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 3: Tell us about your business. Of a question does NOT apply, leave it blank.", kBlack, kFix10);
  Row(Template("                                                            R,T"));
  Row(Up(14), Sp(4), kSmall, kBold, "16 ", kEcond, kProp, kBold, "If your business has closed and you do not have to file a return in the future", Up(13), kUnbold, kFix10);
  Row(Up(14), Sp(63), kSmall, kBold, "Check here and", Up(13), kUnbold, kFix10);
  Row(Template("                                                            F,G"));
  Row(Template("                                 R,,,,,,,,,,,,T"));
  Row(Template("                                 .            ."));
  Row(Up(27), Sp(6), kSmall, kBold, "enter the final date you paid wages", kUnbold, kFix10);
  Row(Up(14), Template("                                 F,,,,,,,,,,,,G"));
  Row(Template("                                                            R,T"));
  Row(Up(14), Sp(4), kSmall, kBold, "17 ", kEcond, kProp, kBold, "If you are a seasonal employer and you do not have to file every quarter", Up(13), kUnbold, kFix10);
  Row(Up(14), Sp(63), kSmall, kBold, "Check here", Up(13), kUnbold, kFix10);
  Row(Template("                                                            F,G"));

  // Part 4: third-party designee
  Row(Sp(2), Band(72));
  DesigneeSignaturePreparerRows(out, p.designee_name, p.designee_phone, p.preparer);

  // Footer
  Row(Template(" ,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,"));
  Row(Sp(3), Up(14), kCond, kProp, kBold, "Page 2", kUnbold, kFix10);
  Row(Sp(67), Up(27), kCond, kProp, kBold, "Form 941", kUnbold, kFix10);
  return out.bytes();
}

}  // namespace qreport
