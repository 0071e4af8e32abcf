// The single-byte code page of the module's texts (Windows-1252) and Unicode: what a byte shows
// as, and which byte a typed character is. Used wherever a text leaves or enters as Unicode
// (the terminal, the web pages).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qreport {

// The character byte `byte` stands for; 0 for the five bytes the code page leaves undefined.
char32_t FromCp1252(unsigned char byte);

// The character byte `byte` shows as on a screen: "?" for a control character and for the
// bytes the code page leaves undefined.
char32_t ShownCp1252(unsigned char byte);

// The byte of a typed character, or nullopt when the code page lacks it or it is a control
// character.
std::optional<char> ToCp1252(char32_t c);

// `text` as UTF-8; an undefined byte becomes U+FFFD.
std::string Utf8FromCp1252(std::string_view text);

// UTF-8 `text` as Windows-1252; a character the code page lacks, and any byte that is not
// well-formed UTF-8, becomes "?".
std::string Cp1252FromUtf8(std::string_view text);

}  // namespace qreport
