// Number masks: how the report prints an amount. A mask such as "#,###,###.##" is a picture of
// the printed field; FormatAmount fills it in from a double, NumberText gives the plain form.
//
// Mask rules in short:
//  - Up to three sections split by ";": positive, negative, zero. With one section it serves
//    every value; with two, zero uses the first. In the negative section the magnitude is
//    printed and the section supplies any sign as literal text. The section is chosen by the
//    value before rounding (-0.0 counts as zero; NaN uses the first section).
//  - The field is the first run of placeholders that holds a digit position: "#" and "0"
//    (digits), "," (grouping, only before the point) and "." (the point, only when a digit
//    position follows it). Everything else, including any later placeholder characters, is
//    copied in place; "\" makes the next character literal and is itself not printed (a "\"
//    at the very end is printed, having nothing to escape).
//  - The field is as wide as its placeholders. Digits are right-aligned, grouped by three when
//    the field has a ",", and free positions on the left take the fill: "0" when the field
//    has a "0" anywhere, else a blank. A "-" sits right before the first digit, inside the
//    field. Digits are never dropped: a field too narrow is widened to the left.
//  - Rounding is half away from zero, on the 18 significant decimal digits of the double.
//  - |value| >= 1e18 prints in exponent form ("1.23456789012345684E+20", the 18 digits less
//    trailing zeros) and NaN/infinity print as "NaN"/"INF", right-aligned with blank fill.
//  - A section without a field gets an empty one at its end (so the amount still shows),
//    except the dedicated zero section, whose text stands alone.
//  - An empty mask, or an empty chosen section, prints NumberText less its leading blank.
#pragma once

#include <string>
#include <string_view>

#include "text/numbers.h"

namespace qreport {

// A mask read once, for the places that print many amounts by the same mask: AppendTo appends
// exactly the bytes FormatAmount(mask, value) returns, with no string of its own. It keeps a view
// of the mask's text, which must outlive it (a literal, as every mask of the report is).
class NumberMask {
 public:
  constexpr explicit NumberMask(std::string_view mask) { Split(mask); }

  void AppendTo(std::string& out, double value) const;

  // The most bytes one amount can take by this mask: the longest section, and room for a field
  // widened to every digit of a double, its grouping and sign, or the exponent form.
  constexpr std::size_t MaxBytes() const { return longest_ + kNumberRoom; }
  // Writes the bytes AppendTo appends to `to`, which has room for MaxBytes(); returns their end.
  char* FormatTo(char* to, double value) const {
    if (cents_field() && value > -1e13 && value < 1e13) {
      // -0.0 prints as 0, NaN fails the range test.
      const bool negative = value < 0.0;
      if (char* end = FormatCentsField(to, negative ? -value : value, negative)) return end;
    }
    return FormatAnyTo(to, value);
  }

  // The numeric field of a section: where it is and what its placeholders ask for.
  struct Field {
    std::size_t begin = 0;      // first placeholder, as an offset in the section
    std::size_t end = 0;        // one past the last placeholder
    int integer_positions = 0;  // "#", "0" and "," before the point
    int decimals = 0;           // digit positions after the point
    bool point = false;
    bool grouping = false;
    bool zero_fill = false;
    constexpr int Width() const { return integer_positions + (point ? 1 : 0) + decimals; }
  };

 private:
  // Digits of a double below 1e18, its separators, the sign and the point, or the exponent form
  // ("-1.23456789012345678E+308"), or the plain text of a mask without a field.
  static constexpr std::size_t kNumberRoom = 48;

  struct Section {
    std::string_view text;
    Field field;
    bool has_field = false;
  };

  static constexpr bool IsDigitPosition(char c) { return c == '#' || c == '0'; }
  // Reads a field that starts at offset i of section: digit positions and commas, then
  // optionally a point with the digit positions after it. A run without a digit position (a
  // lone "," or ".") is no field, and then false is returned.
  static constexpr bool ReadField(std::string_view section, std::size_t i, Field& field) {
    Field f;
    f.begin = i;
    bool digits = false;
    std::size_t j = i;
    for (; j < section.size(); ++j) {
      const char c = section[j];
      if (IsDigitPosition(c)) {
        digits = true;
        if (c == '0') f.zero_fill = true;
      } else if (c == ',') {
        f.grouping = true;
      } else {
        break;
      }
      ++f.integer_positions;
    }
    if (j + 1 < section.size() && section[j] == '.' && IsDigitPosition(section[j + 1])) {
      f.point = true;
      digits = true;
      for (++j; j < section.size() && IsDigitPosition(section[j]); ++j) {
        if (section[j] == '0') f.zero_fill = true;
        ++f.decimals;
      }
    }
    if (!digits) return false;
    f.end = j;
    field = f;
    return true;
  }
  // Finds the first field of section, skipping escaped characters.
  static constexpr bool FindField(std::string_view section, Field& field) {
    for (std::size_t i = 0; i < section.size(); ++i) {
      if (section[i] == '\\') {
        ++i;
        continue;
      }
      if ((IsDigitPosition(section[i]) || section[i] == ',' || section[i] == '.') && ReadField(section, i, field)) {
        return true;
      }
    }
    return false;
  }
  // The mask's sections, split at unescaped ";". Anything after a third ";" is ignored.
  constexpr void Split(std::string_view mask) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < mask.size(); ++i) {
      if (mask[i] == '\\') {
        ++i;
      } else if (mask[i] == ';') {
        Add(mask.substr(start, i - start));
        start = i + 1;
        if (count_ == 3) return;
      }
    }
    Add(mask.substr(start));
    bare_field_ = count_ == 1 && sections_[0].has_field && sections_[0].field.begin == 0 &&
                  sections_[0].field.end == sections_[0].text.size();
    const Field& f = sections_[0].field;
    // The short road takes only a field with room for a digit after a sign.
    if (bare_field_ && f.decimals == 2 && f.grouping && !f.zero_fill && f.Width() <= kCentsFieldMost &&
        WholeLimit(f.integer_positions - 1) >= 10) {
      fits_[0] = WholeLimit(f.integer_positions);
      fits_[1] = WholeLimit(f.integer_positions - 1);
    }
  }
  // The least whole part that no longer fits `positions` grouped by three: 10^d for the most
  // digits d with d + (d - 1) / 3 <= positions (1 when not even one digit fits).
  static constexpr unsigned long long WholeLimit(int positions) {
    unsigned long long limit = 1;
    for (int digits = 1; digits + (digits - 1) / 3 <= positions; ++digits) limit *= 10;
    return limit;
  }
  constexpr void Add(std::string_view text) {
    Section& s = sections_[count_++];
    s.text = text;
    if (text.size() > longest_) longest_ = text.size();
    s.has_field = FindField(text, s.field);
  }

  // FormatTo by the general rule.
  char* FormatAnyTo(char* to, double value) const;
  // The short road for a grouped two-decimal field: an amount within a quarter cent of a whole
  // cent whose whole part fits the field is written right to left into the field's width, blanks
  // first. Null when it does not apply, and the general rule prints the amount.
  char* FormatCentsField(char* to, double magnitude, bool negative) const;
  static constexpr int kCentsFieldMost = 16;  // the widest such field: one 16-byte store of blanks
  bool cents_field() const { return fits_[1] != 0; }

  Section sections_[3]{};
  int count_ = 0;
  std::size_t longest_ = 0;  // the longest section's length
  bool bare_field_ = false;  // one section, and all of it the field
  // When the mask is one grouped field with two decimals and blank fill ("#,###,###.##"), the
  // least whole parts that overflow it: [0] without a sign, [1] with "-"; else zeros.
  unsigned long long fits_[2] = {0, 0};
};

// Formats value by the mask; never fails, never drops a digit.
std::string FormatAmount(std::string_view mask, double value);

// Appends exactly the bytes FormatAmount(mask, value) returns to `out`, without a string of
// their own: the report writer formats every amount straight into its buffer.
void AppendAmount(std::string& out, std::string_view mask, double value);

// Plain number text: a blank (sign position) or "-" then the digits; page 1 gives " 1".
std::string NumberText(double value);

// The cents a two-decimal mask prints for `value` (rounded as the masks round), so that an amount
// held in dollars reads in cents exactly as the page shows it. |value| of 1e16 or more saturates.
Cents PrintedCents(double value);

}  // namespace qreport
