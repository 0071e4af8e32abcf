// Where a page of printer output lies on a sheet of the rendered document. Pages whose lines
// fit in 8.5 inches (the forms and the voucher) go on US Letter portrait at full size. A wider
// page (the 132-column worksheet, printed on 14 7/8 inch fanfold paper) goes on Letter
// landscape, the whole fanfold sheet scaled down to fit, so that every column shows.
#pragma once

#include "escp/interpreter.h"

namespace qreport::escp {

inline constexpr double kLetterWidth = 8.5 * kPointsPerInch;
inline constexpr double kLetterHeight = 11 * kPointsPerInch;
inline constexpr double kWidePaperWidth = 14.875 * kPointsPerInch;
// Distance from the paper's left edge to the printer's first column; less for a page whose
// lines reach so far right that they would otherwise leave the sheet.
inline constexpr double kLetterLeftOffset = 0.25 * kPointsPerInch;
inline constexpr double kWideLeftOffset = 0.5 * kPointsPerInch;

struct Sheet {
  double width = kLetterWidth;  // points
  double height = kLetterHeight;
  // A point of the page at printer position (x, y) lies at (offset_x + scale * x,
  // offset_y + scale * y) on the sheet.
  double scale = 1;
  double offset_x = 0;
  double offset_y = 0;
  bool landscape = false;
};

// The right edge of the rightmost item of `page`, in points from the printer's first column.
double RightExtent(const Page& page);

// The sheet of `page`: Letter portrait when the page fits its width, else the wide paper fitted
// onto Letter landscape.
Sheet SheetFor(const Page& page, const PaperOptions& paper = {});

}  // namespace qreport::escp
