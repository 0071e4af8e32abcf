#include "text/masks.h"

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

// The bytes of one amount, gathered in a small buffer and appended to the string a piece at a
// time: an amount costs one append or a few, not one for each character.
class Out {
 public:
  explicit Out(std::string& to) : to_(to) {}
  ~Out() { Flush(); }
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;

  void Put(char c) {
    if (used_ == sizeof buffer_) Flush();
    buffer_[used_++] = c;
  }
  void Put(std::string_view text) {
    if (text.size() > sizeof buffer_ - used_) {
      Flush();
      to_.append(text);
      return;
    }
    std::memcpy(buffer_ + used_, text.data(), text.size());
    used_ += text.size();
  }
  void Fill(char c, std::size_t count) {
    if (count > sizeof buffer_ - used_) {
      Flush();
      to_.append(count, c);
      return;
    }
    std::memset(buffer_ + used_, c, count);
    used_ += count;
  }

 private:
  void Flush() {
    to_.append(buffer_, used_);
    used_ = 0;
  }

  std::string& to_;
  char buffer_[48];
  std::size_t used_ = 0;
};

// Appends text with its escapes resolved; a backslash at the very end is kept as it is.
void AppendLiteral(Out& out, std::string_view text) {
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
  Rounded r;
  r.top = digits.exponent;
  // Digits at 10^-decimals or above; the one after them decides the rounding.
  const long long keep = static_cast<long long>(digits.exponent) + decimals + 1;
  if (keep < 0) return r;  // everything dropped, and the first dropped digit is a 0
  if (keep >= kDigits) {
    std::memcpy(r.kept, digits.digit, kDigits);
    r.count = kDigits;
    return r;
  }
  r.count = static_cast<int>(keep);
  std::memcpy(r.kept, digits.digit, static_cast<std::size_t>(r.count));
  if (digits.digit[r.count] < '5') return r;
  int i = r.count - 1;
  for (; i >= 0 && r.kept[i] == '9'; --i) r.kept[i] = '0';
  if (i >= 0) {
    ++r.kept[i];
  } else {
    // Carry out of the top digit (or a round-up from nothing): a 1 one place higher.
    r.kept[0] = '1';
    for (int j = 1; j < r.count; ++j) r.kept[j] = '0';
    if (r.count == 0) r.count = 1;
    ++r.top;
  }
  return r;
}

// A magnitude that is the double nearest to a whole count of the field's smallest unit (a whole
// number of cents for two decimals), as most amounts are, printed from that count. Below 1e13 such
// a double lies within a thousandth of a cent of the count, so its 18-digit string rounds to the
// count itself and the exact conversion can be skipped. False when the shortcut does not apply.
bool AppendExactUnits(Out& out, const Field& field, double magnitude, bool negative) {
  const int decimals = field.decimals;
  if (decimals > 2 || !(magnitude < 1e13)) return false;
  const double scale = decimals == 0 ? 1.0 : (decimals == 1 ? 10.0 : 100.0);
  const long long units = std::llround(magnitude * scale);
  if (static_cast<double>(units) / scale != magnitude) return false;
  const long long unit = decimals == 0 ? 1 : (decimals == 1 ? 10 : 100);
  unsigned long long whole = static_cast<unsigned long long>(units / unit);
  unsigned long long fraction = static_cast<unsigned long long>(units % unit);

  // Built from the right: the decimals, the point, the whole part grouped by three.
  char text[40];
  char* const end = text + sizeof text;
  char* p = end;
  if (field.point) {
    for (int j = 0; j < decimals; ++j) {
      *--p = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
    *--p = '.';
  }
  // A zero whole part prints as one "0", if the field has room before the point at all.
  int integer_digits = 0;
  for (unsigned long long w = whole; w > 0; w /= 10) ++integer_digits;
  if (integer_digits == 0 && field.integer_positions > 0) integer_digits = 1;
  const int separators = field.grouping && integer_digits > 0 ? (integer_digits - 1) / 3 : 0;
  for (int position = 0; position < integer_digits; ++position) {
    if (position > 0 && separators > 0 && position % 3 == 0) *--p = ',';
    *--p = static_cast<char>('0' + whole % 10);
    whole /= 10;
  }
  const int needed = integer_digits + separators + (negative ? 1 : 0);
  const int free = field.integer_positions - needed;
  if (free > 0) out.Fill(field.zero_fill ? '0' : ' ', static_cast<std::size_t>(free));
  if (negative) out.Put('-');
  out.Put(std::string_view(p, static_cast<std::size_t>(end - p)));
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
  const Rounded r = RoundTo(digits, field.decimals);
  const bool whole_part = r.count > 0 && r.kept[0] != '0' && r.top >= 0;
  // A zero whole part prints as one "0", if the field has room before the point at all.
  const int integer_digits = whole_part ? r.top + 1 : (field.integer_positions > 0 ? 1 : 0);
  const int separators = field.grouping && integer_digits > 0 ? (integer_digits - 1) / 3 : 0;
  const int needed = integer_digits + separators + (negative ? 1 : 0);
  const int free = field.integer_positions - needed;

  if (free > 0) out.Fill(field.zero_fill ? '0' : ' ', static_cast<std::size_t>(free));
  if (negative) out.Put('-');
  for (int i = 0; i < integer_digits; ++i) {
    const int position = integer_digits - 1 - i;
    if (separators > 0 && i > 0 && (position + 1) % 3 == 0) out.Put(',');
    out.Put(r.At(position));
  }
  if (field.point) {
    out.Put('.');
    for (int j = 1; j <= field.decimals; ++j) out.Put(r.At(-j));
  }
}

// NumberText without the blank that holds the sign place of a positive value.
std::string PlainText(double value) {
  std::string text = NumberText(value);
  if (!text.empty() && text[0] == ' ') text.erase(0, 1);
  return text;
}

}  // namespace

void NumberMask::AppendTo(std::string& to, double value) const {
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
    to += PlainText(value);
    return;
  }

  Out out(to);
  Field field = section->field;
  if (!section->has_field) {
    if (zero_section) {
      AppendLiteral(out, section->text);
      return;
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
