// The pieces every form is built from: the template translation, the printer codes and the
// money boxes.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "forms/printer_codes.h"
#include "forms/templates.h"
#include "support/fixture.h"

namespace qreport {
namespace {

std::string Hex(std::string_view bytes) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

TEST(Template, TranslatesBoxCharactersByteForByte) {
  struct Case {
    std::string_view line;
    const char* hex;
  } cases[] = {
      {"", ""},
      {" R,,T", "20 DA C4 C4 BF"},
      {"F,G", "C0 C4 D9"},
      {"   5,6", "20 20 20 C3 C4 B4"},
      {",7,", "C4 C2 C4"},
      {",8/", "C4 C1 C5"},
      {".|", "B3 B3"},
      {"rtfg Z0149", "72 74 66 67 20 5A 30 31 34 39"},  // lower case and other digits pass through
      {"RTFG", "DA BF C0 D9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string out = Template(c.line);
    EXPECT_EQ(out.size(), c.line.size());
    EXPECT_EQ(Hex(out), c.hex);
  }
}

TEST(PrinterCodes, SequencesAreTheirBytes) {
  struct Case {
    std::string bytes;
    const char* hex;
  } cases[] = {
      {std::string(kBase), "1B 58 1E 14 00"},
      {std::string(kSmall), "1B 58 01 10 00"},
      {std::string(kPt7), "1B 58 01 0E 00"},
      {std::string(kPt10), "1B 58 01 14 00"},
      {std::string(kPt12), "1B 58 01 18 00"},
      {std::string(kPt14), "1B 58 01 1C 00"},
      {std::string(kPt18), "1B 58 01 24 00"},
      {std::string(kPt20), "1B 58 01 28 00"},
      {std::string(kProp), "1B 70 31"},
      {std::string(kFix10), "1B 50 1B 70 30"},
      {std::string(kCond), "0F"},
      {std::string(kEcond), "1B 0F"},
      {std::string(kBold) + std::string(kUnbold), "1B 45 1B 46"},
      {std::string(kItal) + std::string(kUnital), "1B 34 1B 35"},
      {std::string(kEsc0), "1B 30"},
      {std::string(kWhite), "1B 22 52 FF FF FF"},
      {std::string(kBlack), "1B 22 52 00 00 00"},
      {std::string(kGrey), "1B 22 52 C8 C8 C8"},
      {std::string(kKby), "1B 6B 42 1B 22 79"},
      {std::string(kV) + std::string(kU), "1B 22 56 1B 22 55"},
      {Up(27) + Up(13), "1B 6A 1B 1B 6A 0D"},
      {Esc("l\x03"), "1B 6C 03"},
      {Band(3), "DB DB DB"},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(c.bytes), c.hex);
}

TEST(PrinterText, RowsEndWithCrLfAndTabCountsFromTheRowStart) {
  PrinterText out;
  out.Row(Tab(4), "a");
  out.Row("abc", Tab(2), "d");  // already past column 2: nothing is added
  out.Row();
  out.Unended(Tab(3), "e");
  EXPECT_EQ(out.bytes(), "   a\r\nabcd\r\n\r\n  e");
}

TEST(BracketedAmount, RightJustifiedWithNegativesInBrackets) {
  struct Case {
    Cents amount;
    const char* text;
  } cases[] = {
      {123450, "     1234.50"},
      {-123450, "    <1234.50>"},
      {0, "        0.00"},
      {-1, "       <0.01>"},
      {50, "        0.50"},
      {123456789, "  1234567.89"},  // no grouping although the mask shows it
      {-123456789, " <1234567.89>"},
      {99999999999, "999999999.99"},  // exactly fills the box
      {100000000000, "1000000000.00"},  // a billion widens the box to the left
      {-100000000000, "<1000000000.00>"},
      {std::numeric_limits<Cents>::min(), "<92233720368547758.08>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.amount);
    std::string text = Bracketed(c.amount);
    EXPECT_EQ(text, c.text);
    // A positive amount's last digit and a negative one's stand in the same column.
    if (c.amount < 0 && text.size() == 13) {
      EXPECT_EQ(text.find('>'), 12u);
    }
  }
  EXPECT_EQ(BracketedAmount(-2500, "#.00"), "<25.00>");
  EXPECT_EQ(BracketedAmount(2500, "#,###.00"), "   25.00");
}

}  // namespace
}  // namespace qreport
