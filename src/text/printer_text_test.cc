// Data texts in the printer's character set: names as a clerk types them, and every byte of the
// upper half checked against what the printer shows for the byte it becomes.
#include "text/printer_text.h"

#include <gtest/gtest.h>

#include <string>

#include "escp/cp437.h"
#include "text/cp1252.h"

namespace qreport {
namespace {

TEST(PrinterText, NamesPrintAsTheirLetters) {
  struct Case {
    const char* what;
    std::string cp1252, printed;
  } cases[] = {
      {"ASCII and control bytes as they are", "SMITH & CO.\x01\x7f", "SMITH & CO.\x01\x7f"},
      {"letters the printer has", "PE\xD1" "A, JOS\xC9", "PE\xA5" "A, JOS\x90"},
      {"lower case too", "Mu\xF1oz, Zo\xEB M\xFCller", "Mu\xA4oz, Zo\x89 M\x81ller"},
      {"umlauts, ring, sharp s, ae", "\xC4\xD6\xDC \xE4\xF6\xFC \xC5\xE5 \xDF \xC6\xE6", "\x8E\x99\x9A \x84\x94\x81 \x8F\x86 \xE1 \x92\x91"},
      {"accented capitals the printer lacks", "\xC1NGEL \xC0\xC2\xC3 \xC8\xCA\xCB \xCC\xCD\xCE\xCF \xD2\xD3\xD4\xD5 \xD9\xDA\xDB \xDD",
       "ANGEL AAA EEE IIII OOOO UUU Y"},
      {"lower case the printer lacks", "\xE3\xF5\xFD", "aoy"},
      {"stroke, eth, caron, ligature, Y diaeresis", "\xD8\xF8 \xD0\xF0 \x8A\x9A\x8E\x9E \x8C\x9C \x9F",
       "Oo Dd SsZz Oo Y"},
      {"ordinals, micro, f hook", "1\xBA 2\xAA \xB5 \x83", "1\xA7 2\xA6 \xE6 \x9F"},
      {"the euro sign and other signs", "\x80 5 \xA3 \xA9 \xB0 \xBD \xD7\xF7", "? 5 ? ? ? ? ??"},
      {"curly quotes, dashes, no-break space", "O\x92" "BRIEN \x93X\x94 \x96\x97 A\xA0" "B", "O?BRIEN ?X? ?? A?B"},
      {"thorn and the undefined bytes", "\xDE\xFE \x81\x8D\x8F\x90\x9D", "?? ?????"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PrinterTextFromCp1252(c.cp1252), c.printed);
    std::string appended = "x";
    AppendPrinterText(appended, c.cp1252);
    EXPECT_EQ(appended, "x" + c.printed);
  }
}

// The printer's view of each byte, from the renderer's table of code page 437: a data byte never
// becomes a line-graphics or block byte, a byte above 0x7F that it becomes prints the very
// character the data holds, and every letter the printer has is kept.
TEST(PrinterText, EveryUpperHalfByteKeepsItsCharacterOrLosesOnlyItsAccent) {
  auto is_letter = [](char32_t c) {
    return (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) || c == 0xAA || c == 0xB5 || c == 0xBA ||
           c == 0x192 || c == 0x152 || c == 0x153 || c == 0x160 || c == 0x161 || c == 0x17D || c == 0x17E ||
           c == 0x178;
  };
  for (int b = 0x80; b <= 0xFF; ++b) {
    SCOPED_TRACE(b);
    const char32_t data = FromCp1252(static_cast<unsigned char>(b));
    const auto printed = static_cast<unsigned char>(PrinterByteFromCp1252(static_cast<char>(b)));
    EXPECT_FALSE(escp::IsGraphicsByte(printed));
    if (printed >= 0x80) {
      EXPECT_EQ(escp::Cp437ToUnicode(printed), data);
      EXPECT_TRUE(is_letter(data));
    } else if (printed != '?') {
      EXPECT_TRUE(is_letter(data)) << "only a letter loses its accent";
      EXPECT_TRUE((printed >= 'A' && printed <= 'Z') || (printed >= 'a' && printed <= 'z'));
    }
    if (!is_letter(data)) continue;
    for (int p = 0x80; p <= 0xFF; ++p) {
      if (escp::Cp437ToUnicode(static_cast<std::uint8_t>(p)) == data) {
        EXPECT_EQ(printed, p) << "a letter the printer has";
      }
    }
  }
}

}  // namespace
}  // namespace qreport
