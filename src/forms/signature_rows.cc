#include "forms/signature_rows.h"

#include "text/ascii.h"

namespace qreport {

namespace {

// Part 4: the third-party designee, checked "Yes" with its name when the name is not blank.
void DesigneeRows(PrinterText& out, const std::string& designee_name, const std::string& designee_phone) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  bool has_designee = !Trim(designee_name).empty();
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 4: May we contact your third-party designee ?", kBlack, kPitch10);
  Row(Sp(6), kSmall, kBoldOn, "Do you want to allow an employee, a paid tax preparer, or another to discuss the return", kBoldOff, kPitch10);
  Row(Sp(6), kSmall, kBoldOn, "with the IRS? See the instructions for details.", kBoldOff, kPitch10);
  Row(Template("      R,T               R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"));
  if (has_designee) Row(Up(14), Sp(7), "X", Up(13), kPitch10);
  Row(Up(14), Sp(9), kSmall, "Yes. Designee's name", Up(13), kPitch10);
  Row(Template("      F,G               .                                                ."));
  if (has_designee) Row(Up(27), Sp(26), FromData(designee_name), kPitch10);
  Row(Up(14), Template("                        F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("                        R,,,,,,,,,,,,,,,T                 R,T R,T R,T R,T"));
  Row(Template("                        .               .                 F,G F,G F,G F,G"));
  if (!designee_phone.empty()) Row(Up(27), Sp(25), FromData(designee_phone));
  Row(Up(27), Sp(12), kSmall, "Phone", kPitch10);
  Row(Up(27), Sp(42), kSmall, "Personal I.D. number", kPitch10);
  Row(Up(14), Template("                        F,,,,,,,,,,,,,,,G"));
  Row(Template("      R,T"));
  Row(Up(14), Sp(10), kSmall, "No.", Up(13), kPitch10);
  Row(Template("      F,G"));
}

// Part 5: the signature boxes, left blank.
void SignatureRows(PrinterText& out) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Sp(2), Band(72));
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 5: Sign here", kBlack, kPitch10);
  // "pennalty": the printed form's own text, kept on purpose.
  Row(Sp(5), kCondensed, kProportional, kBoldOn, "Under pennalty of perjury, I DECLARE that I have examined this return, including accompanying schedules and statements,", kBoldOff, kPitch10);
  Row(Sp(5), kCondensed, kProportional, kBoldOn, "and to the best of my knowledge and belief, it is true, complete, and correct.", kBoldOff, kPitch10);
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"), kBoldOff, kPitch10);
  Row(Template("               .                                                         ."));
  Row(Up(27), Sp(4), kCondensed, kProportional, kBoldOn, "Sign your name here", kBoldOff, kPitch10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .                                                         ."));
  Row(Up(27), Sp(4), kCondensed, kProportional, kBoldOn, "Print name and title", kBoldOff, kPitch10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,,,,,T          R,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .              .          .                       ."));
  Row(Up(27), Sp(4), kCondensed, kProportional, kBoldOn, "Date", kBoldOff, kPitch10);
  Row(Up(27), Sp(33), kCondensed, kProportional, kBoldOn, "Phone", kBoldOff, kPitch10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,G          F,,,,,,,,,,,,,,,,,,,,,,,G"));
}

// Part 6: the paid preparer's boxes, preparer lines 1 to 3 in the firm's name and address boxes.
void PaidPreparerRows(PrinterText& out, const std::array<std::string, 3>& preparer) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Sp(2), Band(72));
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 6: For paid preparers only", kItalicOn, " (optional)", kItalicOff, kBlack, kPitch10);
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .                                                         ."));
  Row(Up(27), Sp(4), kCondensed, kProportional, kBoldOn, "Preparer's signature", kBoldOff, kPitch10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .                                                         ."));
  Row(Up(27), Sp(17), FromData(preparer[0]));
  Row(Up(27), Sp(4), kCondensed, kProportional, kBoldOn, "Firm's name", kBoldOff, kPitch10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,T     R,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .                           .     .                       ."));
  Row(Up(27), Sp(17), FromData(preparer[1]));
  Row(Up(27), Sp(4), kCondensed, kProportional, kBoldOn, "Address", kBoldOff, kPitch10);
  Row(Up(27), Sp(44), kCondensed, kProportional, kBoldOn, "EIN", kBoldOff, kPitch10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,G     F,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,T     R,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .                           .     .                       ."));
  Row(Up(27), Sp(17), FromData(preparer[2]));
  Row(Up(27), Sp(4), kCondensed, kProportional, kBoldOn, "Address", kBoldOff, kPitch10);
  Row(Up(27), Sp(44), kCondensed, kProportional, kBoldOn, "ZIP code", kBoldOff, kPitch10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,G     F,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,T    R,,,,,,,,,,,T     R,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .          .    .           .     .                       ."));
  Row(Up(27), Sp(4), kCondensed, kProportional, kBoldOn, "Date", kBoldOff, kPitch10);
  Row(Up(27), Sp(28), kCondensed, kProportional, kBoldOn, "Phone", kBoldOff, kPitch10);
  Row(Up(27), Sp(44), kCondensed, kProportional, kBoldOn, "SSN/EIN", kBoldOff, kPitch10);
  Row(Up(14), Template("               F,,,,,,,,,,G    F,,,,,,,,,,,G     F,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,T"));
  Row(Up(14), Sp(19), kSmall, kBoldOn, "Check if you are self-employed", Up(13), kBoldOff, kPitch10);
  Row(Template("               F,G"));
}

}  // namespace

void DesigneeSignaturePreparerRows(PrinterText& out, const std::string& designee_name,
                                   const std::string& designee_phone, const std::array<std::string, 3>& preparer) {
  DesigneeRows(out, designee_name, designee_phone);
  SignatureRows(out);
  PaidPreparerRows(out, preparer);
}

}  // namespace qreport
