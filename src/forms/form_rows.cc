#include "forms/form_rows.h"

namespace qreport {

std::string CharAt(const std::string& text, int n) {
  std::size_t at = static_cast<std::size_t>(n - 1);
  return at < text.size() ? text.substr(at, 1) : std::string(" ");
}

void Page1HeadingRows(PrinterText& out, const FormHeading& heading) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(kFormFeed, Esc("k\x42"), Esc("\"y"), Esc("0"));
  Row(Esc("P"));
  Row(Esc("p0"));
  Row(Esc("l\x03"), Up(27), Up(27), kCondensedEsc, kProportional, "  Form", kPt14, kBoldOn, " ", heading.number, " for ", FromData(heading.year), ": ", kPt10, "Employer's Quarterly Federal Tax Return", kBoldOff, kBase);
  Row(Sp(2), kCondensedEsc, kProportional, heading.revision, kBase);
  Row(Sp(14), Up(27), kCondensedEsc, kProportional, kBoldOn, "Department of the Treasury - Internal Revenue Service", kBoldOff, kBase);
  Row(Tab(69), Up(27), kCondensedEsc, kProportional, kBoldOn, heading.omb, kBoldOff, kBase);
}

void EinBoxRows(PrinterText& out, const std::string& ein_boxes) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  auto Ein = [&](int box) { return FromData(CharAt(ein_boxes, box)); };
  Row(Template(" R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T  R,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Up(13), Template(" .            R,,TR,,T  R,,TR,,TR,,TR,,TR,,TR,,TR,,T.  .                      ."), Up(7));
  Row(Template(" .            ."), Ein(1), Template(" .."), Ein(2), Template(" .  ."), Ein(3), Template(" .."), Ein(4),
      Template(" .."), Ein(5), Template(" .."), Ein(6), Template(" .."), Ein(7), Template(" .."), Ein(8),
      Template(" .."), Ein(9), Template(" .."), Template("  . R,,,,,,,,,,,,,,,,,,T ."), Up(6));
  Row(Up(14), kCondensedEsc, kProportional, kBoldOn, "     Employer ident. no.", kBoldOff, Up(13), kBoldOff, kBase);
  Row(Template(" .            F,,GF,,G  F,,GF,,GF,,GF,,GF,,GF,,GF,,G.  . .                  . ."));
}

void IdentificationBlockRows(PrinterText& out, const EmployerBlock& employer, const IdentificationColumn& column) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  // The right-hand column's rows beside the left-hand boxes: a small box's top or bottom before
  // a label, or only the column's sides.
  auto BoxTop = [&] { return Template(column.boxes ? ". R,T                  ." : ".                      ."); };
  auto BoxBottom = [&] { return Template(column.boxes ? ". F,G                  ." : ".                      ."); };
  auto Label = [&](int row) { Row(Up(14), Sp(61), kSmall, column.labels[row - 1], Up(13), kBase); };
  auto Mark = [&](int row) { if (column.marked[row - 1]) Row(Up(14), Sp(58), column.mark, Up(13)); };

  EinBoxRows(out, employer.ein_boxes);
  Row(Up(27), Sp(58), kSmall, column.heading, kBase);
  Row(Template(" .         R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T.  . F,,,,,,,,,,,,,,,,,,G ."));
  Row(Template(" .         .                                       ..  "), BoxTop());
  Row(Up(27), Sp(13), FromData(employer.employer_name));
  Row(Up(27), Sp(2), kCondensed, kProportional, "Bus.", Sp(1), "Name", kBase);
  Label(1);
  Mark(1);
  Row(Template(" .         F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G.  "), BoxBottom());
  Row(Up(14), Template(" .       R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T.  "), BoxTop());
  Label(2);
  Row(Up(7), Sp(2), kCondensed, kProportional, "Trade", Sp(1), "Name", Up(21), kBase);
  Mark(2);
  Row(Template(" .       .                                         ..  "), BoxBottom());
  Row(Up(27), Sp(11), FromData(employer.trade_name));
  Row(Template(" .       F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G.  .                      ."));
  Row(Up(13), Template(" .     R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T.  "), BoxTop());
  Label(3);
  Mark(3);
  Row(Up(7), Sp(2), kCondensed, kProportional, "Address", Up(21), kBase);
  Row(Template(" .     .                                           ..  "), BoxBottom());
  Row(Up(27), Sp(9), FromData(employer.address));
  Row(Template(" .     F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G.  "), BoxTop());
  Label(4);
  Mark(4);
  Row(Template(" .                                                  .  "), BoxBottom());
  Row(Up(14), Template(" .     R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,TR,,TR,,,,,,T.  .                      ."));
  Row(Template(" .     .                               ..  ..      ..  F,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Up(27), Sp(9), FromData(employer.city_state_zip.city));
  Row(Up(27), Sp(41), FromData(employer.city_state_zip.state));
  Row(Up(27), Sp(46), FromData(employer.city_state_zip.zip));
  Row(Template(" .     F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,GF,,GF,,,,,,G.  "));
  Row(Up(14), Sp(9), kSmall, "City", Up(13), kBase);
  Row(Up(14), Sp(41), kSmall, "St", Up(13), kBase);
  Row(Up(14), Sp(46), kSmall, "ZIP", Up(13), kBase);
  Row(Template(" F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
}

void Part1HeadingRows(PrinterText& out) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Up(14), Sp(1), kCondensedEsc, Sp(1), kSmall, "Read the separate instructions before you fill out this form. Please type or print within boxes", Up(13), kBase);
  Row(Template(" R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Up(14), Sp(1), kCondensedEsc, Sp(1), kBase, Band(82), Up(13));
  Row(Up(14), Sp(2), Band(81), Up(27));
  // "Part l" with a letter l: the printed form's own text, kept on purpose.
  Row(Sp(2), kWhite, kSmall, "Part l: Answer these questions for this quarter", kBlack, kBase, Up(13));
  Row(Template(" F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
}

void Page1FooterRows(PrinterText& out, std::string_view number) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row();
  Row(Template(" ,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,"));
  Row(Sp(2), Up(14), kSmall, kBoldOn, "For Privacy Act and Payment Reduction Notice, see back of payment voucher ", Up(13), kBoldOff, kBase);
  Row(Sp(71), Up(14), kCondensedEsc, kProportional, kBoldOn, "Form   ", kSmall, kBoldOn, number, kBoldOff, Up(13));
}

void Page2HeadingRows(PrinterText& out, const EmployerBlock& employer) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(kFormFeed, Esc("k\x42"), Esc("\"y"), Esc("0"), Esc("P"));
  Row(Esc("p0"));
  Row(Up(27), Template("  ,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,7,,,,,,,,,,,,,,,,,,,,,,,,,,"));
  Row(Up(14), Sp(3), kCondensedEsc, kProportional, kBoldOn, "Name (not trade name)", Up(13), kBoldOff, kPitch10);
  Row(Up(14), Sp(49), kCondensedEsc, kProportional, kBoldOn, "Employer identification number", Up(13), kBoldOff, kPitch10);
  Row(Template("                                               ."));
  Row(Up(14), Sp(2), FromData(employer.employer_name_field), Up(13));
  Row(Up(14), Sp(50), FromData(employer.ein_text), Up(13));
  Row(Template("                                               ."));
}

void Page2FooterRows(PrinterText& out, std::string_view number) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Template(" ,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,"));
  Row(Sp(3), Up(14), kCondensed, kProportional, kBoldOn, "Page 2", kBoldOff, kPitch10);
  Row(Sp(67), Up(27), kCondensed, kProportional, kBoldOn, "Form ", number, kBoldOff, kPitch10);
}

void DepositStateRows(PrinterText& out, const std::string& state_code) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Template("      R,,TR,,T"));
  Row(Up(14), Sp(15), kSmall, "Write the state abbreviation where made your deposits", Up(13), kPitch10);
  Row(Template("      .  ..  ."));
  Row(Up(14), Sp(15), kSmall, "or \"MU\" if made in multiple states", Up(13), kPitch10);
  Row(Up(14), Sp(4), kSmall, "14", Up(13), kPitch10);
  Row(Up(27), Sp(7), kCondensedEsc, Sp(1), kPitch10, FromData(CharAt(state_code, 1)));
  Row(Up(27), Sp(11), kCondensedEsc, Sp(1), kPitch10, FromData(CharAt(state_code, 2)));
  Row(Template("      F,,GF,,G"));
}

void ClosedBusinessRows(PrinterText& out, std::string_view number) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  // "Of a question": the printed form's own text, kept on purpose.
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 3: Tell us about your business. Of a question does NOT apply, leave it blank.", kBlack, kPitch10);
  Row(Template("                                                            R,T"));
  Row(Up(14), Sp(4), kSmall, kBoldOn, number, " ", kCondensedEsc, kProportional, kBoldOn, "If your business has closed and you do not have to file a return in the future", Up(13), kBoldOff, kPitch10);
  Row(Up(14), Sp(63), kSmall, kBoldOn, "Check here and", Up(13), kBoldOff, kPitch10);
  Row(Template("                                                            F,G"));
  Row(Template("                                 R,,,,,,,,,,,,T"));
  Row(Template("                                 .            ."));
  Row(Up(27), Sp(6), kSmall, kBoldOn, "enter the final date you paid wages", kBoldOff, kPitch10);
  Row(Up(14), Template("                                 F,,,,,,,,,,,,G"));
}

const MoneyColumn kTotalsColumn{
    "                                                                R,,,,,,,,,,,,,,,,,,T",
    "                                                                .                  .",
    "                                                                F,,,,,,,,,,,,,,,,,,G", 69};
const MoneyColumn kAdjustmentsColumn{
    "                                                R,,,,,,,,,,,,,,,T",
    "                                                .               .",
    "                                                F,,,,,,,,,,,,,,,G", 50};

void MoneyBoxRows(PrinterText& out, const MoneyColumn& column, int up_top, const std::optional<std::string>& amount,
                  int label_at, std::string_view label, int up_bottom) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(UpOrNone(up_top), Template(column.top));
  Row(Template(column.inside));
  if (amount) Row(Up(27), Sp(column.amount_at), *amount);
  Row(Up(27), Sp(label_at), kSmall, label, kBase);
  Row(Up(up_bottom), Template(column.bottom));
}

void ColumnPairRows(PrinterText& out, int up_top, Cents column1, Cents column2, std::string_view label,
                    std::string_view rate) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(UpOrNone(up_top), Template("                           R,,,,,,,,,,,,,,,T    R,,,,,,,,,,,,,,,T"));
  Row(Template("                           .               .    .               ."));
  Row(Up(27), Sp(29), Bracketed(column1));
  Row(Up(27), Sp(50), Bracketed(column2));
  Row(Up(27), Sp(3), kSmall, label, kBase);
  Row(Up(27), Sp(44), kSmall, rate, kBase);
  Row(Up(14), Template("                           F,,,,,,,,,,,,,,,G    F,,,,,,,,,,,,,,,G"));
}

void BalanceOrOverpaymentRows(PrinterText& out, bool overpaid, Cents balance, std::string_view balance_label,
                              Cents overpayment, std::string_view overpayment_label) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  std::optional<std::string> due;
  if (!overpaid) due = Bracketed(balance);
  MoneyBoxRows(out, kTotalsColumn, 14, due, 2, balance_label, 14);
  Row(Up(13), Template("                                                R,,,,,,,,,,,,,,,T            R,T"));
  Row(Up(14), Sp(80), kSmall, "Apply", Up(13), kBase);
  Row(Template("                                                .               .            5,6"));
  Row(Up(27), Sp(66), kSmall, "Check one", kBase);
  if (overpaid) Row(Up(27), Sp(69), Bracketed(overpayment));
  Row(Up(27), Sp(2), kSmall, overpayment_label, kBase);
  Row(Up(14), Template("                                                F,,,,,,,,,,,,,,,G"));
  Row(Up(27), Sp(80), kSmall, "Refund", kBase);
  Row(Up(14), Template("                                                                             F,G"));
}

}  // namespace qreport
