// Looking at a rendered page as a reader would: brightness of pixels, where a printer position
// lands in pixels, and the flood fill that shows whether a box drawn with line graphics is
// closed (the paper inside it stays inside).
#pragma once

#include <cstdint>

#include "escp/cairo/render.h"
#include "escp/sheet.h"

namespace qreport::testing {

// Brightness of a pixel from 0 (black) to 255 (white).
int Luma(std::uint32_t rgb);

// A pixel position.
struct Px {
  int x, y;
};

// Pixel position of printer position (x, y) of a page on its sheet, at `dpi`.
Px ToPixels(const escp::Sheet& sheet, double x, double y, double dpi);

// The light region around a seed: its size and bounding box.
struct Region {
  int pixels = 0;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Fills the light region that contains `seed` and returns its bounding box, or nothing (0
// pixels) when the seed is dark. A box is closed when the region stays inside it.
Region LightRegion(const escp::PageImage& image, Px seed);

// Whether a dark pixel lies within `radius` of `p`.
bool DarkNear(const escp::PageImage& image, Px p, int radius = 2);

}  // namespace qreport::testing
