#include "text/masks.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace qreport {
namespace {

// Significant decimal digits kept from a double before any rounding to the mask.
constexpr int kDigits = 18;

// |value| as kDigits decimal digits: digit[0] stands for 10^exponent. All digits are '0' for
// zero, otherwise digit[0] is not '0'.
struct DecimalDigits {
  char digit[kDigits];
  int exponent;
};

// Converts a finite, non-negative double exactly, rounded to nearest at the 18th digit.
// to_chars is exact on every platform, unlike long double printf on some of them.
DecimalDigits ToDecimalDigits(double magnitude) {
  char text[40];  // "d.ddddddddddddddddde+XXX"
  const auto result =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, kDigits - 1);
  DecimalDigits out;
  out.digit[0] = text[0];
  std::memcpy(out.digit + 1, text + 2, kDigits - 1);
  const char* p = text + kDigits + 2;  // the exponent's sign, after "e"
  const bool negative = *p == '-';
  int exponent = 0;
  for (++p; p < result.ptr; ++p) exponent = exponent * 10 + (*p - '0');
  out.exponent = negative ? -exponent : exponent;
  return out;
}

using Field = NumberMask::Field;

// "00" to "99": two digits of a whole number at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// Where one amount's bytes go: straight into room the caller has made (MaxBytes of the mask), so
// an amount costs no string and no append of its own.
class Out {
 public:
  explicit Out(char* to) : p_(to) {}

  void Put(char c) { *p_++ = c; }
  void Put(std::string_view text) {
    std::memcpy(p_, text.data(), text.size());
    p_ += text.size();
  }
  void Fill(char c, std::size_t count) {
    for (; count > 0; --count) *p_++ = c;
  }
  // Fill for the runs before a field's digits, which lie inside the caller's room with 16 bytes
  // to spare: one fixed-size store rather than a loop.
  void FillShort(char c, std::size_t count) {
    if (count > 16) {
      Fill(c, count);
      return;
    }
    char run[16];
    std::memset(run, c, sizeof run);
    std::memcpy(p_, run, sizeof run);
    p_ += count;
  }
  // Room for `count` bytes the caller writes itself; returns where they start.
  char* Advance(std::size_t count) {
    char* at = p_;
    p_ += count;
    return at;
  }
  char* end() const { return p_; }

 private:
  char* p_;
};

// Appends text with its escapes resolved; a backslash at the very end is kept as it is.
void AppendLiteral(Out& out, std::string_view text) {
  if (text.empty()) return;
  if (text.find('\\') == std::string_view::npos) {
    out.Put(text);
    return;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    out.Put(text[i]);
  }
}

// Appends text right-aligned in field with blank fill, widened when text is wider.
void AppendAligned(Out& out, const Field& field, std::string_view text) {
  const int free = field.Width() - static_cast<int>(text.size());
  if (free > 0) out.Fill(' ', static_cast<std::size_t>(free));
  out.Put(text);
}

// Appends the exponent form: the 18 digits less trailing zeros, "E", a sign and at least two
// exponent digits ("-1.5E+20").
void AppendExponentForm(Out& out, const Field& field, const DecimalDigits& digits,
                        bool negative) {
  char text[48];
  char* p = text;
  if (negative) *p++ = '-';
  int last = kDigits - 1;
  while (last > 0 && digits.digit[last] == '0') --last;
  *p++ = digits.digit[0];
  if (last > 0) {
    *p++ = '.';
    for (int i = 1; i <= last; ++i) *p++ = digits.digit[i];
  }
  *p++ = 'E';
  *p++ = digits.exponent < 0 ? '-' : '+';
  const int exponent = digits.exponent < 0 ? -digits.exponent : digits.exponent;
  if (exponent < 10) *p++ = '0';
  p = std::to_chars(p, text + sizeof text, exponent).ptr;
  AppendAligned(out, field, std::string_view(text, static_cast<std::size_t>(p - text)));
}

// The digits of a number rounded to the field's decimals: kept[i] stands for 10^(top - i),
// digits past count are zeros.
struct Rounded {
  char kept[kDigits + 1];
  int count = 0;
  int top = 0;

  char At(int position) const {
    const int i = top - position;
    return i >= 0 && i < count ? kept[i] : '0';
  }
};

// Rounds to `decimals` places, half away from zero, on the 18-digit string.
Rounded RoundTo(const DecimalDigits& digits, int decimals) {
  Rounded rounded;
  rounded.top = digits.exponent;
  // Digits at 10^-decimals or above; the one after them decides the rounding.
  const long long keep = static_cast<long long>(digits.exponent) + decimals + 1;
  if (keep < 0) return rounded;  // everything dropped, and the first dropped digit is a 0
  if (keep >= kDigits) {
    std::memcpy(rounded.kept, digits.digit, kDigits);
    rounded.count = kDigits;
    return rounded;
  }
  rounded.count = static_cast<int>(keep);
  std::memcpy(rounded.kept, digits.digit, static_cast<std::size_t>(rounded.count));
  if (digits.digit[rounded.count] < '5') return rounded;
  int i = rounded.count - 1;
  for (; i >= 0 && rounded.kept[i] == '9'; --i) rounded.kept[i] = '0';
  if (i >= 0) {
    ++rounded.kept[i];
  } else {
    // Carry out of the top digit (or a round-up from nothing): a 1 one place higher.
    rounded.kept[0] = '1';
    for (int j = 1; j < rounded.count; ++j) rounded.kept[j] = '0';
    if (rounded.count == 0) rounded.count = 1;
    ++rounded.top;
  }
  return rounded;
}

// The decimal digits of a whole number above 0: from its bit length, corrected by one power of ten.
int DigitCount(unsigned long long n) {
  static constexpr unsigned long long kPowers[] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull,
                                                   10000000ull, 100000000ull, 1000000000ull, 10000000000ull,
                                                   100000000000ull, 1000000000000ull, 10000000000000ull,
                                                   100000000000000ull, 1000000000000000ull, 10000000000000000ull,
                                                   100000000000000000ull, 1000000000000000000ull,
                                                   10000000000000000000ull};
  const int estimate = (std::bit_width(n) * 1233) >> 12;  // log10(2) ~ 1233 / 4096
  return estimate + (n >= kPowers[estimate] ? 1 : 0);
}

// The count of a field's smallest units (cents for two decimals) that a magnitude below 1e13 prints
// as, read from `scaled` (the magnitude times 1, 10 or 100) when it lies within a quarter unit of a
// whole count, as nearly every amount does: then no exact conversion is needed. Below 1e13 the
// product is off the exact one by at most 1/16, and the 18-digit string off the exact value by at
// most 1/2000 of a unit, so that string lies within 0.32 units of the count and rounds to the
// count itself. False nearer a half, where the exact digits decide.
bool NearestUnits(double scaled, unsigned long long& units) {
  // Below 1e15 the truncation and its remainder are exact.
  units = static_cast<unsigned long long>(static_cast<long long>(scaled));
  const double remainder = scaled - static_cast<double>(units);
  if (remainder > 0.25 && remainder < 0.75) return false;
  if (remainder >= 0.75) ++units;
  return true;
}

// Writes the digits of `whole` right to left so that they end at `end`, by groups of three with a
// "," between them when `grouping`; returns where the first digit is. Nothing for 0.
char* PutWholeBefore(char* end, unsigned long long whole, bool grouping) {
  char* p = end;
  for (; whole >= 1000; whole /= 1000) {
    const auto group = static_cast<unsigned>(whole % 1000);
    p -= 3;
    p[0] = static_cast<char>('0' + group / 100);
    std::memcpy(p + 1, kDigitPairs.data() + 2 * (group % 100), 2);
    if (grouping) *--p = ',';
  }
  // The leading one to three digits.
  const auto rest = static_cast<unsigned>(whole);
  if (rest >= 100) {
    p -= 3;
    p[0] = static_cast<char>('0' + rest / 100);
    std::memcpy(p + 1, kDigitPairs.data() + 2 * (rest % 100), 2);
  } else if (rest >= 10) {
    p -= 2;
    std::memcpy(p, kDigitPairs.data() + 2 * rest, 2);
  } else if (rest > 0) {
    *--p = static_cast<char>('0' + rest);
  }
  return p;
}

// A magnitude printed from its count of units (NearestUnits) in any field of up to two decimals.
// False when the shortcut does not apply.
bool AppendExactUnits(Out& out, const Field& field, double magnitude, bool negative) {
  const int decimals = field.decimals;
  if (decimals > 2 || !(magnitude < 1e13)) return false;
  const double scale = decimals == 0 ? 1.0 : (decimals == 1 ? 10.0 : 100.0);
  unsigned long long whole = 0;
  if (!NearestUnits(magnitude * scale, whole)) return false;
  unsigned long long fraction = 0;
  if (decimals == 2) {
    fraction = whole % 100;
    whole /= 100;
  } else if (decimals == 1) {
    fraction = whole % 10;
    whole /= 10;
  }

  // A zero whole part prints as one "0", if the field has room before the point at all.
  const int integer_digits = whole > 0 ? DigitCount(whole) : (field.integer_positions > 0 ? 1 : 0);
  const int separators = field.grouping && integer_digits > 0 ? (integer_digits - 1) / 3 : 0;
  const int needed = integer_digits + separators + (negative ? 1 : 0);
  const int free = field.integer_positions - needed;
  if (free > 0) out.FillShort(field.zero_fill ? '0' : ' ', static_cast<std::size_t>(free));
  if (negative) out.Put('-');

  // Written in place from the right: the decimals, the point, the whole part grouped by three.
  const int length = integer_digits + separators + (field.point ? 1 + decimals : 0);
  char* p = out.Advance(static_cast<std::size_t>(length)) + length;
  if (field.point) {
    if (decimals == 2) {
      p -= 2;
      std::memcpy(p, kDigitPairs.data() + 2 * fraction, 2);
    } else {
      *--p = static_cast<char>('0' + fraction);
    }
    *--p = '.';
  }
  if (integer_digits == 1 && whole == 0) *--p = '0';
  PutWholeBefore(p, whole, field.grouping);
  return true;
}

// Appends a finite magnitude in field, with "-" before it when negative.
void AppendNumber(Out& out, const Field& field, double magnitude, bool negative) {
  if (AppendExactUnits(out, field, magnitude, negative)) return;
  const DecimalDigits digits = ToDecimalDigits(magnitude);
  if (digits.exponent >= kDigits) {
    AppendExponentForm(out, field, digits, negative);
    return;
  }
  const Rounded rounded = RoundTo(digits, field.decimals);
  const bool whole_part = rounded.count > 0 && rounded.kept[0] != '0' && rounded.top >= 0;
  // A zero whole part prints as one "0", if the field has room before the point at all.
  const int integer_digits = whole_part ? rounded.top + 1 : (field.integer_positions > 0 ? 1 : 0);
  const int separators = field.grouping && integer_digits > 0 ? (integer_digits - 1) / 3 : 0;
  const int needed = integer_digits + separators + (negative ? 1 : 0);
  const int free = field.integer_positions - needed;

  if (free > 0) out.Fill(field.zero_fill ? '0' : ' ', static_cast<std::size_t>(free));
  if (negative) out.Put('-');
  for (int i = 0; i < integer_digits; ++i) {
    const int position = integer_digits - 1 - i;
    if (separators > 0 && i > 0 && (position + 1) % 3 == 0) out.Put(',');
    out.Put(rounded.At(position));
  }
  if (field.point) {
    out.Put('.');
    for (int j = 1; j <= field.decimals; ++j) out.Put(rounded.At(-j));
  }
}

// NumberText without the blank that holds the sign place of a positive value.
std::string PlainText(double value) {
  std::string text = NumberText(value);
  if (!text.empty() && text[0] == ' ') text.erase(0, 1);
  return text;
}

}  // namespace

char* NumberMask::FormatCentsField(char* to, double magnitude, bool negative) const {
  unsigned long long units = 0;
  if (!NearestUnits(magnitude * 100.0, units)) return nullptr;
  unsigned long long whole = units / 100;
  if (whole >= fits_[negative ? 1 : 0]) return nullptr;
  const auto cents = static_cast<unsigned>(units % 100);
  const int width = sections_[0].field.Width();
  // The field's width in blanks, then the digits from its right end: the cents, the point, the
  // whole part by groups of three, the sign right before the first digit.
  std::memset(to, ' ', kCentsFieldMost);
  char* p = to + width - 2;
  std::memcpy(p, kDigitPairs.data() + 2 * cents, 2);
  *--p = '.';
  if (whole == 0) {
    *--p = '0';
  } else {
    p = PutWholeBefore(p, whole, /*grouping=*/true);
  }
  if (negative) *--p = '-';
  return to + width;
}

char* NumberMask::FormatAnyTo(char* to, double value) const {
  if (bare_field_ && value > -1e13 && value < 1e13) {
    // One section that is all field, as the report's masks are: no section to choose and no
    // literal to copy (-0.0 prints as 0, NaN fails the range test).
    Out out(to);
    if (AppendExactUnits(out, sections_[0].field, value < 0.0 ? -value : value, value < 0.0)) return out.end();
  }
  // Choose the section by the value as given. The negative section prints the magnitude: its
  // own text carries the sign, e.g. "(#,###.##)". -0.0 is zero; NaN takes the first section.
  const Section* section = &sections_[0];
  bool negative = false;
  bool zero_section = false;
  if (value == 0.0) {
    value = 0.0;  // drops the sign of -0.0
    if (count_ == 3) {
      section = &sections_[2];
      zero_section = true;
    }
  } else if (value < 0.0) {
    if (count_ >= 2) {
      section = &sections_[1];
    } else {
      negative = true;
    }
  }
  if (section->text.empty()) {
    const std::string text = PlainText(value);
    std::memcpy(to, text.data(), text.size());
    return to + text.size();
  }

  Out out(to);
  Field field = section->field;
  if (!section->has_field) {
    if (zero_section) {
      AppendLiteral(out, section->text);
      return out.end();
    }
    // No field: the amount goes at the end as though the section ended in "#".
    field = Field{};
    field.begin = field.end = section->text.size();
    field.integer_positions = 1;
  }

  AppendLiteral(out, section->text.substr(0, field.begin));
  const double magnitude = std::fabs(value);
  if (std::isnan(value)) {
    AppendAligned(out, field, "NaN");
  } else if (std::isinf(value)) {
    AppendAligned(out, field, negative ? "-INF" : "INF");
  } else {
    AppendNumber(out, field, magnitude, negative);
  }
  AppendLiteral(out, section->text.substr(field.end));
  return out.end();
}

void NumberMask::AppendTo(std::string& to, double value) const {
  const std::size_t before = to.size();
  to.resize(before + MaxBytes());
  char* end = FormatTo(to.data() + before, value);
  to.resize(static_cast<std::size_t>(end - to.data()));
}

void AppendAmount(std::string& out, std::string_view mask, double value) { NumberMask(mask).AppendTo(out, value); }

std::string FormatAmount(std::string_view mask, double value) {
  std::string out;
  // Room for the mask's own length and a widened field: a short mask stays in the string's own
  // buffer, and a long one is allocated once.
  out.reserve(mask.size() + 8);
  AppendAmount(out, mask, value);
  return out;
}

std::string NumberText(double value) {
  if (std::isnan(value)) return " NaN";
  std::string out(1, value < 0.0 ? '-' : ' ');  // -0.0 is not below zero: " 0"
  const double magnitude = std::fabs(value);
  if (std::isinf(magnitude)) return out + "INF";
  char text[400];
  std::to_chars_result result;
  if (magnitude < 1e18 && magnitude == std::floor(magnitude)) {
    // Whole numbers print every digit exactly, without a point.
    result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::fixed, 0);
  } else {
    // Other values show at most 15 significant digits, as a double's text is read back.
    result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::general, 15);
  }
  for (char* p = text; p < result.ptr; ++p) {
    if (*p == 'e') *p = 'E';
  }
  out.append(text, result.ptr);
  return out;
}

Cents PrintedCents(double value) {
  if (std::isnan(value)) return 0;
  if (!(std::fabs(value) < 1e16)) return value < 0 ? -(Cents{1} << 62) : (Cents{1} << 62);
  std::string text = FormatAmount("0.00", value);
  Cents cents = 0;
  bool negative = false;
  for (char c : text) {
    if (c == '-') negative = true;
    if (c >= '0' && c <= '9') cents = cents * 10 + (c - '0');
  }
  return negative ? -cents : cents;
}

}  // namespace qreport
