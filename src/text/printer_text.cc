#include "text/printer_text.h"

#include <array>

namespace qreport {
namespace {

// What each code page 1252 byte from 0x80 up prints as, in code page 437: the same letter where
// the printer has it, the letter without its accent where it does not, "?" for the rest.
constexpr std::array<unsigned char, 128> kPrinterUpperHalf = {
    '?',  '?',  '?',  0x9F, '?',  '?',  '?',  '?',   // 80 euro, -, quote, f hook, quotes, dots, daggers
    '?',  '?',  'S',  '?',  'O',  '?',  'Z',  '?',   // 88 circumflex, per mille, S caron, <, OE, -, Z caron, -
    '?',  '?',  '?',  '?',  '?',  '?',  '?',  '?',   // 90 -, curly quotes, bullet, dashes
    '?',  '?',  's',  '?',  'o',  '?',  'z',  'Y',   // 98 tilde, trade mark, s caron, >, oe, -, z caron, Y diaeresis
    '?',  '?',  '?',  '?',  '?',  '?',  '?',  '?',   // A0 no-break space, currency and other signs
    '?',  '?',  0xA6, '?',  '?',  '?',  '?',  '?',   // A8 the feminine ordinal a
    '?',  '?',  '?',  '?',  '?',  0xE6, '?',  '?',   // B0 the micro sign
    '?',  '?',  0xA7, '?',  '?',  '?',  '?',  '?',   // B8 the masculine ordinal o
    'A',  'A',  'A',  'A',  0x8E, 0x8F, 0x92, 0x80,  // C0 A grave .. C cedilla
    'E',  0x90, 'E',  'E',  'I',  'I',  'I',  'I',   // C8 E grave .. I diaeresis
    'D',  0xA5, 'O',  'O',  'O',  'O',  0x99, '?',   // D0 Eth .. O diaeresis, times
    'O',  'U',  'U',  'U',  0x9A, 'Y',  '?',  0xE1,  // D8 O stroke .. thorn, sharp s
    0x85, 0xA0, 0x83, 'a',  0x84, 0x86, 0x91, 0x87,  // E0 a grave .. c cedilla
    0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,  // E8 e grave .. i diaeresis
    'd',  0xA4, 0x95, 0xA2, 0x93, 'o',  0x94, '?',   // F0 eth .. o diaeresis, division
    'o',  0x97, 0xA3, 0x96, 0x81, 'y',  '?',  0x98,  // F8 o stroke .. thorn, y diaeresis
};

}  // namespace

char PrinterByteFromCp1252(char byte) {
  const auto b = static_cast<unsigned char>(byte);
  if (b < 0x80) return byte;
  return static_cast<char>(kPrinterUpperHalf[b - 0x80]);
}

std::string PrinterTextFromCp1252(std::string_view text) {
  std::string out;
  AppendPrinterText(out, text);
  return out;
}

void AppendPrinterText(std::string& out, std::string_view text) {
  const std::size_t at = out.size();
  out.resize(at + text.size());
  for (std::size_t i = 0; i < text.size(); ++i) out[at + i] = PrinterByteFromCp1252(text[i]);
}

}  // namespace qreport
