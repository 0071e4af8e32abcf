// Code page 437, the printer's PC character set: the character each byte prints, and how the
// line-graphics and block bytes are drawn (as strokes and fills that reach the edges of their
// character cell, so that boxes close across rows).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qreport::escp {

// The Unicode character that byte `b` prints as (0x20..0xFF; bytes below 0x20 are control codes
// and map to themselves).
char32_t Cp437ToUnicode(std::uint8_t b);

// Appends the UTF-8 form of the code page 437 bytes to `out`.
void AppendCp437AsUtf8(std::string_view bytes, std::string& out);

// True for the bytes drawn as graphics rather than as font glyphs: shades, line-graphics and
// blocks, 0xB0 to 0xDF.
inline bool IsGraphicsByte(std::uint8_t b) { return b >= 0xB0 && b <= 0xDF; }

// How a line-graphics byte is drawn: the line weight of each arm from the cell's centre to the
// edge (0 none, 1 single line, 2 double line).
struct BoxArms {
  std::uint8_t up = 0;
  std::uint8_t right = 0;
  std::uint8_t down = 0;
  std::uint8_t left = 0;
};

// The arms of a line-graphics byte (0xB3..0xDA); all zero for any other byte.
BoxArms BoxArmsOf(std::uint8_t b);

// The part of its cell a block or shade byte fills.
enum class BlockKind : std::uint8_t {
  kNone,
  kFull,        // 0xDB
  kLowerHalf,   // 0xDC
  kLeftHalf,    // 0xDD
  kRightHalf,   // 0xDE
  kUpperHalf,   // 0xDF
  kLightShade,  // 0xB0, a quarter of the colour
  kMediumShade, // 0xB1, half
  kDarkShade,   // 0xB2, three quarters
};

BlockKind BlockKindOf(std::uint8_t b);

}  // namespace qreport::escp
