// Schedule B's page as a reader sees it: rendered as the print utility's stand-in draws it, it
// is one US Letter portrait sheet on which every box drawn with line graphics is closed.
#include "forms/schedule_b_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "data/record_file.h"
#include "escp/cairo/render.h"
#include "escp/sheet.h"
#include "support/fixture.h"
#include "support/pixel_probe.h"

namespace qreport {
namespace {

using testing::LightRegion;
using testing::Px;
using testing::Region;
using testing::TempDir;
using testing::ToPixels;

constexpr double kProbeDpi = 150;

// A page with every box in use: amounts on many days, a negative one, one wider than its box,
// other entries of month 3, a marked quarter.
ScheduleB FullSchedule() {
  ScheduleB b;
  b.employer.employer_name = "LAKESIDE HARDWARE & SUPPLY INC";
  b.employer.ein_boxes = "364182957";
  b.year = "2026";
  b.quarter = 2;
  for (std::size_t m = 0; m < 3; ++m) {
    for (std::size_t d = 0; d < 31; d += 2) b.days[m][d] = 123456 + static_cast<Cents>(d * 1000 + m);
  }
  b.days[0][30] = -1250;
  b.days[1][7] = 12345678;
  b.records = 96;
  b.month3_other = 9950;
  b.months = {4000000, 5000000, 6000000};
  b.total = 15000000;
  return b;
}

// One line-graphics character where the page draws it: the centre of its cell.
struct Glyph {
  unsigned char code;
  double x, y, cell, height;
};

std::vector<Glyph> GlyphsOf(const escp::Page& page) {
  std::vector<Glyph> glyphs;
  for (const escp::Item& item : page.items) {
    if (item.kind != escp::ItemKind::kGraphics) continue;
    double cell = item.style.cell_width;
    for (std::size_t i = 0; i < item.bytes.size(); ++i) {
      glyphs.push_back({static_cast<unsigned char>(item.bytes[i]), item.x + (static_cast<double>(i) + 0.5) * cell,
                        item.y + item.height / 2, cell, item.height});
    }
  }
  return glyphs;
}

bool OneOf(unsigned char code, std::string_view codes) { return codes.find(static_cast<char>(code)) != codes.npos; }

// Corners that open a box to their right and below (top-left, top tee, left tee, cross), those
// with a side going down (top-right, top tee, cross, right tee) and those with a side going right
// (bottom-left, left tee, cross, bottom tee).
constexpr std::string_view kOpensRightAndDown = "\xda\xc2\xc3\xc5";
constexpr std::string_view kHasDownSide = "\xbf\xc2\xc5\xb4";
constexpr std::string_view kHasRightSide = "\xc0\xc3\xc5\xc1";

TEST(ScheduleBPicture, OneLetterPortraitSheetWhoseBoxesAreClosed) {
  std::string page_text = ScheduleBPage(FullSchedule());
  escp::FontSet fonts;
  escp::Document doc = escp::Interpret(page_text, fonts);
  ASSERT_EQ(doc.pages.size(), 1u);
  const escp::Page& page = doc.pages[0];
  escp::Sheet sheet = escp::SheetFor(page);
  EXPECT_FALSE(sheet.landscape);
  EXPECT_EQ(sheet.width, escp::kLetterWidth);
  EXPECT_EQ(sheet.scale, 1);

  escp::PageImage image = escp::RasterizePage(page, fonts, kProbeDpi);
  std::vector<Glyph> glyphs = GlyphsOf(page);
  int probed = 0;
  for (const Glyph& corner : glyphs) {
    if (!OneOf(corner.code, kOpensRightAndDown)) continue;
    // The box of this corner: its right side is the nearest side going down on the same row,
    // its bottom the nearest side going right in the same column.
    const Glyph* right = nullptr;
    const Glyph* bottom = nullptr;
    for (const Glyph& g : glyphs) {
      if (OneOf(g.code, kHasDownSide) && std::abs(g.y - corner.y) < corner.height / 4 && g.x > corner.x &&
          (right == nullptr || g.x < right->x)) {
        right = &g;
      }
      if (OneOf(g.code, kHasRightSide) && std::abs(g.x - corner.x) < corner.cell / 4 && g.y > corner.y &&
          (bottom == nullptr || g.y < bottom->y)) {
        bottom = &g;
      }
    }
    if (right == nullptr || bottom == nullptr) continue;  // a corner of the grid's outline only
    Px top_left = ToPixels(sheet, corner.x, corner.y, kProbeDpi);
    Px bottom_right = ToPixels(sheet, right->x, bottom->y, kProbeDpi);
    SCOPED_TRACE("box at " + std::to_string(top_left.x) + "," + std::to_string(top_left.y) + " to " +
                 std::to_string(bottom_right.x) + "," + std::to_string(bottom_right.y) + " px");
    // The paper just inside the corner (past any text printed there).
    Region inside;
    for (double dx : {0.6, 0.3, 0.9}) {
      inside = LightRegion(image, ToPixels(sheet, corner.x + dx * corner.cell, corner.y + 0.45 * corner.height, kProbeDpi));
      if (inside.pixels > 0) break;
    }
    ASSERT_GT(inside.pixels, 0) << "no paper inside the corner";
    EXPECT_GE(inside.x0, top_left.x - 3);
    EXPECT_GE(inside.y0, top_left.y - 3);
    EXPECT_LE(inside.x1, bottom_right.x + 3);
    EXPECT_LE(inside.y1, bottom_right.y + 3) << "the paper inside leaks out of the box";
    ++probed;
  }
  // Every day box of the three months and the nine EIN boxes were among them.
  EXPECT_GE(probed, 3 * 31 + 9);
}

TEST(ScheduleBPicture, RendersAsTheReportDoes) {
  TempDir dir;
  OutputFile out(dir / "scheduleb.txt");
  out.Write(ScheduleBPage(FullSchedule()));
  out.Close();
  EXPECT_EQ(escp::RenderReportToPdf(dir / "scheduleb.txt", dir / "scheduleb.pdf"), 1u);
}

}  // namespace
}  // namespace qreport
