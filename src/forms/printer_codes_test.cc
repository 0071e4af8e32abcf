// The pieces every form is built from: the template translation, the printer codes and the
// money boxes.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "escp/cp437.h"
#include "escp/interpreter.h"
#include "forms/printer_codes.h"
#include "forms/templates.h"

namespace qreport {
namespace {

TEST(Template, DrawsItsLettersAsTheBoxCharactersTheyStandFor) {
  // As the printer prints the translated bytes (code page 437): a wrong byte shows as another
  // box piece (a double line, a missing arm) or as a letter.
  struct Case {
    std::string_view line;
    const char* printed;
  } cases[] = {
      {"", ""},
      {" R,,T", " ┌──┐"},
      {"F,G", "└─┘"},
      {"   5,6", "   ├─┤"},
      {",7,", "─┬─"},
      {",8/", "─┴┼"},
      {".|", "││"},
      {"rtfg Z0149", "rtfg Z0149"},  // lower case and other digits pass through
      {"RTFG", "┌┐└┘"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string out = Template(c.line);
    EXPECT_EQ(out.size(), c.line.size()) << "one byte a letter: the columns of a form stay";
    std::string printed;
    escp::AppendCp437AsUtf8(out, printed);
    EXPECT_EQ(printed, c.printed);
  }
}

// What the printer makes of a code: the style it prints the character after it in. The
// expected values are the printer's documented reading of each sequence, not the code's bytes, so
// a code with a wrong byte (a point size in points instead of half points, a colour byte swapped,
// a letter for another) or a sequence the printer does not know shows here.
struct PrintedStyle {
  bool proportional = false, bold = false, italic = false, outline = false;
  double points = 10.5;  // the power-on point size
  double cell = 7.2;     // 10 characters per inch; 0 in proportional spacing
  escp::Rgb colour{0, 0, 0};
};

TEST(PrinterCodes, EachCodeSetsThePrinterAsItsNameSays) {
  constexpr double kCondensedCell = 72.0 / 10 * 7 / 12;  // 17.14 characters per inch
  const escp::Rgb kGreyRgb{200, 200, 200};
  struct Case {
    const char* name;
    std::string codes;
    PrintedStyle want;
  } cases[] = {
      {"power-on", "", {}},
      {"kBase: 12 per inch, 10 points", std::string(kBase), {.points = 10, .cell = 6}},
      {"kSmall: proportional, 8 points", std::string(kSmall), {.proportional = true, .points = 8, .cell = 0}},
      {"kPt7", std::string(kPt7), {.proportional = true, .points = 7, .cell = 0}},
      {"kPt10", std::string(kPt10), {.proportional = true, .points = 10, .cell = 0}},
      {"kPt12", std::string(kPt12), {.proportional = true, .points = 12, .cell = 0}},
      {"kPt14", std::string(kPt14), {.proportional = true, .points = 14, .cell = 0}},
      {"kPt18", std::string(kPt18), {.proportional = true, .points = 18, .cell = 0}},
      {"kPt20", std::string(kPt20), {.proportional = true, .points = 20, .cell = 0}},
      {"kProportional", std::string(kProportional), {.proportional = true, .cell = 0}},
      {"kPitch10 after kProportional", std::string(kProportional) + std::string(kPitch10), {}},
      {"kPitch10 after kBase", std::string(kBase) + std::string(kPitch10), {}},
      {"kCondensed", std::string(kCondensed), {.cell = kCondensedCell}},
      {"kCondensedEsc", std::string(kCondensedEsc), {.cell = kCondensedCell}},
      {"kBoldOn", std::string(kBoldOn), {.bold = true}},
      {"kBoldOff after kBoldOn", std::string(kBoldOn) + std::string(kBoldOff), {}},
      {"kItalicOn", std::string(kItalicOn), {.italic = true}},
      {"kItalicOff after kItalicOn", std::string(kItalicOn) + std::string(kItalicOff), {}},
      {"kWhite", std::string(kWhite), {.colour = {255, 255, 255}}},
      {"kGrey", std::string(kGrey), {.colour = kGreyRgb}},
      {"kBlack after kGrey", std::string(kGrey) + std::string(kBlack), {}},
      {"kOutlineOn: hollow", std::string(kOutlineOn), {.outline = true}},
      {"kOutlineOff after kOutlineOn", std::string(kOutlineOn) + std::string(kOutlineOff), {}},
      {"kTypefaceAndPageMark: typeface and page mark, nothing printed", std::string(kTypefaceAndPageMark), {}},
  };
  const escp::UniformMetrics metrics;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    escp::Document doc = escp::Interpret(c.codes + "A", metrics);
    EXPECT_TRUE(doc.diagnostics.empty()) << doc.diagnostics.front().message;
    ASSERT_EQ(doc.pages.size(), 1u);
    ASSERT_EQ(doc.pages[0].items.size(), 1u);
    const escp::Item& a = doc.pages[0].items[0];
    EXPECT_EQ(a.bytes, "A");
    EXPECT_EQ(a.style.font.proportional, c.want.proportional);
    EXPECT_EQ(a.style.font.bold, c.want.bold);
    EXPECT_EQ(a.style.italic, c.want.italic);
    EXPECT_EQ(a.style.outline, c.want.outline);
    EXPECT_DOUBLE_EQ(a.style.point_size, c.want.points);
    EXPECT_NEAR(a.style.cell_width, c.want.cell, 1e-9);
    EXPECT_EQ(a.style.colour, c.want.colour);
  }
}

TEST(PrinterCodes, MovementCodesPlaceTheNextRowAsTheFormsNeed) {
  // After kEighthInchLines a row is 1/8 inch (9 points); Up(n) goes back n/216 inch (n/3 points), so
  // Up(27) overprints the row before; ESC "l" n sets the left margin n columns (7.2 points each
  // at 10 per inch) in; kFormFeed starts a new page; Band(n) prints n solid block cells.
  struct Case {
    const char* name;
    std::string between;  // printed between row "A" and the item "B"
    double dx, dy;        // where "B" stands from "A", in points
    std::size_t page;     // the page "B" is on
  } cases[] = {
      {"a row", "\r\n", 0, 9, 0},
      {"a row, then back a whole row", "\r\n" + Up(27), 0, 0, 0},
      {"a row, then back 13/216 inch", "\r\n" + Up(13), 0, 9 - 13 / 3.0, 0},
      {"a row, then Up(14) + Up(13)", "\r\n" + Up(14) + Up(13), 0, 0, 0},
      {"a margin of 3 columns", Esc("l\x03") + "\r\n", 3 * 7.2, 9, 0},
      {"a form feed", std::string(kFormFeed), 0, 0, 1},
  };
  const escp::UniformMetrics metrics;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    escp::Document doc = escp::Interpret(std::string(kEighthInchLines) + "A" + c.between + "B", metrics);
    EXPECT_TRUE(doc.diagnostics.empty()) << doc.diagnostics.front().message;
    ASSERT_EQ(doc.pages.size(), c.page + 1);
    const escp::Item& a = doc.pages[0].items.front();
    const escp::Item& b = doc.pages[c.page].items.back();
    ASSERT_EQ(a.bytes, "A");
    ASSERT_EQ(b.bytes, "B");
    EXPECT_NEAR(b.x - a.x, c.dx, 1e-9);
    EXPECT_NEAR(b.y - a.y, c.dy, 1e-9);
  }

  escp::Document band = escp::Interpret(std::string(kPitch10) + Band(3), metrics);
  ASSERT_EQ(band.pages[0].items.size(), 1u);
  EXPECT_EQ(band.pages[0].items[0].kind, escp::ItemKind::kGraphics);
  EXPECT_EQ(band.pages[0].items[0].bytes, "\xDB\xDB\xDB");
  EXPECT_NEAR(band.pages[0].items[0].width, 3 * 7.2, 1e-9);
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
