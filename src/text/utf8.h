// UTF-8, the encoding of every text that leaves or enters as Unicode (JSON, CSV, the terminal,
// the web pages, the filing sheet): one reader and one writer of its sequences.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qreport {

// The next character of UTF-8 `text` at `at`, which moves past it; nothing (and `at` unmoved) for
// bytes that are not a well-formed character: a stray continuation byte, a cut-short sequence,
// an overlong form, a surrogate or a code point past U+10FFFF.
std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& at);

// `c` as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace qreport
