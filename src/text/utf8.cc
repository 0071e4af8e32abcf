#include "text/utf8.h"

namespace qreport {

std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& at) {
  if (at >= text.size()) return std::nullopt;
  auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return text[at++];
  std::size_t extra = (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : 0;
  if (extra == 0 || at + extra >= text.size()) return std::nullopt;
  char32_t c = lead & (0x3F >> extra);
  for (std::size_t k = 1; k <= extra; ++k) {
    auto cont = static_cast<unsigned char>(text[at + k]);
    if ((cont & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (cont & 0x3F);
  }
  static constexpr char32_t kLowest[] = {0, 0x80, 0x800, 0x10000};
  if (c < kLowest[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return std::nullopt;
  at += extra + 1;
  return c;
}

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

}  // namespace qreport
