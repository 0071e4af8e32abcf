#include "escp/cairo/render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/fixture.h"
#include "support/pixel_probe.h"

namespace qreport::escp {
namespace {

using namespace std::string_literals;
using qreport::testing::DarkNear;
using qreport::testing::LightRegion;
using qreport::testing::Luma;
using qreport::testing::Px;
using qreport::testing::ReadFile;
using qreport::testing::Region;
using qreport::testing::ToPixels;
using qreport::testing::RunCommand;
using qreport::testing::TempDir;

const FontSet& Fonts() {
  static const FontSet fonts;
  return fonts;
}

constexpr double kProbeDpi = 200;

TEST(EscpRender, BoxesDrawnFromTemplateRowsAreClosed) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::string top = "    \xda" + std::string(10, '\xc4') + "\xbf";
  const std::string side = "    \xb3" + std::string(10, ' ') + "\xb3";
  const std::string bottom = "    \xc0" + std::string(10, '\xc4') + "\xd9";
  const Case cases[] = {
      {"consecutive rows at 1/6 inch", "\r\n\r\n" + top + "\r\n" + side + "\r\n" + bottom + "\r\n"},
      // The forms' money box: top half a row up, label and amount overprinted, bottom half a
      // row up again.
      {"the forms' half-row box", "\x1b" "0\x1bM\r\n\r\n\x1bj\x0d" + top + "\r\n\x1bj\x1b\x1bX\x01\x10\x00  label\x1bX\x1e\x14\x00\r\n"s +
                                      side + "\r\n\x1bj\x1b       1234.50\r\n\x1bj\x0e" + bottom + "\r\n"},
      {"a check box with its cross", "\x1b" "0\x1bM\r\n\r\n    \xda\xc4\xbf\r\n\x1bj\x0e     X\x1bj\x0d\r\n    \xc0\xc4\xd9\r\n"},
      {"above the top of form", "\x1b" "0\x1bj\x1b\x1bj\x1b" + top + "\r\n" + side + "\r\n" + bottom + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document doc = Interpret(c.bytes, Fonts());
    ASSERT_EQ(doc.pages.size(), 1u);
    const Page& page = doc.pages[0];
    // The box's outline from its graphics runs.
    double left = 1e9, right = -1e9, top_y = 1e9, bottom_y = -1e9, cell = 0;
    for (const Item& item : page.items) {
      if (item.kind != ItemKind::kGraphics) continue;
      cell = item.style.cell_width;
      left = std::min(left, item.x + cell / 2);
      right = std::max(right, item.x + item.width - cell / 2);
      top_y = std::min(top_y, item.y + item.height / 2);
      bottom_y = std::max(bottom_y, item.y + item.height / 2);
    }
    Sheet sheet = SheetFor(page);
    PageImage image = RasterizePage(page, Fonts(), kProbeDpi);
    Px tl = ToPixels(sheet, left, top_y, kProbeDpi);
    Px br = ToPixels(sheet, right, bottom_y, kProbeDpi);
    // Each side is drawn where its characters stand.
    EXPECT_TRUE(DarkNear(image, {(tl.x + br.x) / 2, tl.y})) << "top";
    EXPECT_TRUE(DarkNear(image, {(tl.x + br.x) / 2, br.y})) << "bottom";
    EXPECT_TRUE(DarkNear(image, {tl.x, (tl.y + br.y) / 2})) << "left";
    EXPECT_TRUE(DarkNear(image, {br.x, (tl.y + br.y) / 2})) << "right";
    // The paper inside, next to the top-left corner, is enclosed by the four sides.
    Px seed = ToPixels(sheet, left + cell / 3, top_y + 1.5, kProbeDpi);
    Region inside = LightRegion(image, seed);
    EXPECT_GT(inside.pixels, 20) << "the seed lies on paper inside the box";
    EXPECT_GE(inside.x0, tl.x - 3);
    EXPECT_LE(inside.x1, br.x + 3);
    EXPECT_GE(inside.y0, tl.y - 3);
    EXPECT_LE(inside.y1, br.y + 3) << "the region leaks out of the box";
  }
}

TEST(EscpRender, FullBlocksMakeASolidBandUnderWhiteHeadings) {
  // Two band rows one line apart, like a part heading, with the heading in white over them.
  std::string bytes = "\x1b" "0\x1bM\r\n" + std::string(30, '\xdb') + "\r\n" + std::string(30, '\xdb') +
                      "\r\x1bj\x1b\x1b\"R\xff\xff\xffPart 1: heading\x1b\"R\x00\x00\x00"s;
  Document doc = Interpret(bytes, Fonts());
  const Page& page = doc.pages[0];
  Sheet sheet = SheetFor(page);
  PageImage image = RasterizePage(page, Fonts(), kProbeDpi);
  const Item& band = page.items[0];
  Px a = ToPixels(sheet, band.x, band.y, kProbeDpi);
  Px b = ToPixels(sheet, band.x + band.width, band.y + 2 * band.height, kProbeDpi);
  // Right of the heading every pixel of both rows is dark: no seam between cells or rows.
  int seams = 0;
  for (int y = a.y + 1; y < b.y - 1; ++y) {
    for (int x = (a.x + b.x) / 2 + 20; x < b.x - 1; ++x) seams += Luma(image.At(x, y)) > 60;
  }
  EXPECT_EQ(seams, 0);
  // The heading shows in white on the band.
  int white = 0;
  for (int y = a.y; y < b.y; ++y) {
    for (int x = a.x; x < (a.x + b.x) / 2; ++x) white += Luma(image.At(x, y)) > 200;
  }
  EXPECT_GT(white, 50);
}

std::string RunToText(const std::string& command, const TempDir& dir) {
  auto out = dir / "out.txt";
  if (RunCommand(command, out, dir / "err.txt") != 0) return "<failed: " + ReadFile(dir / "err.txt") + ">";
  return ReadFile(out);
}

TEST(EscpRender, PdfTextIsRealTextAndThereAreNoPageBitmaps) {
  TempDir dir;
  std::string bytes = "\x1b" "0\x1bl\x03\x1bM\xda\xc4\xc4\xbf\r\nWages, tips 1234.50\r\n\x1bp1\x1bX\x01\x10\x00"
                      "Caf\x82 \x80 proportional\r\n\x1b\"V20\x1b\"U26\x0c\xdb\xdb overprinted\rOVER"s;
  Document doc = Interpret(bytes, Fonts());
  auto pdf = dir / "t.pdf";
  {
    std::ofstream out(pdf, std::ios::binary);
    WritePdf(doc, Fonts(), out);
  }
  std::string text = RunToText("pdftotext -layout '" + pdf.string() + "' -", dir);
  EXPECT_NE(text.find("Wages, tips 1234.50"), std::string::npos) << text;
  EXPECT_NE(text.find("Café Ç proportional"), std::string::npos) << text;
  EXPECT_NE(text.find("2026"), std::string::npos) << "hollow digits stay text: " << text;
  EXPECT_NE(text.find("OVER"), std::string::npos) << text;
  std::string images = RunToText("pdfimages -list '" + pdf.string() + "'", dir);
  EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2) << "only the header lines: " << images;
}

// The worksheet of a client with accented names, as the report writes it (the golden file): the
// PDF's text is the letters (the data's own bytes would be box strokes, drawn and not text).
TEST(EscpRender, AccentedNamesShowAsTheirLetters) {
  TempDir dir;
  std::string report = ReadFile(std::filesystem::path(QREPORT_GOLDEN_DIR) / "worksheet" / "accented_names.txt");
  ASSERT_FALSE(report.empty());
  auto pdf = dir / "names.pdf";
  {
    std::ofstream out(pdf, std::ios::binary);
    WritePdf(Interpret(report, Fonts()), Fonts(), out);
  }
  std::string text = RunToText("pdftotext -layout '" + pdf.string() + "' -", dir);
  for (const char* name : {"CAFÉ MAÑANA & SONS", "? EXPRESS DELI", "PEÑA, JOSÉ", "Müller, Angel", "Muñoz Orsted, Zoë"}) {
    EXPECT_NE(text.find(name), std::string::npos) << name << " in:\n" << text;
  }
}

TEST(EscpRender, OutputIsTheSameOnEveryRun) {
  std::string report = ReadFile(std::filesystem::path(QREPORT_GOLDEN_DIR) / "escp" / "demo_report.txt");
  ASSERT_FALSE(report.empty());
  Document doc = Interpret(report, Fonts());
  std::ostringstream first, second;
  WritePdf(doc, Fonts(), first);
  WritePdf(Interpret(report, Fonts()), Fonts(), second);
  EXPECT_TRUE(first.str() == second.str());
  EXPECT_NE(first.str().find("/CreationDate (20000101000000"), std::string::npos);
  PageImage a = RasterizePage(doc.pages[1], Fonts(), 50);
  PageImage b = RasterizePage(doc.pages[1], Fonts(), 50);
  EXPECT_TRUE(a.pixels == b.pixels);
}

TEST(EscpRender, TheIntendedFontsAreInstalled) {
  // The golden pages are drawn with these faces; a substitute would change every glyph.
  EXPECT_TRUE(Fonts().Substitutions().empty()) << Fonts().Substitutions().front();
}

// Compares a page with the golden PNG tests/golden/escp/<name>, allowing small differences of
// antialiasing: at most 100 pixels may differ by more than a quarter of the range in a channel
// (a lost word or box side changes more).
// Returns "" when they match; on a mismatch writes the actual page as <name>.actual beside the
// golden file.
std::string CompareGoldenPng(const std::string& name, const PageImage& actual) {
  std::filesystem::path golden = std::filesystem::path(QREPORT_GOLDEN_DIR) / "escp" / name;
  auto write = [&](const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    WritePng(actual, out);
  };
  const char* update = std::getenv("UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    write(golden);
    return "";
  }
  std::filesystem::path actual_path = golden;
  actual_path += ".actual";
  if (!std::filesystem::exists(golden)) {
    write(actual_path);
    return "no golden file " + golden.string() + " (actual written to " + actual_path.string() + ")";
  }
  PageImage expected = ReadPng(golden);
  if (expected.width != actual.width || expected.height != actual.height) {
    write(actual_path);
    return "size differs from " + golden.string();
  }
  std::size_t differing = 0;
  for (std::size_t i = 0; i < actual.pixels.size(); ++i) {
    std::uint32_t p = actual.pixels[i], q = expected.pixels[i];
    for (int shift : {0, 8, 16}) {
      int d = static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF);
      if (d > 64 || d < -64) {
        ++differing;
        break;
      }
    }
  }
  if (differing <= 100) return "";
  write(actual_path);
  return std::to_string(differing) + " pixels differ from " + golden.string() + " (actual written to " +
         actual_path.string() + ")";
}

TEST(EscpRender, DemoReportPagesMatchTheGoldenPages) {
  // The demo client's report as the worksheet, Form 941 and voucher printers wrote it.
  std::string report = ReadFile(std::filesystem::path(QREPORT_GOLDEN_DIR) / "escp" / "demo_report.txt");
  Document doc = Interpret(report, Fonts());
  EXPECT_TRUE(doc.diagnostics.empty());
  ASSERT_EQ(doc.pages.size(), 4u);
  EXPECT_TRUE(SheetFor(doc.pages[0]).landscape) << "the 132-column worksheet";
  const char* names[] = {"worksheet.png", "form941_page1.png", "form941_page2.png", "voucher.png"};
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(names[i]);
    if (i > 0) {
      EXPECT_FALSE(SheetFor(doc.pages[i]).landscape);
    }
    std::string diff = CompareGoldenPng(names[i], RasterizePage(doc.pages[i], Fonts(), 72));
    EXPECT_TRUE(diff.empty()) << diff;
  }
}

}  // namespace
}  // namespace qreport::escp
