#include "forms/signature_rows.h"

#include "text/ascii.h"

namespace qreport {

namespace {

// Part 4: the third-party designee, checked "Yes" with its name when the name is not blank.
void DesigneeRows(PrinterText& out, const std::string& designee_name, const std::string& designee_phone) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  bool has_designee = !Trim(designee_name).empty();
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 4: May we contact your third-party designee ?", kBlack, kFix10);
  Row(Sp(6), kSmall, kBold, "Do you want to allow an employee, a paid tax preparer, or another to discuss the return", kUnbold, kFix10);
  Row(Sp(6), kSmall, kBold, "with the IRS? See the instructions for details.", kUnbold, kFix10);
  Row(Template("      R,T               R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"));
  if (has_designee) Row(Up(14), Sp(7), "X", Up(13), kFix10);
  Row(Up(14), Sp(9), kSmall, "Yes. Designee's name", Up(13), kFix10);
  Row(Template("      F,G               .                                                ."));
  if (has_designee) Row(Up(27), Sp(26), designee_name, kFix10);
  Row(Up(14), Template("                        F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("                        R,,,,,,,,,,,,,,,T                 R,T R,T R,T R,T"));
  Row(Template("                        .               .                 F,G F,G F,G F,G"));
  if (!designee_phone.empty()) Row(Up(27), Sp(25), designee_phone);
  Row(Up(27), Sp(12), kSmall, "Phone", kFix10);
  Row(Up(27), Sp(42), kSmall, "Personal I.D. number", kFix10);
  Row(Up(14), Template("                        F,,,,,,,,,,,,,,,G"));
  Row(Template("      R,T"));
  Row(Up(14), Sp(10), kSmall, "No.", Up(13), kFix10);
  Row(Template("      F,G"));
}

// Part 5: the signature boxes, left blank.
void SignatureRows(PrinterText& out) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Sp(2), Band(72));
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 5: Sign here", kBlack, kFix10);
  // "pennalty": the printed form's own text, kept on purpose.
  Row(Sp(5), kCond, kProp, kBold, "Under pennalty of perjury, I DECLARE that I have examined this return, including accompanying schedules and statements,", kUnbold, kFix10);
  Row(Sp(5), kCond, kProp, kBold, "and to the best of my knowledge and belief, it is true, complete, and correct.", kUnbold, kFix10);
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"), kUnbold, kFix10);
  Row(Template("               .                                                         ."));
  Row(Up(27), Sp(4), kCond, kProp, kBold, "Sign your name here", kUnbold, kFix10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .                                                         ."));
  Row(Up(27), Sp(4), kCond, kProp, kBold, "Print name and title", kUnbold, kFix10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,,,,,T          R,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .              .          .                       ."));
  Row(Up(27), Sp(4), kCond, kProp, kBold, "Date", kUnbold, kFix10);
  Row(Up(27), Sp(33), kCond, kProp, kBold, "Phone", kUnbold, kFix10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,G          F,,,,,,,,,,,,,,,,,,,,,,,G"));
}

// Part 6: the paid preparer's boxes, preparer lines 1 to 3 in the firm's name and address boxes.
void PaidPreparerRows(PrinterText& out, const std::array<std::string, 3>& preparer) {
  auto Row = [&out](const auto&... items) { out.Row(items...); };
  Row(Sp(2), Band(72));
  Row(Sp(3), Up(27), kSmall, kWhite, "Part 6: For paid preparers only", kItal, " (optional)", kUnital, kBlack, kFix10);
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .                                                         ."));
  Row(Up(27), Sp(4), kCond, kProp, kBold, "Preparer's signature", kUnbold, kFix10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .                                                         ."));
  Row(Up(27), Sp(17), preparer[0]);
  Row(Up(27), Sp(4), kCond, kProp, kBold, "Firm's name", kUnbold, kFix10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,T     R,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .                           .     .                       ."));
  Row(Up(27), Sp(17), preparer[1]);
  Row(Up(27), Sp(4), kCond, kProp, kBold, "Address", kUnbold, kFix10);
  Row(Up(27), Sp(44), kCond, kProp, kBold, "EIN", kUnbold, kFix10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,G     F,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,,,,,,,,,,,,,,,,,,T     R,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .                           .     .                       ."));
  Row(Up(27), Sp(17), preparer[2]);
  Row(Up(27), Sp(4), kCond, kProp, kBold, "Address", kUnbold, kFix10);
  Row(Up(27), Sp(44), kCond, kProp, kBold, "ZIP code", kUnbold, kFix10);
  Row(Up(14), Template("               F,,,,,,,,,,,,,,,,,,,,,,,,,,,G     F,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,,,,,,,,,,T    R,,,,,,,,,,,T     R,,,,,,,,,,,,,,,,,,,,,,,T"));
  Row(Template("               .          .    .           .     .                       ."));
  Row(Up(27), Sp(4), kCond, kProp, kBold, "Date", kUnbold, kFix10);
  Row(Up(27), Sp(28), kCond, kProp, kBold, "Phone", kUnbold, kFix10);
  Row(Up(27), Sp(44), kCond, kProp, kBold, "SSN/EIN", kUnbold, kFix10);
  Row(Up(14), Template("               F,,,,,,,,,,G    F,,,,,,,,,,,G     F,,,,,,,,,,,,,,,,,,,,,,,G"));
  Row(Template("               R,T"));
  Row(Up(14), Sp(19), kSmall, kBold, "Check if you are self-employed", Up(13), kUnbold, kFix10);
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
