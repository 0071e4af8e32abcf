// The filing sheet: the figures of one Form 941 or 944 return, drawn on US Letter pages as a
// plain list to transcribe into the current form or into e-file software. It is not a facsimile
// of the form and says so at its head.
//
// The sheet is drawn from a plain value (FilingSheet) that the caller fills in: the line numbers,
// the captions and the amounts all come from the caller, so that this file holds no tax rule and
// no wording of the form. The drawing is laid out once (LayOutFilingSheet) and then painted onto
// a PDF surface or image surfaces by the same code, with the renderer's faces and its fixed PDF
// dates, so the same value gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"
#include "text/numbers.h"

namespace qreport::escp {

// One line of the return as the sheet shows it. An amount is drawn only when present, so a line
// whose amount is zero shows "0.00" while a line that takes no amount shows nothing.
struct FilingSheetLine {
  std::string number;   // "5a", "16"; may be empty for a choice that continues the line above
  std::string caption;  // UTF-8; wrapped to the caption's column
  std::optional<Cents> column1, column2;
  std::optional<std::int64_t> count;  // a number that is not money (941 line 1), drawn in column 2
  bool box = false;                   // the line is a check box (941 line 4, the line 16 choices)
  bool checked = false;               // drawn ticked when box is set
};

// The whole return as the sheet shows it. Every text is UTF-8; bytes that are not valid UTF-8
// are drawn as U+FFFD and control characters as blanks.
struct FilingSheet {
  std::string form;    // "941" or "944"
  std::string title;   // "Form 941 figures for the 2nd quarter of 2026"
  std::string period;  // "Quarter: 2 (Apr, May, Jun) 2026" or "Year: 2026"
  std::string ein, name, trade_name, address, city, state, zip;
  std::vector<FilingSheetLine> part1;  // lines in form order
  std::vector<FilingSheetLine> part2;  // the deposit schedule choice and month liabilities
  std::string designee_name, designee_phone;  // an empty name: no designee
  std::vector<std::string> notes;             // warnings, drawn at the foot
};

// A run of text placed on a page: its baseline starts at (x, baseline), in points from the top
// left of the sheet. right is where its ink advance ends, for the overlap checks.
struct PlacedText {
  std::string text;  // valid UTF-8, no control characters
  double x = 0, baseline = 0, right = 0;
  double size = 0;
  bool bold = false;
  bool grey = false;
  bool amount = false;  // a money or count figure of a line
};

// A check box, its top left corner at (x, y); ticked draws a cross inside it.
struct PlacedBox {
  double x = 0, y = 0, size = 0;
  bool ticked = false;
};

// A horizontal rule from x0 to x1 at y.
struct PlacedRule {
  double x0 = 0, x1 = 0, y = 0;
};

struct FilingSheetPage {
  std::vector<PlacedText> texts;
  std::vector<PlacedBox> boxes;
  std::vector<PlacedRule> rules;
};

// The US Letter page, in points, and the margins every placed item keeps inside.
inline constexpr double kSheetWidth = 612;
inline constexpr double kSheetHeight = 792;
inline constexpr double kSheetMargin = 36;

// Lays the sheet out on as many pages as it needs: one for a return with few notes, more when
// the notes or wrapped names run past the first. A line, a note or a block of the header is never
// split between pages, and a heading is never left at the foot of a page without what it heads.
// Each page ends with a footer naming the form, the EIN and "page N of M".
std::vector<FilingSheetPage> LayOutFilingSheet(const FilingSheet& sheet, const FontSet& fonts);

// Writes the sheet as one PDF to `out`, its text selectable, titled with sheet.title; returns the
// number of pages. Throws RenderError when cairo or the stream fails.
std::size_t WriteFilingSheetPdf(const FilingSheet& sheet, const FontSet& fonts, std::ostream& out);

// Writes the sheet as a PDF to the file `pdf`, which is replaced only once the new one is whole;
// a link or device under that name is never written through. Returns the number of pages.
// Throws RenderError when the file cannot be written.
std::size_t WriteFilingSheetPdfFile(const FilingSheet& sheet, const FontSet& fonts, const std::filesystem::path& pdf);

// The sheet's pages drawn on white at `dpi` pixels per inch.
std::vector<PageImage> DrawFilingSheetImages(const FilingSheet& sheet, const FontSet& fonts, double dpi);

// Writes one PNG a page into `dir` (created when missing), named as PngPageName names them;
// returns the files written. Throws RenderError when a file cannot be written.
std::vector<std::filesystem::path> WriteFilingSheetPngs(const FilingSheet& sheet, const FontSet& fonts,
                                                        const std::filesystem::path& dir, double dpi);

// How the sheet prints an amount: grouped by thousands, two decimals, a "-" before a negative
// one, no blanks around it ("1,234.50", "-3.00", "0.00").
std::string SheetAmountText(Cents cents);

}  // namespace qreport::escp
