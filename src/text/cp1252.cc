#include "text/cp1252.h"

#include "text/utf8.h"

namespace qreport {
namespace {

// Bytes 0x80 to 0x9F; 0 where the code page has no character.
constexpr char32_t kHigh1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

char32_t FromCp1252(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHigh1252[byte - 0x80];
  return byte;
}

char32_t ShownCp1252(unsigned char byte) {
  char32_t c = FromCp1252(byte);
  return c < 0x20 || c == 0x7F ? char32_t{'?'} : c;
}

std::optional<char> ToCp1252(char32_t c) {
  if (c >= 0x20 && c < 0x7F) return static_cast<char>(c);
  if (c >= 0xA0 && c <= 0xFF) return static_cast<char>(static_cast<unsigned char>(c));
  for (int i = 0; i < 32; ++i) {
    if (kHigh1252[i] != 0 && kHigh1252[i] == c) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

std::string Utf8FromCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char b : text) {
    char32_t c = FromCp1252(static_cast<unsigned char>(b));
    AppendUtf8(out, c == 0 && b != '\0' ? char32_t{0xFFFD} : c);
  }
  return out;
}

std::string Cp1252FromUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    std::optional<char32_t> c = NextUtf8Character(text, i);
    if (!c) {
      out += '?';
      ++i;
      continue;
    }
    // Control characters pass as they are: the dialog's own rules decide what they mean.
    if (*c < 0x20 || *c == 0x7F) out += static_cast<char>(*c);
    else out += ToCp1252(*c).value_or('?');
  }
  return out;
}

}  // namespace qreport
