#include "text/cp1252.h"

namespace qreport {
namespace {

// Bytes 0x80 to 0x9F; 0 where the code page has no character.
constexpr char32_t kHigh1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

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
    auto lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    char32_t c = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size() + (extra == 0 ? 1 : 0);
    for (int k = 1; ok && k <= extra; ++k) {
      auto cont = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((cont & 0xC0) != 0x80) ok = false;
      else c = (c << 6) | (cont & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    if (ok && ((extra == 1 && c < 0x80) || (extra == 2 && (c < 0x800 || (c >= 0xD800 && c < 0xE000))) ||
               (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))) {
      ok = false;
    }
    if (!ok) {
      out += '?';
      ++i;
      continue;
    }
    // Control characters pass as they are: the dialog's own rules decide what they mean.
    if (c < 0x20 || c == 0x7F) out += static_cast<char>(c);
    else out += ToCp1252(c).value_or('?');
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace qreport
