#include "escp/sheet.h"

#include <algorithm>

namespace qreport::escp {

double RightExtent(const Page& page) {
  double right = 0;
  for (const Item& item : page.items) right = std::max(right, item.x + item.width);
  return right;
}

Sheet SheetFor(const Page& page, const PaperOptions& paper) {
  Sheet sheet;
  double top_of_form = PointsFromUnits(paper.top_of_form);
  double extent = RightExtent(page);
  if (extent <= kLetterWidth) {
    // A page that would run past the right edge moves left, keeping equal margins.
    sheet.offset_x = std::clamp((kLetterWidth - extent) / 2, 0.0, kLetterLeftOffset);
    sheet.offset_y = top_of_form;
    return sheet;
  }
  double paper_length = PointsFromUnits(paper.page_length);
  sheet.landscape = true;
  sheet.width = kLetterHeight;
  sheet.height = kLetterWidth;
  sheet.scale = std::min(sheet.width / kWidePaperWidth, sheet.height / paper_length);
  double margin_x = (sheet.width - kWidePaperWidth * sheet.scale) / 2;
  double margin_y = (sheet.height - paper_length * sheet.scale) / 2;
  sheet.offset_x = margin_x + kWideLeftOffset * sheet.scale;
  sheet.offset_y = margin_y + top_of_form * sheet.scale;
  return sheet;
}

}  // namespace qreport::escp
