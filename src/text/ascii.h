// Byte text as the module's files and dialogs hold it, handled by ASCII alone: upper and lower
// case of the letters a-z, and the blanks trimmed off fields. Never the locale: a byte above 0x7F
// is a character of the host's code page and keeps its value.
#pragma once

#include <string>
#include <string_view>

namespace qreport {

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The text with a-z upper-cased and every other byte as it is.
std::string UpperAscii(std::string_view text);
// The text with A-Z lower-cased and every other byte as it is.
std::string LowerAscii(std::string_view text);

// True when the two texts are the same but for the case of ASCII letters.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// What the trims below take off, by default the blanks that pad a record's text fields. A set
// with NUL in it is written with its length: std::string_view(" \0", 2).
inline constexpr std::string_view kBlanks = " ";

// The text without the characters of `padding` at its end.
std::string TrimRight(std::string_view text, std::string_view padding = kBlanks);
// The text without the characters of `padding` at either end.
std::string Trim(std::string_view text, std::string_view padding = kBlanks);

}  // namespace qreport
