#include "escp/cp437.h"

#include <array>

namespace qreport::escp {

namespace {

// 0x80..0xFF.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // F8
};

// Arms of 0xB3..0xDA as up, right, down, left.
constexpr std::array<BoxArms, 0xDA - 0xB3 + 1> kArms = {{
    {1, 0, 1, 0},  // B3 │
    {1, 0, 1, 1},  // B4 ┤
    {1, 0, 1, 2},  // B5 ╡
    {2, 0, 2, 1},  // B6 ╢
    {0, 0, 2, 1},  // B7 ╖
    {0, 0, 1, 2},  // B8 ╕
    {2, 0, 2, 2},  // B9 ╣
    {2, 0, 2, 0},  // BA ║
    {0, 0, 2, 2},  // BB ╗
    {2, 0, 0, 2},  // BC ╝
    {2, 0, 0, 1},  // BD ╜
    {1, 0, 0, 2},  // BE ╛
    {0, 0, 1, 1},  // BF ┐
    {1, 1, 0, 0},  // C0 └
    {1, 1, 0, 1},  // C1 ┴
    {0, 1, 1, 1},  // C2 ┬
    {1, 1, 1, 0},  // C3 ├
    {0, 1, 0, 1},  // C4 ─
    {1, 1, 1, 1},  // C5 ┼
    {1, 2, 1, 0},  // C6 ╞
    {2, 1, 2, 0},  // C7 ╟
    {2, 2, 0, 0},  // C8 ╚
    {0, 2, 2, 0},  // C9 ╔
    {2, 2, 0, 2},  // CA ╩
    {0, 2, 2, 2},  // CB ╦
    {2, 2, 2, 0},  // CC ╠
    {0, 2, 0, 2},  // CD ═
    {2, 2, 2, 2},  // CE ╬
    {1, 2, 0, 2},  // CF ╧
    {2, 1, 0, 1},  // D0 ╨
    {0, 2, 1, 2},  // D1 ╤
    {0, 1, 2, 1},  // D2 ╥
    {2, 1, 0, 0},  // D3 ╙
    {1, 2, 0, 0},  // D4 ╘
    {0, 2, 1, 0},  // D5 ╒
    {0, 1, 2, 0},  // D6 ╓
    {2, 1, 2, 1},  // D7 ╫
    {1, 2, 1, 2},  // D8 ╪
    {1, 0, 0, 1},  // D9 ┘
    {0, 1, 1, 0},  // DA ┌
}};

}  // namespace

char32_t Cp437ToUnicode(std::uint8_t b) {
  if (b < 0x80) return b == 0x7F ? char32_t{0x2302} : char32_t{b};
  return kUpperHalf[b - 0x80];
}

void AppendCp437AsUtf8(std::string_view bytes, std::string& out) {
  for (unsigned char b : bytes) {
    char32_t c = Cp437ToUnicode(b);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

BoxArms BoxArmsOf(std::uint8_t b) {
  if (b < 0xB3 || b > 0xDA) return {};
  return kArms[b - 0xB3];
}

BlockKind BlockKindOf(std::uint8_t b) {
  switch (b) {
    case 0xB0: return BlockKind::kLightShade;
    case 0xB1: return BlockKind::kMediumShade;
    case 0xB2: return BlockKind::kDarkShade;
    case 0xDB: return BlockKind::kFull;
    case 0xDC: return BlockKind::kLowerHalf;
    case 0xDD: return BlockKind::kLeftHalf;
    case 0xDE: return BlockKind::kRightHalf;
    case 0xDF: return BlockKind::kUpperHalf;
    default: return BlockKind::kNone;
  }
}

}  // namespace qreport::escp
