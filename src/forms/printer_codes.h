// The printer text of the forms and the voucher: ESC/P and ESC/P2 sequences, the sequences the
// print utility acts on, the money box format, and a page builder whose rows read like the
// printed form.
//
// Vertical placement: each row ends with CR LF, which advances 1/8 inch once ESC "0" is set.
// Up(27) (reverse feed 27/216 inch) goes back one whole row, so the items after it overprint the
// row before; Up(14) + Up(13) and Up(7) + Up(21) also make one row between them and place a label
// half a row higher.
#pragma once

#include <string>
#include <string_view>

#include "forms/templates.h"
#include "text/numbers.h"
#include "text/printer_text.h"

namespace qreport {

using namespace std::string_view_literals;

inline constexpr std::string_view kFormFeed = "\f"sv;
inline constexpr std::string_view kBase = "\x1bX\x1e\x14\x00"sv;   // 12 characters per inch, 10 points
inline constexpr std::string_view kSmall = "\x1bX\x01\x10\x00"sv;  // proportional, 8 points
// Proportional type of 7 to 20 points: ESC X 1, then the size in half points (two bytes).
inline constexpr std::string_view kPt7 = "\x1bX\x01\x0e\x00"sv;
inline constexpr std::string_view kPt10 = "\x1bX\x01\x14\x00"sv;
inline constexpr std::string_view kPt12 = "\x1bX\x01\x18\x00"sv;
inline constexpr std::string_view kPt14 = "\x1bX\x01\x1c\x00"sv;
inline constexpr std::string_view kPt18 = "\x1bX\x01\x24\x00"sv;
inline constexpr std::string_view kPt20 = "\x1bX\x01\x28\x00"sv;
inline constexpr std::string_view kProportional = "\x1bp1"sv;  // proportional spacing on
inline constexpr std::string_view kPitch10 = "\x1bP\x1bp0"sv;   // 10 per inch, proportional off
// Condensed type, as SI and as ESC SI: the same effect, both kept because the pages use each in
// its own places.
inline constexpr std::string_view kCondensed = "\x0f"sv;
inline constexpr std::string_view kCondensedEsc = "\x1b\x0f"sv;
inline constexpr std::string_view kBoldOn = "\x1b" "E"sv;
inline constexpr std::string_view kBoldOff = "\x1b" "F"sv;
inline constexpr std::string_view kItalicOn = "\x1b" "4"sv;
inline constexpr std::string_view kItalicOff = "\x1b" "5"sv;
inline constexpr std::string_view kEighthInchLines = "\x1b" "0"sv;  // line spacing 1/8 inch
// Text colours of the print utility (red, green, blue bytes).
inline constexpr std::string_view kWhite = "\x1b\"R\xff\xff\xff"sv;
inline constexpr std::string_view kBlack = "\x1b\"R\x00\x00\x00"sv;
inline constexpr std::string_view kGrey = "\x1b\"R\xc8\xc8\xc8"sv;
// ESC k 0x42 (the typeface byte) then the print utility's page mark ESC 0x22 "y", written
// through the voucher where a page of the utility may start.
inline constexpr std::string_view kTypefaceAndPageMark = "\x1bk\x42\x1b\"y"sv;
// The print utility's outline pair around the two digits of the voucher's year: kOutlineOn starts
// hollow (outlined) characters, kOutlineOff ends them.
inline constexpr std::string_view kOutlineOn = "\x1b\"V"sv;
inline constexpr std::string_view kOutlineOff = "\x1b\"U"sv;

// ESC followed by `rest`.
std::string Esc(std::string_view rest);
// ESC "j" n: reverse feed of n/216 inch.
std::string Up(int n);
// Up(n), or nothing for 0: for a row that is raised in some places of a repeated pattern only.
inline std::string UpOrNone(int n) { return n == 0 ? std::string() : Up(n); }
// n blanks.
std::string Sp(int n);
// n full blocks (0xDB), the black band under a part heading.
std::string Band(int n);

// A text from the data (the client's files, the letterhead, the dialogs' entries) as a page
// prints it: in the printer's character set, so that a name's letters never print as box
// strokes. Every data text goes into a row through this; the pages' own texts and templates
// never do.
inline std::string FromData(std::string_view text) { return PrinterTextFromCp1252(text); }

// Spaces up to column `column` of the row (columns count from 1).
struct Tab {
  int column;
};

// The mask of every money box of the forms; only its width counts.
inline constexpr std::string_view kMoneyMask = "#,###,###.00";

// The text of a money box: the amount with two decimals and no grouping, right-justified in the
// mask's width W; a negative amount is written "<1234.50>" and right-justified in W + 1, so its
// last digit stands where a positive one's does. Never loses a digit: a text wider than its box
// widens to the left.
std::string BracketedAmount(Cents amount, std::string_view mask);

// BracketedAmount under the money box mask.
inline std::string Bracketed(Cents amount) { return BracketedAmount(amount, kMoneyMask); }

// A page's printer text, built one row at a time: Row(items...) writes the items in order and
// ends the row with CR LF. Items are texts (literals, codes, values) and Tab.
class PrinterText {
 public:
  template <typename... Items>
  void Row(const Items&... items) {
    Unended(items...);
    bytes_ += "\r\n";
    row_start_ = bytes_.size();
  }
  // The items of a row that has no line end (the file's last row).
  template <typename... Items>
  void Unended(const Items&... items) {
    (Put(items), ...);
  }

  const std::string& bytes() const { return bytes_; }

 private:
  void Put(std::string_view text) { bytes_ += text; }
  void Put(Tab tab);

  std::string bytes_;
  std::size_t row_start_ = 0;
};

}  // namespace qreport
