#include "text/ascii.h"

#include <algorithm>

namespace qreport {

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string TrimRight(std::string_view text, std::string_view padding) {
  std::size_t end = text.find_last_not_of(padding);
  return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

std::string Trim(std::string_view text, std::string_view padding) {
  std::size_t begin = text.find_first_not_of(padding);
  return begin == std::string_view::npos ? std::string() : TrimRight(text.substr(begin), padding);
}

}  // namespace qreport
