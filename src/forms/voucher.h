// The payment voucher that goes with the employer's payment: Form 941-V, or Form 944-V when the
// run prints Form 944. One page after the form, ending the report file without a line end.
#pragma once

#include <array>
#include <string>

#include "forms/employer_block.h"
#include "state/run_state.h"

namespace qreport {

// Everything the voucher prints.
struct VoucherPage {
  EmployerTexts employer_texts;  // the run's employer texts as the voucher read them (ReadEmployerBlock)
  bool print941 = true, print944 = false;  // the rows marked for each form
  std::string form;         // "941-V" or "944-V"
  std::string title;        // "Form 941 Payment Voucher"
  std::string omb;          // "OMB No. 1545-0029"
  std::string form_number;  // "941" or "944", in the sentence about what to write on the payment
  std::string box3_label;   // "3 Tax Period" on 941-V, a blank on 944-V
  std::string name_label;   // the name box's label, numbered 4 on 941-V and 3 on 944-V
  std::string year_digits;  // the last two characters of the payroll date
  double month = 0;         // the payroll date's first two characters as a number
  // The quarter boxes of 941-V crossed, 1 to 4 ([0] unused): a month below 4 crosses the first,
  // above 3 and below 7 the second, above 6 and below 10 the third, above 9 up to 12 the fourth.
  std::array<bool, 5> quarter_crossed{};
  std::string ein_text;
  std::string employer_name_field;  // the whole 35-byte field
  std::string address;              // no trailing blanks
  std::string city_line;            // the whole 30-byte line
};

// The voucher's values from the run state (NUL bytes of the employer's texts shown as blanks).
// It is 944-V when Print944 is 1, 941-V otherwise.
VoucherPage MakeVoucherPage(const RunState& state, std::string ein_text);

// The voucher page: a form feed first, every row ending with CR LF except the last.
std::string VoucherText(const VoucherPage& voucher);

}  // namespace qreport
