// The rows and row patterns Form 941 and Form 944 print alike: the page-1 heading, the
// identification block (whose right-hand column each form fills with its own boxes), the Part 1
// heading, the page-1 footer, the page-2 heading and footer, the state of the deposits, and the
// money boxes that repeat down Part 1. Each form's layout file is then its own sections, one call
// a row or a named box. Schedule B opens its identification block with the same EIN box rows.
//
// The forms' printed texts keep their own spelling ("amountds", "withhoding", "depoits",
// "pennalty", "Part l" with a letter l, "Of a question"): the pages reproduce the printed forms
// byte for byte, so these are kept on purpose and must not be corrected.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "forms/employer_block.h"
#include "forms/printer_codes.h"

namespace qreport {

// Character `n` (from 1) of a text, a blank where the text is shorter: one EIN box or one
// letter of the state code.
std::string CharAt(const std::string& text, int n);

// The five rows from the identification block's top line to the bottom of the EIN boxes, one
// character of `ein_boxes` a box.
void EinBoxRows(PrinterText& out, const std::string& ein_boxes);

// Page 1's first rows: the form feed and page set-up, the title, the revision and the OMB number.
struct FormHeading {
  std::string_view number;    // "941"
  std::string_view year;      // "2005"
  std::string_view revision;  // "Rev. January 2005"
  std::string_view omb;       // "OMB No. 1545-0029"
};
void Page1HeadingRows(PrinterText& out, const FormHeading& heading);

// The right-hand column of the identification block: a heading and four labelled rows. Form 941
// draws a box before each label (the quarter boxes) and crosses one; Form 944 has no boxes, and
// its "marked" row prints only its reverse feeds.
struct IdentificationColumn {
  std::string_view heading;                 // "Check one box"
  std::array<std::string_view, 4> labels;   // "1. Jan., Feb., March" ...
  bool boxes = false;                       // a small box before each label
  std::string_view mark;                    // what a marked row prints: "X", or nothing
  std::array<bool, 4> marked{};             // the rows whose mark row prints
};

// The identification block: the EIN boxes, the name, trade name, address and city line on the
// left, `column` on the right.
void IdentificationBlockRows(PrinterText& out, const EmployerBlock& employer, const IdentificationColumn& column);

// The instruction line and the black band of "Part l" above line 1.
void Part1HeadingRows(PrinterText& out);

// The rule, the privacy notice and "Form NNN" closing page 1.
void Page1FooterRows(PrinterText& out, std::string_view number);

// Page 2's form feed and set-up, and the employer's name and EIN under their labels.
void Page2HeadingRows(PrinterText& out, const EmployerBlock& employer);

// The rule, "Page 2" and "Form NNN" closing page 2.
void Page2FooterRows(PrinterText& out, std::string_view number);

// Line 14 of both forms: the two-letter state of the deposits in two boxes.
void DepositStateRows(PrinterText& out, const std::string& state_code);

// Part 3's "business has closed" question (numbered 16 on Form 941, 15 on Form 944) and the box
// for the final date wages were paid.
void ClosedBusinessRows(PrinterText& out, std::string_view number);

// Where a money box of page 1 stands: the line totals at the right, the adjustments in the middle.
struct MoneyColumn {
  std::string_view top, inside, bottom;  // templates
  int amount_at;                         // blanks before the amount
};
extern const MoneyColumn kTotalsColumn;
extern const MoneyColumn kAdjustmentsColumn;

// The five rows of one line's money box: the box's top (raised by `up_top`, 0 for none), its
// inside, the amount (none when `amount` is empty: the box prints blank), the line's label
// `label_at` blanks in, and the box's bottom raised by `up_bottom`.
void MoneyBoxRows(PrinterText& out, const MoneyColumn& column, int up_top, const std::optional<std::string>& amount,
                  int label_at, std::string_view label, int up_bottom);

// The seven rows of a line with two money boxes (taxable amount in column 1, its tax in column 2):
// both boxes' tops, insides, the two amounts, the label, the rate between the boxes, the bottoms.
void ColumnPairRows(PrinterText& out, int up_top, Cents column1, Cents column2, std::string_view label,
                    std::string_view rate);

// The last lines of Part 1: the balance due in the totals column (blank when overpaid), then the
// overpayment (printed only when overpaid) with its "Apply" and "Refund" boxes.
void BalanceOrOverpaymentRows(PrinterText& out, bool overpaid, Cents balance, std::string_view balance_label,
                              Cents overpayment, std::string_view overpayment_label);

}  // namespace qreport
