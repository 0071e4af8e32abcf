// Single-byte text as UTF-16, which dialog templates and the W functions use. The
// module's own captions are Windows-1252 (the 0x92 apostrophe of one label among them); text
// that comes from the host or the user is in the system's ANSI code page, the code page that
// the A functions read it back with.
#pragma once

#include <string>
#include <string_view>

namespace qreport {

inline constexpr unsigned kWindows1252 = 1252;

// `bytes` read in code page `code_page` as UTF-16. On a system without that code page each byte
// becomes the code point of the same value.
std::wstring WideFromBytes(std::string_view bytes, unsigned code_page);

}  // namespace qreport
