#include "text/json_text.h"

#include <cstdio>

#include "text/cp1252.h"

namespace qreport {

char32_t JsonCharacter(unsigned char byte) {
  char32_t c = FromCp1252(byte);
  return c == 0 ? char32_t{byte} : c;  // NUL and the undefined bytes keep their own number
}

std::optional<char> JsonCharacterByte(char32_t character) {
  if (character < 0x80) return static_cast<char>(character);
  if (character < 0xA0) {
    auto byte = static_cast<unsigned char>(character);
    if (FromCp1252(byte) == 0) return static_cast<char>(byte);  // one of the undefined bytes
    return std::nullopt;
  }
  return ToCp1252(character);
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

std::string BytesToJsonText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char b : bytes) AppendUtf8(out, JsonCharacter(b));
  return out;
}

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

std::optional<std::string> JsonTextToBytes(std::string_view utf8, TextProblem* problem) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t at = 0;
  while (at < utf8.size()) {
    std::size_t start = at;
    std::optional<char32_t> c = NextUtf8Character(utf8, at);
    std::optional<char> byte = c ? JsonCharacterByte(*c) : std::nullopt;
    if (!byte) {
      if (problem != nullptr) *problem = {start, c};
      return std::nullopt;
    }
    out += *byte;
  }
  return out;
}

std::string TextProblemText(const TextProblem& problem) {
  if (!problem.character) return "the text is not UTF-8";
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*problem.character));
  std::string shown;
  AppendUtf8(shown, *problem.character);
  return std::string("the character ") + code + " \"" + shown + "\" is not in code page 1252";
}

}  // namespace qreport
