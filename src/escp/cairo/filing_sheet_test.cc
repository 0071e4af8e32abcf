#include "escp/cairo/filing_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/filing_sheet_example.h"
#include "support/fixture.h"
#include "support/pixel_probe.h"

namespace qreport::escp {
namespace {

using qreport::testing::ExampleForm941Sheet;
using qreport::testing::ExampleForm944Sheet;
using qreport::testing::Luma;
using qreport::testing::ReadFile;
using qreport::testing::RunCommand;
using qreport::testing::TempDir;

// The size of the footer and the column titles, which stand apart from the flow of lines.
constexpr double kFooterSize = 8;

const FontSet& Fonts() {
  static const FontSet fonts;
  return fonts;
}

std::string PdfBytes(const FilingSheet& sheet) {
  std::ostringstream out;
  WriteFilingSheetPdf(sheet, Fonts(), out);
  return out.str();
}

// The text pdftotext reads from the PDF file `pdf`, page `page` only when given.
std::string PdfText(const TempDir& dir, const std::filesystem::path& pdf, int page = 0) {
  std::string pages = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
  auto out = dir / "text.txt";
  if (RunCommand("pdftotext -layout" + pages + " '" + pdf.string() + "' -", out, dir / "err.txt") != 0) {
    return "<pdftotext failed: " + ReadFile(dir / "err.txt") + ">";
  }
  return ReadFile(out);
}

std::filesystem::path WritePdfFile(const TempDir& dir, const FilingSheet& sheet) {
  auto pdf = dir / "sheet.pdf";
  std::ofstream(pdf, std::ios::binary) << PdfBytes(sheet);
  return pdf;
}

// A placed text's ink box, roughly: from the ascent above the baseline to the descent below.
struct Extent {
  double x0, y0, x1, y1;
};
Extent ExtentOf(const PlacedText& text) {
  return {text.x, text.baseline - 0.76 * text.size, text.right, text.baseline + 0.24 * text.size};
}
bool Overlap(const Extent& a, const Extent& b) {
  return a.x0 < b.x1 - 0.01 && b.x0 < a.x1 - 0.01 && a.y0 < b.y1 - 0.01 && b.y0 < a.y1 - 0.01;
}

// Every fault of placement on the pages: a text running past the margins or lying over another
// text (a caption over an amount, a name over its neighbour, a line over the footer).
std::vector<std::string> PlacementFaults(const std::vector<FilingSheetPage>& pages) {
  std::vector<std::string> faults;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    const auto& texts = pages[p].texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      Extent a = ExtentOf(texts[i]);
      if (a.x0 < kSheetMargin - 0.01 || a.x1 > kSheetWidth - kSheetMargin + 0.01 || a.y0 < kSheetMargin - 0.01 ||
          a.y1 > kSheetHeight - kSheetMargin + 0.01) {
        faults.push_back("page " + std::to_string(p + 1) + ": outside the margins: " + texts[i].text);
      }
      for (std::size_t j = i + 1; j < texts.size(); ++j) {
        if (Overlap(a, ExtentOf(texts[j]))) {
          faults.push_back("page " + std::to_string(p + 1) + ": \"" + texts[i].text + "\" over \"" + texts[j].text + "\"");
        }
      }
    }
  }
  return faults;
}

// The texts `lines` of the sheet's lines expected in reading order: each line's number, then its
// amounts as the sheet prints them.
std::vector<std::string> NumbersAndAmounts(const std::vector<FilingSheetLine>& lines) {
  std::vector<std::string> expected;
  for (const FilingSheetLine& line : lines) {
    if (!line.number.empty()) expected.push_back(line.number);
    if (line.count) expected.push_back(std::to_string(*line.count));
    if (line.column1) expected.push_back(SheetAmountText(*line.column1));
    if (line.column2) expected.push_back(SheetAmountText(*line.column2));
  }
  return expected;
}

TEST(FilingSheet, AmountsAreGroupedWithTwoDecimalsAndNoBlanks) {
  struct Case {
    Cents cents;
    const char* text;
  };
  const Case cases[] = {
      {0, "0.00"},          {5, "0.05"},           {-5, "-0.05"},          {-300, "-3.00"},
      {123450, "1,234.50"}, {123456789, "1,234,567.89"}, {100'000'000'000'000, "1,000,000,000,000.00"},
  };
  for (const Case& c : cases) EXPECT_EQ(SheetAmountText(c.cents), c.text) << c.cents;
}

TEST(FilingSheet, PdfTextHoldsEachLineNumberAndItsAmountsInOrder) {
  for (const FilingSheet& sheet : {ExampleForm941Sheet(), ExampleForm944Sheet()}) {
    SCOPED_TRACE(sheet.title);
    TempDir dir;
    std::string text = PdfText(dir, WritePdfFile(dir, sheet));
    for (const char* head : {"current form or into e-file software", "Not a substitute form"}) {
      EXPECT_NE(text.find(head), std::string::npos) << head << "\n" << text;
    }
    std::vector<std::string> expected = {sheet.title, sheet.period, sheet.ein, sheet.name, sheet.trade_name, sheet.address,
                                         sheet.city + ", " + sheet.state + " " + sheet.zip};
    for (const auto* part : {&sheet.part1, &sheet.part2}) {
      for (std::string& piece : NumbersAndAmounts(*part)) expected.push_back(std::move(piece));
    }
    expected.push_back(sheet.designee_name.empty() ? "No third-party designee" : sheet.designee_name);
    if (!sheet.designee_phone.empty()) expected.push_back(sheet.designee_phone);
    std::size_t at = 0;
    for (const std::string& piece : expected) {
      std::size_t found = text.find(piece, at);
      ASSERT_NE(found, std::string::npos) << "\"" << piece << "\" missing after offset " << at << ":\n" << text;
      at = found + piece.size();
    }
  }
}

TEST(FilingSheet, SameValueGivesTheSameBytes) {
  const FilingSheet sheet = ExampleForm941Sheet();
  const std::string first = PdfBytes(sheet);
  EXPECT_TRUE(first == PdfBytes(sheet));
  EXPECT_NE(first.find("/CreationDate (20000101000000"), std::string::npos);
  std::vector<PageImage> a = DrawFilingSheetImages(sheet, Fonts(), 40);
  std::vector<PageImage> b = DrawFilingSheetImages(sheet, Fonts(), 40);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_TRUE(a[0].pixels == b[0].pixels);
}

TEST(FilingSheet, LongTextIsWrappedOrCutNeverDrawnOverTheAmounts) {
  FilingSheet sheet = ExampleForm941Sheet();
  const std::string long_word(150, 'W');
  sheet.name = "Consolidated Regional Agricultural Equipment Leasing and Maintenance Cooperative of the "
               "Northern Counties Incorporated " + long_word;
  sheet.trade_name = long_word;
  sheet.address = long_word + " Street";
  sheet.part1[1].caption = long_word + " " + sheet.part1[1].caption;
  sheet.part1[4].caption = long_word;        // 5a: beside column 1
  sheet.part1[4].column1 = 100'000'000'000'000'000;  // wider than its column at the usual size
  sheet.part1[4].number = "5a-and-more-text";
  sheet.designee_name = long_word;
  const std::vector<FilingSheetPage> pages = LayOutFilingSheet(sheet, Fonts());
  std::vector<std::string> faults = PlacementFaults(pages);
  EXPECT_TRUE(faults.empty()) << faults.front();

  // Nothing is lost: the long word comes out whole when its pieces are put together.
  TempDir dir;
  std::string text = PdfText(dir, WritePdfFile(dir, sheet));
  EXPECT_GE(std::count(text.begin(), text.end(), 'W'), 6 * 150);
  EXPECT_NE(text.find("1,000,000,000,000,000.00"), std::string::npos) << text;
}

// The faults of a page break: a page without its footer, or one that ends on a heading (the
// last text above the footer is a heading's).
std::vector<std::string> BreakFaults(const std::vector<FilingSheetPage>& pages) {
  std::vector<std::string> faults;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    const auto& texts = pages[p].texts;
    std::string footer = "page " + std::to_string(p + 1) + " of " + std::to_string(pages.size());
    if (std::none_of(texts.begin(), texts.end(), [&](const PlacedText& t) { return t.text == footer; })) {
      faults.push_back("no footer \"" + footer + "\"");
    }
    const PlacedText* last = nullptr;
    for (const PlacedText& t : texts) {
      if (t.size > kFooterSize && (last == nullptr || t.baseline > last->baseline)) last = &t;
    }
    if (last != nullptr && last->bold && last->size > 10) {
      faults.push_back("page " + std::to_string(p + 1) + " ends on the heading " + last->text);
    }
  }
  return faults;
}

TEST(FilingSheet, PagesBreakBetweenLinesAndNeverAfterAHeading) {
  // Each count of added lines moves the break elsewhere: into Part 1, before Part 2, between a
  // heading and its first line, inside the notes.
  for (int added = 0; added <= 30; ++added) {
    SCOPED_TRACE(std::to_string(added) + " lines added");
    FilingSheet sheet = ExampleForm941Sheet();
    sheet.part1.insert(sheet.part1.begin() + 14, static_cast<std::size_t>(added), sheet.part1[13]);
    for (int i = 0; i < 4; ++i) sheet.notes.push_back("Note " + std::to_string(i) + ": a warning of two lines, " + std::string(120, 'x'));
    const std::vector<FilingSheetPage> pages = LayOutFilingSheet(sheet, Fonts());
    std::vector<std::string> faults = PlacementFaults(pages);
    for (std::string& fault : BreakFaults(pages)) faults.push_back(std::move(fault));
    EXPECT_TRUE(faults.empty()) << faults.front();
  }
}

TEST(FilingSheet, ManyNotesGoOnASecondPageWholeUnderTheTitle) {
  FilingSheet sheet = ExampleForm941Sheet();
  const int count = 25;
  for (int i = 0; i < count; ++i) {
    sheet.notes.push_back("Note " + std::to_string(i) + ": the month liabilities and line 12 differ by 3.00 or "
                          "more; check the liability file before filing, since the form requires them to agree.");
  }
  const std::vector<FilingSheetPage> pages = LayOutFilingSheet(sheet, Fonts());
  ASSERT_EQ(pages.size(), 2u);
  std::vector<std::string> faults = PlacementFaults(pages);
  for (std::string& fault : BreakFaults(pages)) faults.push_back(std::move(fault));
  EXPECT_TRUE(faults.empty()) << faults.front();
  TempDir dir;
  auto pdf = WritePdfFile(dir, sheet);
  std::string first = PdfText(dir, pdf, 1);
  std::string second = PdfText(dir, pdf, 2);
  EXPECT_NE(second.find(sheet.title + " (continued)"), std::string::npos) << second;
  EXPECT_EQ(second.find("Notes"), std::string::npos) << "the notes' heading stays on the first page";
  // Each note stands whole on one page: its last words on the page of its first.
  for (int i = 0; i < count; ++i) {
    std::string head = "Note " + std::to_string(i) + ": ";
    std::size_t on_first = testing::Count(first, head), on_second = testing::Count(second, head);
    EXPECT_EQ(on_first + on_second, 1u) << i;
    const std::string& page = on_first == 1 ? first : second;
    std::size_t at = page.find(head);
    EXPECT_NE(page.find("them to agree.", at), std::string::npos) << head << " is cut by the page break";
  }
}

TEST(FilingSheet, ANoteLongerThanAPageRunsOnToTheNext) {
  FilingSheet sheet = ExampleForm944Sheet();
  std::string note;
  for (int i = 0; i < 900; ++i) note += "word" + std::to_string(i) + " ";
  sheet.notes = {note, "The last note."};
  const std::vector<FilingSheetPage> pages = LayOutFilingSheet(sheet, Fonts());
  ASSERT_GE(pages.size(), 2u);
  std::vector<std::string> faults = PlacementFaults(pages);
  for (std::string& fault : BreakFaults(pages)) faults.push_back(std::move(fault));
  EXPECT_TRUE(faults.empty()) << faults.front();
  std::string words;
  for (const FilingSheetPage& page : pages) {
    for (const PlacedText& text : page.texts) words += text.text + " ";
  }
  EXPECT_NE(words.find("word0 word1 "), std::string::npos);
  EXPECT_NE(words.find("word898 word899 \xe2\x80\xa2 The last note."), std::string::npos);
}

TEST(FilingSheet, TextThatIsNotCleanUtf8IsDrawnReplaced) {
  FilingSheet sheet = ExampleForm944Sheet();
  sheet.name = "Caf\xe9 \xc3\xa9tienne\tand\nsons \xed\xa0\x80 \xf0\x9f";
  sheet.trade_name = std::string("Nul\0byte", 8);
  std::vector<std::string> texts;
  for (const FilingSheetPage& page : LayOutFilingSheet(sheet, Fonts())) {
    for (const PlacedText& text : page.texts) texts.push_back(text.text);
  }
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Caf\xef\xbf\xbd \xc3\xa9tienne and sons \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd \xef\xbf\xbd\xef\xbf\xbd"),
            texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Nul byte"), texts.end());
  EXPECT_NO_THROW(PdfBytes(sheet));
}

TEST(FilingSheet, PngPagesShowTheTickedBoxesOnly) {
  const FilingSheet sheet = ExampleForm941Sheet();
  const double dpi = 150;
  const std::vector<FilingSheetPage> pages = LayOutFilingSheet(sheet, Fonts());
  TempDir dir;
  std::vector<std::filesystem::path> files = WriteFilingSheetPngs(sheet, Fonts(), dir / "pages", dpi);
  ASSERT_EQ(files.size(), pages.size());
  PageImage image = ReadPng(files[0]);
  int ticked = 0, empty = 0;
  for (const PlacedBox& box : pages[0].boxes) {
    int cx = static_cast<int>((box.x + box.size / 2) * dpi / 72), cy = static_cast<int>((box.y + box.size / 2) * dpi / 72);
    bool ink = Luma(image.At(cx, cy)) < 128;
    EXPECT_EQ(ink, box.ticked) << "box at " << box.x << "," << box.y;
    (box.ticked ? ticked : empty)++;
  }
  EXPECT_EQ(ticked, 1);
  EXPECT_EQ(empty, 3);
}

TEST(FilingSheet, PdfFileIsReplacedWholeAndNeverThroughALink) {
  TempDir dir;
  const FilingSheet sheet = ExampleForm944Sheet();
  auto pdf = dir / "sheet.pdf";
  std::ofstream(pdf) << "old";
  EXPECT_EQ(WriteFilingSheetPdfFile(sheet, Fonts(), pdf), 1u);
  EXPECT_EQ(ReadFile(pdf), PdfBytes(sheet));

  std::ofstream(dir / "target") << "kept";
  std::filesystem::create_symlink(dir / "target", dir / "link.pdf");
  EXPECT_THROW(WriteFilingSheetPdfFile(sheet, Fonts(), dir / "link.pdf"), RenderError);
  EXPECT_EQ(ReadFile(dir / "target"), "kept");
  EXPECT_THROW(WriteFilingSheetPdfFile(sheet, Fonts(), dir / "missing" / "sheet.pdf"), RenderError);
}

// The README's picture is the example sheet as drawn now. With QREPORT_DOCS_OUT set (the
// Makefile's docs-image), the picture is written there instead of compared.
TEST(FilingSheet, ReadmePictureIsTheExampleAsDrawnNow) {
  const std::vector<PageImage> pages = DrawFilingSheetImages(ExampleForm941Sheet(), Fonts(), 100);
  ASSERT_EQ(pages.size(), 1u);
  if (const char* out = std::getenv("QREPORT_DOCS_OUT")) {
    std::ofstream file(std::filesystem::path(out) / "return-sheet.png", std::ios::binary | std::ios::trunc);
    WritePng(pages[0], file);
    ASSERT_TRUE(file.good());
    return;
  }
  PageImage picture = ReadPng(std::filesystem::path(QREPORT_DOCS_DIR) / "return-sheet.png");
  ASSERT_EQ(picture.width, pages[0].width);
  ASSERT_EQ(picture.height, pages[0].height);
  std::size_t differing = 0;
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    differing += std::abs(Luma(picture.pixels[i]) - Luma(pages[0].pixels[i])) > 64;
  }
  EXPECT_LE(differing, 100u) << "run make docs-image and look at the new docs/return-sheet.png";
}

}  // namespace
}  // namespace qreport::escp
