// Record-file text as Unicode, in JSON and CSV. The files hold single-byte text in the host's
// code page 1252, which may also hold control bytes (NUL padding among them) and the five bytes
// the code page leaves undefined. Each byte is written as the character it stands for in the
// code page; a control byte and an undefined byte as the character with the same number
// (U+0000 to U+001F, U+007F, and U+0081, U+008D, U+008F, U+0090, U+009D). So the 256 bytes have
// 256 distinct characters, and every byte survives the trip through JSON or CSV and back.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/utf8.h"

namespace qreport {

// The character byte `byte` is written as.
char32_t JsonCharacter(unsigned char byte);

// The byte of a character written so; nothing for a character no byte is written as.
std::optional<char> JsonCharacterByte(char32_t character);

// The bytes as UTF-8, each byte as JsonCharacter.
std::string BytesToJsonText(std::string_view bytes);

// Where UTF-8 text holds what no byte is written as.
struct TextProblem {
  std::size_t offset = 0;         // the byte offset of the character (or of the byte that is no UTF-8)
  std::optional<char32_t> character;  // nothing: the bytes there are not well-formed UTF-8
};

// The bytes of UTF-8 text written as BytesToJsonText writes them. Nothing, with `problem` (when
// given) saying where, for a character the code page lacks or text that is not UTF-8.
std::optional<std::string> JsonTextToBytes(std::string_view utf8, TextProblem* problem = nullptr);

// What an error message says of a text problem: "the character U+2603 \"☃\" is not in code page
// 1252" or "the text is not UTF-8".
std::string TextProblemText(const TextProblem& problem);


}  // namespace qreport
