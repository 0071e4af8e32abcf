#include "text/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qreport {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;

  // The number is copied into a normalised form that from_chars reads exactly.
  std::string normal;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    if (text[i] == '-') normal += '-';
    ++i;
  }
  bool digits = false;
  bool point = false;
  std::size_t mantissa_start = normal.size();
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (IsDigit(c)) {
      normal += c;
      digits = true;
    } else if (c == '.' && !point) {
      normal += c;
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return 0.0;
  if (normal[mantissa_start] == '.') normal.insert(mantissa_start, "0");

  // An exponent counts only when digits follow its letter and optional sign.
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) {
      exponent += text[j];
      ++j;
    }
    std::size_t exponent_digits = 0;
    std::string magnitude;
    while (j < text.size() && IsDigit(text[j])) {
      if (!(magnitude.empty() && text[j] == '0')) magnitude += text[j];
      ++exponent_digits;
      ++j;
    }
    // Any exponent of more than five digits is out of range either way.
    if (magnitude.size() > 5) magnitude = "99999";
    if (magnitude.empty()) magnitude = "0";
    if (exponent_digits > 0) normal += exponent + magnitude;
  }

  double value = 0.0;
  auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // An underflow is as near to 0 as makes no difference; an overflow has no value either.
    return 0.0;
  }
  if (error != std::errc()) return 0.0;
  return value;
}

std::optional<double> StrictDecimal(std::string_view text) {
  // from_chars alone reads "inf", "nan" and hexadecimal digits after a "0x" it leaves unread;
  // only digits, one point, an exponent and signs are let through to it.
  if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos) return std::nullopt;
  double value = 0.0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> StrictInteger(std::string_view text) {
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace qreport
