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

std::string BytesToJsonText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char b : bytes) AppendUtf8(out, JsonCharacter(b));
  return out;
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
