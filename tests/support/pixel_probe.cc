#include "support/pixel_probe.h"

#include <algorithm>
#include <vector>

namespace qreport::testing {

int Luma(std::uint32_t rgb) {
  int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return (r * 3 + g * 6 + b) / 10;
}

Px ToPixels(const escp::Sheet& sheet, double x, double y, double dpi) {
  double k = dpi / escp::kPointsPerInch;
  return {static_cast<int>((sheet.offset_x + sheet.scale * x) * k), static_cast<int>((sheet.offset_y + sheet.scale * y) * k)};
}

Region LightRegion(const escp::PageImage& image, Px seed) {
  Region region{0, seed.x, seed.y, seed.x, seed.y};
  if (Luma(image.At(seed.x, seed.y)) < 160) return region;
  std::vector<char> seen(image.pixels.size(), 0);
  std::vector<Px> stack{seed};
  seen[static_cast<std::size_t>(seed.y) * image.width + seed.x] = 1;
  while (!stack.empty()) {
    Px p = stack.back();
    stack.pop_back();
    ++region.pixels;
    region.x0 = std::min(region.x0, p.x);
    region.x1 = std::max(region.x1, p.x);
    region.y0 = std::min(region.y0, p.y);
    region.y1 = std::max(region.y1, p.y);
    const Px next[] = {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}};
    for (Px n : next) {
      if (n.x < 0 || n.y < 0 || n.x >= image.width || n.y >= image.height) continue;
      auto at = static_cast<std::size_t>(n.y) * image.width + n.x;
      if (seen[at] || Luma(image.pixels[at]) < 160) continue;
      seen[at] = 1;
      stack.push_back(n);
    }
  }
  return region;
}

bool DarkNear(const escp::PageImage& image, Px p, int radius) {
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      int x = p.x + dx, y = p.y + dy;
      if (x >= 0 && y >= 0 && x < image.width && y < image.height && Luma(image.At(x, y)) < 100) return true;
    }
  }
  return false;
}

}  // namespace qreport::testing
