#include "escp/interpreter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "escp/cp437.h"
#include "escp/sheet.h"
#include "support/fixture.h"

namespace qreport::escp {
namespace {

using namespace std::string_literals;

// The vertical distance of a reverse feed of n/216 inch, in points.
constexpr double Per216(int n) { return n * 72.0 / 216.0; }

const UniformMetrics kMetrics(0.5);

Document Printed(const std::string& bytes) { return Interpret(bytes, kMetrics); }

// The first item on `page` whose bytes are `text`.
const Item* Find(const Page& page, const std::string& text) {
  for (const Item& item : page.items) {
    if (item.bytes == text) return &item;
  }
  return nullptr;
}

std::string Items(const Page& page) {
  std::string all;
  for (const Item& item : page.items) all += "[" + item.bytes + "]";
  return all;
}

TEST(EscpFeeds, ReverseFeedMovesUpByExactlyNOver216Inch) {
  for (int n : {1, 6, 7, 13, 14, 21, 27, 255}) {
    SCOPED_TRACE(n);
    // Two lines down at 1/8 inch, then back n/216 inch.
    Document doc = Printed("\x1b" "0A\r\n\r\n\x1bj"s + static_cast<char>(n) + "B");
    const Item* a = Find(doc.pages[0], "A");
    const Item* b = Find(doc.pages[0], "B");
    ASSERT_TRUE(a && b) << Items(doc.pages[0]);
    EXPECT_DOUBLE_EQ(b->y, a->y + 2 * Per216(27) - Per216(n));
    EXPECT_DOUBLE_EQ(b->x, a->x) << "a reverse feed does not move the print head";
  }
}

TEST(EscpFeeds, ReverseFeedPutsTheNextItemOnTheRowAbove) {
  // Written like the forms: a row, then the next statement goes back one row and overprints it.
  Document doc = Printed("\x1b" "0\x1bP|box side|\r\n\x1bj\x1b  label\r\n\x1bj\x0e\x1bj\x0dhalf");
  const Item* row = Find(doc.pages[0], "|box side|");
  const Item* label = Find(doc.pages[0], "label");
  const Item* half = Find(doc.pages[0], "half");
  ASSERT_TRUE(row && label && half) << Items(doc.pages[0]);
  EXPECT_DOUBLE_EQ(label->y, row->y);
  EXPECT_DOUBLE_EQ(label->x, row->x + 2 * 7.2);
  // up(14) and up(13) together make one row.
  EXPECT_DOUBLE_EQ(half->y, row->y);
}

TEST(EscpFeeds, ReverseFeedGoesAboveTheTopOfFormWithoutClamping) {
  // Every form page starts like this: a form feed, then two rows up before the first line.
  Document doc = Printed("first page\f\x1b" "0\x1bj\x1b\x1bj\x1bTitle\r\nNext");
  ASSERT_EQ(doc.pages.size(), 2u);
  const Item* title = Find(doc.pages[1], "Title");
  const Item* next = Find(doc.pages[1], "Next");
  ASSERT_TRUE(title && next) << Items(doc.pages[1]);
  EXPECT_DOUBLE_EQ(title->y, -2 * Per216(27));
  EXPECT_DOUBLE_EQ(next->y, -Per216(27));
}

TEST(EscpFeeds, FormFeedStartsAPageAtTheTopOfFormAndKeepsWhatFollowsOnTheLine) {
  Document doc = Printed("\x1bl\x03one\r\nline 2\x0c\x1bkB\x1b\"y\x1b" "0two\r\nthree");
  ASSERT_EQ(doc.pages.size(), 2u);
  EXPECT_EQ(Items(doc.pages[0]), "[one][line 2]");
  EXPECT_EQ(Items(doc.pages[1]), "[two][three]");
  EXPECT_DOUBLE_EQ(doc.pages[1].items[0].y, 0);
  EXPECT_DOUBLE_EQ(doc.pages[1].items[0].x, 3 * 7.2) << "the form feed returns to the left margin";
  EXPECT_DOUBLE_EQ(doc.pages[1].items[1].y, Per216(27));
}

TEST(EscpFeeds, BlankSheetsBeforeTheFirstCharacterAndAtTheEndAreNotPages) {
  struct Case {
    std::string bytes;
    std::size_t pages;
  };
  const Case cases[] = {
      {"", 1},
      {"\fA", 1},          // the worksheet's first page has no form feed, the forms' pages do
      {"\r\n\fA", 1},
      {"A\f", 1},          // a closing form feed ejects the last page
      {"A\fB", 2},
      {"A\f\fB", 3},       // a blank page between two pages is kept
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Printed(c.bytes).pages.size(), c.pages) << Items(Printed(c.bytes).pages[0]);
  }
}

TEST(EscpFeeds, ALineFeedPastTheSheetContinuesOnTheNextSheet) {
  // 1/6 inch lines; the top of form is 1/2 inch down an 11 inch sheet, so the sheet's lower
  // edge is 10 1/2 inches (63 lines) below the top of form.
  Document fits = Printed(std::string(62, '\n') + "X");
  ASSERT_EQ(fits.pages.size(), 1u);
  EXPECT_DOUBLE_EQ(fits.pages[0].items[0].y, 62 * 12.0);
  Document over = Printed("A" + std::string(63, '\n') + "X");
  ASSERT_EQ(over.pages.size(), 2u);
  EXPECT_DOUBLE_EQ(over.pages[1].items[0].y, 63 * 12.0 - 792) << "the position runs on, no line is lost";
}

TEST(EscpText, PitchAndPointSizeSetTheAdvance) {
  struct Case {
    const char* name;
    std::string select;
    double cell;        // fixed pitch advance in points; 0 for proportional
    double width;       // advance of the two characters "AB"
    double point_size;
  };
  const double prop_em = 0.5;
  const Case cases[] = {
      {"power on", "", 7.2, 14.4, 10.5},
      {"ESC P 10 cpi", "\x1bM\x1bP", 7.2, 14.4, 10.5},
      {"ESC M 12 cpi", "\x1bM", 6, 12, 10.5},
      {"ESC g 15 cpi", "\x1bg", 4.8, 9.6, 10.5},
      {"SI condensed 10 cpi", "\x0f", 4.2, 8.4, 10.5},
      {"ESC SI condensed 12 cpi", "\x1bM\x1b\x0f", 3.6, 7.2, 10.5},
      {"DC2 ends condensed", "\x0f\x12", 7.2, 14.4, 10.5},
      {"base: ESC X 12 cpi 10 pt", "\x1bX\x1e\x14\x00"s, 6, 12, 10},
      {"ESC X ends condensed", "\x0f\x1bX\x1e\x14\x00"s, 6, 12, 10},
      {"ESC P ends condensed", "\x0f\x1bP", 7.2, 14.4, 10.5},
      {"small: ESC X proportional 8 pt", "\x1bX\x01\x10\x00"s, 0, 2 * prop_em * 8, 8},
      {"ESC X 20 pt", "\x1bX\x01\x28\x00"s, 0, 2 * prop_em * 20, 20},
      {"ESC p1 proportional", "\x1bp1", 0, 2 * prop_em * 10.5, 10.5},
      {"ESC p0 back to the last pitch", "\x1bX\x1e\x14\x00\x1bX\x01\x10\x00\x1bp0"s, 6, 12, 8},
      {"ESC p with a binary 0", "\x1bp\x01\x1bp\x00"s, 7.2, 14.4, 10.5},
      {"condensed proportional", "\x1b\x0f\x1bp1", 0, 2 * prop_em * 10.5 * 7 / 12, 10.5},
      {"SO double width", "\x0e", 14.4, 28.8, 10.5},
      {"ESC W 1 double width", "\x1bW1", 14.4, 28.8, 10.5},
      {"ESC ! 12 cpi bold", "\x1b!\x09", 6, 12, 10.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document doc = Printed(c.select + "AB C");
    ASSERT_TRUE(doc.diagnostics.empty());
    const Item& item = doc.pages[0].items.at(0);
    EXPECT_EQ(item.bytes, "AB C");
    EXPECT_DOUBLE_EQ(item.style.cell_width, c.cell);
    EXPECT_DOUBLE_EQ(item.style.point_size, c.point_size);
    EXPECT_NEAR(item.width, 2 * c.width, 1e-9) << "blank and C advance like A and B";
  }
}

TEST(EscpText, ProportionalTextAdvancesByTheFontWidths) {
  class NarrowI : public FontMetrics {
   public:
    NarrowI() {
      table_.fill(0.5);
      table_['i'] = 0.25;
      table_['W'] = 1.0;
      fixed_.fill(0.6);
    }
    const AdvanceTable& Advances(FontKey key) const override { return key.proportional ? table_ : fixed_; }

   private:
    AdvanceTable table_;
    AdvanceTable fixed_;
  } metrics;
  // prop at 10.5 pt: "iW" is 1.25 em; the bold switch starts a new item where it ended.
  Document doc = Interpret("\x1bp1iW\x1b" "Ei\x1bp0i", metrics);
  const Page& page = doc.pages[0];
  ASSERT_EQ(page.items.size(), 3u) << Items(page);
  EXPECT_DOUBLE_EQ(page.items[0].width, 1.25 * 10.5);
  EXPECT_DOUBLE_EQ(page.items[1].x, 1.25 * 10.5);
  EXPECT_TRUE(page.items[1].style.font.bold);
  EXPECT_DOUBLE_EQ(page.items[2].x, 1.5 * 10.5) << "fixed pitch after ESC p0";
  EXPECT_DOUBLE_EQ(page.items[2].width, 7.2);
}

TEST(EscpText, LeftMarginCountsInThePitchInForce) {
  struct Case {
    std::string bytes;
    double x;
  };
  const Case cases[] = {
      {"\x1bl\x03\r\nA", 3 * 7.2},
      {"\x1bM\x1bl\x03\r\nA", 3 * 6.0},
      {"\x1bp1\x1bl\x03\r\nA", 3 * 7.2},    // proportional: columns of 10 cpi
      {"\x1bl\x03" "A", 3 * 7.2},           // set at the start of a line, it moves the head
      {"\x1bl\x05\t A", 5 * 7.2 + 8 * 7.2 + 7.2},  // tab stops every 8 columns from the margin
  };
  for (const Case& c : cases) {
    Document doc = Printed(c.bytes);
    ASSERT_FALSE(doc.pages[0].items.empty());
    EXPECT_DOUBLE_EQ(doc.pages[0].items.back().x, c.x) << c.bytes;
  }
}

TEST(EscpText, OverprintingKeepsBothRunsInPrintingOrder) {
  Document doc = Printed("\xdb\xdb\xdb\xdb\r\x1b\"R\xff\xff\xffPart\x1b\"R\x00\x00\x00"s);
  const Page& page = doc.pages[0];
  ASSERT_EQ(page.items.size(), 2u);
  EXPECT_EQ(page.items[0].kind, ItemKind::kGraphics);
  EXPECT_EQ(page.items[1].bytes, "Part");
  EXPECT_DOUBLE_EQ(page.items[1].x, page.items[0].x);
  EXPECT_EQ(page.items[1].style.colour, (Rgb{255, 255, 255}));
  EXPECT_EQ(page.items[0].style.colour, (Rgb{0, 0, 0}));
}

TEST(EscpText, GraphicsBytesAreRunsOfCellsBesideTheText) {
  Document doc = Printed("\x1bM|\xda\xc4\xc4\xbf|  \xb3 X");
  const Page& page = doc.pages[0];
  ASSERT_EQ(page.items.size(), 5u) << Items(page);
  EXPECT_EQ(page.items[0].kind, ItemKind::kText);
  EXPECT_EQ(page.items[1].kind, ItemKind::kGraphics);
  EXPECT_EQ(page.items[1].bytes, "\xda\xc4\xc4\xbf");
  EXPECT_DOUBLE_EQ(page.items[1].x, 6.0);
  EXPECT_DOUBLE_EQ(page.items[1].width, 24.0);
  EXPECT_EQ(page.items[2].bytes, "|  ") << "the text after the graphics starts a new run";
  EXPECT_EQ(page.items[3].bytes, "\xb3");
  EXPECT_DOUBLE_EQ(page.items[3].x, 8 * 6.0) << "the blanks moved the head";
  EXPECT_EQ(page.items[4].bytes, "X") << "a run does not start with blanks";
  EXPECT_DOUBLE_EQ(page.items[4].x, 10 * 6.0);
}

TEST(EscpText, PrintUtilitySequences) {
  Document doc = Printed("\x1b\"R\xc8\xc8\xc8grey\x1b\"R\x00\x00\x00\x1b\"V20\x1b\"U05"s);
  const Page& page = doc.pages[0];
  ASSERT_EQ(page.items.size(), 3u) << Items(page);
  EXPECT_EQ(page.items[0].style.colour, (Rgb{200, 200, 200}));
  EXPECT_TRUE(page.items[1].style.outline);
  EXPECT_EQ(page.items[1].bytes, "20");
  EXPECT_FALSE(page.items[2].style.outline);
  EXPECT_TRUE(doc.diagnostics.empty());
}

TEST(EscpSequences, TheReportsOwnSequencesAreAllUnderstoodAndNonePrints) {
  // Every sequence the worksheet, the forms and the voucher write, parameters that look like
  // text included (ESC "k" "A", ESC "l" 3, ESC 0x22 "Q" DC1).
  const std::string all =
      "\x1bp\x00\x1bkA\x1b\"y\x1bP\x1bl\x03\x1b\"Q\x11\x1b" "E\r\n"
      "\x0c\x1bkB\x1b\"y\x1b" "0\x1bP\x1bp0\x1bj\x1b\x1b\x0f\x1bp1\x1bX\x01\x1c\x00\x1b" "E\x1b" "F"
      "\x1bX\x1e\x14\x00\x1bX\x01\x10\x00\x1bX\x01\x14\x00\x1bX\x01\x0e\x00\x0f\x1b" "4\x1b" "5"
      "\x1b\"R\xff\xff\xff\x1b\"R\x00\x00\x00\x1b\"R\xc8\xc8\xc8\x1b\"Q\x10\x1b\"V\x1b\"U\x11"
      "\x1bj\x0d\x1bj\x0e\x1bj\x07\x1bj\x15\x1bj\x06\x1bj\x09\x1bj\x12\x1bj\x16\x1bj\x05"s;
  Document doc = Printed(all + "done");
  EXPECT_TRUE(doc.diagnostics.empty()) << doc.diagnostics.front().message << " at "
                                       << doc.diagnostics.front().offset;
  ASSERT_EQ(doc.pages.size(), 1u) << "the form feed came before anything was printed";
  EXPECT_EQ(Items(doc.pages[0]), "[done]");
}

TEST(EscpSequences, SkippedAndUnknownSequencesConsumeTheirParametersAndAreListed) {
  struct Case {
    const char* name;
    std::string bytes;  // followed by "X"
    std::string listed; // the sequence the diagnostic shows
  };
  const Case cases[] = {
      {"underline, one parameter", "\x1b-\x01", "\x1b-\x01"},
      {"double height", "\x1bw1", "\x1bw1"},
      {"copy ROM to RAM, three", "\x1b:\x00\x00\x00"s, "\x1b:\x00\x00\x00"s},
      {"extended command with a length", "\x1b(C\x02\x00\x10\x20"s, "\x1b(C\x02\x00\x10\x20"s},
      {"24-dot bit image: 2 columns of 3 bytes", "\x1b*\x27\x02\x00" "ABCDEF"s, "\x1b*\x27\x02\x00" "ABCDEF"s},
      {"8-dot bit image", "\x1bK\x03\x00" "abc"s, "\x1bK\x03\x00" "abc"s},
      {"tab stops ended by NUL", "\x1b" "D\x08\x10\x00"s, "\x1b" "D\x08\x10\x00"s},
      {"page length in inches", "\x1b" "C\x00\x0b"s, "\x1b" "C\x00\x0b"s},
      {"run-length raster row", "\x1b.\x01\x0a\x0a\x01\x10\x00\xfe\xff"s, "\x1b.\x01\x0a\x0a\x01\x10\x00\xfe\xff"s},
      {"not an ESC/P command", "\x1b\x99", "\x1b\x99"},
      {"unknown print utility sequence", "\x1b\"Z", "\x1b\"Z"},
      {"control byte", "\x01", "\x01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = "ok" + c.bytes + "X";
    Document doc = Printed(bytes);
    EXPECT_EQ(Items(doc.pages[0]), "[ok][X]");
    ASSERT_EQ(doc.diagnostics.size(), 1u);
    EXPECT_EQ(doc.diagnostics[0].offset, 2u);
    EXPECT_EQ(doc.diagnostics[0].bytes, c.listed);
  }
}

TEST(EscpSequences, ASequenceCutOffByTheEndOfInputIsListedAndNotPrinted) {
  for (const std::string& tail : {"\x1b"s, "\x1bX\x01"s, "\x1b\"R\xff"s, "\x1bK\x05\x00" "ab"s, "\x1b(C\x09"s}) {
    Document doc = Printed("ok" + tail);
    EXPECT_EQ(Items(doc.pages[0]), "[ok]") << tail;
    ASSERT_EQ(doc.diagnostics.size(), 1u) << tail;
    EXPECT_EQ(doc.diagnostics[0].offset, 2u);
    EXPECT_EQ(doc.diagnostics[0].bytes, tail);
  }
}

// Everything a document holds, in one text, for comparing two interpretations.
std::string Dump(const std::vector<Page>& pages, const std::vector<Diagnostic>& diagnostics) {
  std::string out;
  for (const Page& page : pages) {
    out += "page\n";
    for (const Item& item : page.items) {
      out += std::to_string(static_cast<int>(item.kind)) + " " + std::to_string(item.x) + " " + std::to_string(item.y) +
             " " + std::to_string(item.width) + " " + std::to_string(item.style.cell_width) + " [" + item.bytes + "]\n";
    }
  }
  for (const Diagnostic& d : diagnostics) out += std::to_string(d.offset) + " " + d.bytes + " " + d.message + "\n";
  return out;
}

class Collect final : public PageSink {
 public:
  void OnPage(Page&& page) override { pages.push_back(std::move(page)); }
  std::vector<Page> pages;
};

TEST(EscpStream, TextFedInPiecesReadsAsTheWholeText) {
  // The demo report with every kind of sequence after it, cut into pieces of many sizes: a cut
  // falls inside runs of text, of graphics and of blanks, and inside sequences and their data.
  std::string bytes = testing::ReadFile(std::filesystem::path(QREPORT_GOLDEN_DIR) / "escp" / "demo_report.txt") +
                      "\r\n   ok\x1b*\x27\x02\x00" "ABCDEF\xb3\xc4\xc4 x\x1b(C\x02\x00\x10\x20\x1b.\x01\x0a\x0a\x01\x10\x00\xfe\xff"
                      "\x1b\"R\x01\x02\x03\x01\x1bj\x20\x0c\x0cend\x1bK\x05\x00" "ab"s;
  Document whole = Interpret(bytes, kMetrics);
  const std::string expected = Dump(whole.pages, whole.diagnostics);
  for (std::size_t piece : {1u, 2u, 3u, 7u, 64u, 1000u, 4096u}) {
    SCOPED_TRACE(piece);
    Collect sink;
    StreamInterpreter stream(kMetrics, sink);
    for (std::size_t at = 0; at < bytes.size(); at += piece) stream.Feed(std::string_view(bytes).substr(at, piece));
    stream.Finish();
    EXPECT_TRUE(Dump(sink.pages, stream.diagnostics()) == expected);
    EXPECT_EQ(sink.pages.size(), whole.pages.size());
  }
}

TEST(EscpStream, MemoryIsBoundedByAPageNotByTheInput) {
  struct Case {
    const char* name;
    std::string unit;
    std::size_t repeat;
    std::size_t items_at_most;
  } cases[] = {
      // Control bytes: a diagnostic each, of which the first few hundred are kept.
      {"control bytes", "\x01"s, 300000, 0},
      // Text and graphics in turn on one row: each byte an item, kept up to the widest sheet.
      {"text and graphics on one row", "A\xb0", 300000, 1010},
      // The same, overprinted row after row: kept up to the page's limit.
      {"overprinted rows", std::string(50, 'A') + "\xb0\xb1" + "\r", 300000, kMaxItemsPerPage},
      // One run of text: kept up to the widest sheet.
      {"one long run", "ABCDEFGH", 300000, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes;
    for (std::size_t i = 0; i < c.repeat; ++i) bytes += c.unit;
    Document doc = Printed(bytes);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_LE(doc.pages[0].items.size(), c.items_at_most);
    EXPECT_LE(doc.diagnostics.size(), kMaxDiagnostics);
    std::size_t kept_bytes = 0;
    for (const Item& item : doc.pages[0].items) kept_bytes += item.bytes.size();
    EXPECT_LE(kept_bytes, kMaxBytesPerPage + 1000);
  }
  Document noisy = Printed(std::string(1000, '\x01') + "X");
  EXPECT_EQ(noisy.diagnostics.size(), kMaxDiagnostics);
  EXPECT_EQ(noisy.more_diagnostics, 1000 - kMaxDiagnostics);
  EXPECT_EQ(Items(noisy.pages[0]), "[X]");
}

TEST(EscpCharacters, CodePage437) {
  struct Case {
    unsigned char byte;
    char32_t unicode;
  };
  const Case cases[] = {
      {'A', U'A'}, {'~', U'~'}, {0x80, U'Ç'}, {0x82, U'é'}, {0x9B, U'¢'}, {0x9C, U'£'},
      {0xA4, U'ñ'}, {0xB0, U'░'}, {0xB3, U'│'}, {0xBF, U'┐'}, {0xC0, U'└'}, {0xC4, U'─'},
      {0xC5, U'┼'}, {0xCD, U'═'}, {0xD9, U'┘'}, {0xDA, U'┌'}, {0xDB, U'█'}, {0xE1, U'ß'},
      {0xE6, U'µ'}, {0xF8, U'°'}, {0xFD, U'²'}, {0xFF, U'\u00A0'},
  };
  for (const Case& c : cases) EXPECT_EQ(Cp437ToUnicode(c.byte), c.unicode) << int(c.byte);
  std::string utf8;
  AppendCp437AsUtf8("Caf\x82 \xc4\xdb\x9c", utf8);
  EXPECT_EQ(utf8, "Café ─█£");
}

TEST(EscpCharacters, LineGraphicsArmsReachTheCellEdgesTheyJoin) {
  struct Case {
    unsigned char byte;
    BoxArms arms;  // up, right, down, left
  };
  // The bytes the forms' templates translate to, and two double-line ones.
  const Case cases[] = {
      {0xDA, {0, 1, 1, 0}}, {0xBF, {0, 0, 1, 1}}, {0xC0, {1, 1, 0, 0}}, {0xD9, {1, 0, 0, 1}},
      {0xC4, {0, 1, 0, 1}}, {0xB3, {1, 0, 1, 0}}, {0xC3, {1, 1, 1, 0}}, {0xB4, {1, 0, 1, 1}},
      {0xC2, {0, 1, 1, 1}}, {0xC1, {1, 1, 0, 1}}, {0xC5, {1, 1, 1, 1}}, {0xC9, {0, 2, 2, 0}},
      {0xD8, {1, 2, 1, 2}}, {'A', {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    BoxArms a = BoxArmsOf(c.byte);
    EXPECT_EQ((std::array<int, 4>{a.up, a.right, a.down, a.left}),
              (std::array<int, 4>{c.arms.up, c.arms.right, c.arms.down, c.arms.left}))
        << int(c.byte);
  }
  EXPECT_EQ(BlockKindOf(0xDB), BlockKind::kFull);
  EXPECT_EQ(BlockKindOf(0xC4), BlockKind::kNone);
}

TEST(EscpSheet, FormPagesStayLetterPortraitAndWideWorksheetsFitLandscape) {
  struct Case {
    const char* name;
    std::string bytes;
    bool landscape;
  };
  const Case cases[] = {
      {"a form row at 12 cpi", "\x1bl\x03\x1bM" + std::string(80, 'x'), false},
      {"an 80-column voucher row at 10 cpi after a margin of 3", "\x1bl\x03" + std::string(80, '\xc4'), false},
      {"a 132-column worksheet row", "\x1bl\x03" + std::string(132, '='), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document doc = Printed(c.bytes);
    Sheet sheet = SheetFor(doc.pages[0]);
    EXPECT_EQ(sheet.landscape, c.landscape);
    EXPECT_EQ(sheet.width, c.landscape ? kLetterHeight : kLetterWidth);
    double right = sheet.offset_x + sheet.scale * RightExtent(doc.pages[0]);
    EXPECT_LE(right, sheet.width) << "every column is on the sheet";
    EXPECT_GE(sheet.offset_x, 0);
  }
}

}  // namespace
}  // namespace qreport::escp
