#include "forms/voucher.h"

#include "data/bytes.h"
#include "forms/employer_block.h"
#include "forms/printer_codes.h"
#include "text/ascii.h"
#include "text/numbers.h"

namespace qreport {
namespace {

std::string Run(int count, char c) { return std::string(static_cast<std::size_t>(count), c); }

std::string_view Left(std::string_view text, std::size_t count) { return text.substr(0, count); }

std::string_view Right(std::string_view text, std::size_t count) {
  return text.size() > count ? text.substr(text.size() - count) : text;
}

// The voucher's template rows, as runs of template characters, top to bottom.
// The heading: the form's name, its title and the year in three boxes.
const std::string kTA = Run(16, ',') + "7" + Run(47, ',') + "7" + Run(15, ',');  // the boxes' tops
const std::string kTB = Run(16, ' ') + "." + Run(47, ' ') + ".";                 // their sides
const std::string kTC = Run(16, ' ') + "." + Run(47, ' ') + "5" + Run(15, ',');  // the rule above the year
const std::string kTD = Run(16, ',') + "8" + Run(47, ',') + "8" + Run(15, ',');  // the boxes' bottoms
// Box 1 (the EIN) and box 2 (the amount, in dollars and cents).
const std::string kTE = Run(80, ',');                                                       // their tops
const std::string kTF = Run(26, ' ') + "." + Run(27, ' ') + "." + Run(18, ' ') + ".";  // their sides
// Box 3 (the tax period, on the left) and box 4 (name and address, on the right).
const std::string kTG = "R" + Run(25, ',') + "8" + Run(27, ',') + "8" + Run(18, ',') + "8" + Run(6, ',');  // tops
const std::string kTH = "." + Run(25, ' ') + ".";                                  // box 3's sides
const std::string kTI = "5" + Run(25, ',') + "6";                                  // the rule across box 3
const std::string kTJ = "." + Run(25, ' ') + "." + Run(2, ' ') + Run(51, ',');  // a rule of box 4
const std::string kTK = "F" + Run(25, ',') + "8" + Run(53, ',');                  // the bottoms

// 944-V has no quarter boxes: a grey band covers the left-hand box, row by row; `up_before` and
// `up_after` place it (0 for none). 941-V prints nothing here.
void GreyBandRow(PrinterText& out, const VoucherPage& voucher, int up_before, int up_after) {
  if (voucher.print944) out.Row(kCondensed, Sp(1), Esc("P"), UpOrNone(up_before), kGrey, Band(26), kBlack, UpOrNone(up_after));
}

// The form's name, title, OMB number and year in their boxes, and the instructions under them.
void HeadingRows(PrinterText& out, const VoucherPage& voucher) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(kFormFeed, kTypefaceAndPageMark, Esc("p0"), Esc("P"), Esc("l\x03"), kEighthInchLines, kEighthInchLines, kEighthInchLines, Template(kTA));
  Row(Template(kTB));
  Row(Up(13), kPt7, "Form", Up(14), kPitch10);
  Row(Sp(5), Up(13), kPt18, kBoldOn, voucher.form, kBoldOff, kPitch10, kTypefaceAndPageMark, Up(14));
  Row(Sp(26), Up(13), kPt12, kBoldOn, voucher.title, kBoldOff, kPitch10, Up(14));
  Row(Sp(66), Up(22), kSmall, voucher.omb, kPitch10, Up(5));
  Row(Template(kTC));
  Row(Template(kTB));
  Row(Up(13), kPt7, "Department of the Treasury", kPitch10, Up(14), kTypefaceAndPageMark);
  Row(Template(kTB));
  Row(Up(13), kPt7, "Internal Revenue Service", kPitch10, Up(14), kTypefaceAndPageMark);
  Row(Sp(68), Up(27), kPt20, kOutlineOn, kBoldOn, "20", kOutlineOff, voucher.year_digits, kBoldOff, kPitch10, kTypefaceAndPageMark);
  Row(Sp(28), Up(27), kSmall, "Do not staple payment to this form", kPitch10, kTypefaceAndPageMark);
  Row(Template(kTD));
  Row(Up(13), kPt7, "Complete boxes 1,2, and 3. Do not send cash, do not staple your payment to this voucher.", Up(14));
  Row();
  Row(Up(13), "Make your check payable", Esc("p0"), Esc("P"), kEighthInchLines, Esc("p0"), kPt7, "to the United States Treasury. Be sure to write you employer identification no., \"", voucher.form_number, "\", and 20", voucher.year_digits, " on your payment.", Esc("p0"), Esc("P"), kEighthInchLines, kTypefaceAndPageMark, Up(14));
}

// Box 1 (the EIN) and box 2 (the amount, left for the payer).
void EinAndAmountRows(PrinterText& out, const VoucherPage& voucher) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Template(kTE));
  Row(Up(9), kPt7, "1   Enter your employer identification", Esc("p0"), Esc("P"), kEighthInchLines, Esc("p0"), Up(18));
  Row(Sp(60), Up(9), kSmall, "Dollars", Up(18), kPitch10);
  Row(Sp(75), Up(9), kSmall, "Cents", Up(18), kPitch10);
  Row(Template(kTF));
  Row(Sp(3), Up(13), kPt7, "number", Esc("p0"), Esc("P"), kEighthInchLines, Esc("p0"), Up(14));
  Row();
  Row(Sp(2), Up(13), voucher.ein_text, Up(14));
  Row(Sp(28), Up(27), kSmall, "2", Esc("p0"), Esc("P"), kEighthInchLines);
  Row(Up(18), Up(27));
  Row(Template(kTF));
  Row(Sp(30), Up(27), kPt10, kBoldOn, "Enter the amount of payment >", kBoldOff, Esc("p0"), kPitch10, kTypefaceAndPageMark);
  Row(Template(kTF));
}

// Box 3 (the tax period) and box 4 (the name) down to the employer's name.
void PeriodAndNameRows(PrinterText& out, const VoucherPage& voucher) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Template(kTG));
  GreyBandRow(out, voucher, 13, 14);
  GreyBandRow(out, voucher, 0, 27);
  Row(Sp(1), Up(14), kSmall, voucher.box3_label, Up(13), Esc("p0"), Esc("P"), kEighthInchLines);
  Row(Tab(28), Up(9), kSmall, voucher.name_label, Esc("p0"), Esc("P"), kEighthInchLines);
  GreyBandRow(out, voucher, 27, 0);
  GreyBandRow(out, voucher, 0, 27);
  Row(Tab(31), Up(27), Up(18));
  Row(Template(kTH));
  Row(Template(kTI));
  GreyBandRow(out, voucher, 13, 14);
  Row(Tab(31), Up(13), voucher.employer_name_field, Up(14));
}

// One quarter's box on 941-V (its label and, for the payroll date's quarter, the cross), or its
// piece of the grey band on 944-V.
void QuarterRows(PrinterText& out, const VoucherPage& voucher, int quarter, std::string_view label) {
  if (voucher.print941) out.Row(Up(27), Sp(2), kSmall, label, Esc("p0"), Esc("P"), kEighthInchLines);
  GreyBandRow(out, voucher, 27, 0);
  if (voucher.quarter_crossed[static_cast<std::size_t>(quarter)]) out.Row(Up(27), "  X", Esc("p0"), Esc("P"), kEighthInchLines);
}

// The quarter boxes (941-V) or grey bands (944-V) on the left, the address on the right.
void QuarterAndAddressRows(PrinterText& out, const VoucherPage& voucher) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Template(kTJ));
  QuarterRows(out, voucher, 1, "__ 1st Quarter");
  Row(Template(kTH), Sp(3));
  QuarterRows(out, voucher, 2, "__ 2nd Quarter");
  Row(Tab(31), Up(13), voucher.address, Up(14));
  Row(Template(kTJ));
  QuarterRows(out, voucher, 3, "__ 3rd Quarter");
  Row(Template(kTH), Sp(3));
  QuarterRows(out, voucher, 4, "__ 4th Quarter");
  Row(Tab(31), Up(13), voucher.city_line, Up(14));
  GreyBandRow(out, voucher, 13, 14);
}

}  // namespace

VoucherPage MakeVoucherPage(const RunState& state, std::string ein_text) {
  VoucherPage voucher;
  voucher.print941 = state.print_941;
  voucher.print944 = state.print_944;
  bool is944 = voucher.print944;
  voucher.form = is944 ? "944-V" : "941-V";
  voucher.title = is944 ? "Form 944 Payment Voucher" : "Form 941 Payment Voucher";
  voucher.omb = is944 ? "OMB No. 1545-2007" : "OMB No. 1545-0029";
  voucher.form_number = is944 ? "944" : "941";
  voucher.box3_label = is944 ? " " : "3 Tax Period";
  voucher.name_label = std::string(is944 ? "3" : "4") + "   Enter your business NAME (individual NAME FOR sole proprietor)";
  voucher.year_digits = DataText(Right(state.payroll_date, 2));
  voucher.month = ParseDecimal(Left(state.payroll_date, 2));
  if (voucher.print941) {
    const double month = voucher.month;
    voucher.quarter_crossed = {false, month < 4, 3 < month && month < 7, 6 < month && month < 10, 9 < month && month <= 12};
  }
  voucher.ein_text = std::move(ein_text);
  voucher.employer_name_field = PrintedText(state.employer_name);
  voucher.address = TrimRight(PrintedText(state.employer_address));
  voucher.city_line = PrintedText(state.employer_city_line);
  return voucher;
}

std::string VoucherText(const VoucherPage& voucher) {
  PrinterText out;
  HeadingRows(out, voucher);
  EinAndAmountRows(out, voucher);
  PeriodAndNameRows(out, voucher);
  QuarterAndAddressRows(out, voucher);
  out.Unended(Template(kTK));
  return out.bytes();
}

}  // namespace qreport
