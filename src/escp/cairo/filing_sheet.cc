#include "escp/cairo/filing_sheet.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>
#include <utility>

#include "escp/cairo/cairo_handles.h"
#include "platform/files.h"
#include "text/masks.h"
#include "text/utf8.h"

namespace qreport::escp {

namespace {

// Sizes in points.
constexpr double kTitleSize = 14;
constexpr double kHeadingSize = 10.5;
constexpr double kTextSize = 9;
constexpr double kSmallSize = 8;
constexpr double kLeading = 1.2;   // line height as a multiple of the size
constexpr double kRowGap = 3;      // between two lines of the return, and between blocks

// The columns of a line of the return, left to right.
constexpr double kLeft = kSheetMargin;
constexpr double kRight = kSheetWidth - kSheetMargin;
constexpr double kColumnWidth = 92;
constexpr double kColumnGap = 10;
constexpr double kColumn2Right = kRight;
constexpr double kColumn1Right = kColumn2Right - kColumnWidth - kColumnGap;
constexpr double kCaptionLeft = kLeft + 28;
constexpr double kBoxSize = 8;
// The employer block: its labels, then the values from here to the right margin.
constexpr double kValueLeft = kLeft + 90;
// The footer's baseline, its descenders inside the margin; the body ends above it.
constexpr double kFooterBaseline = kSheetHeight - kSheetMargin - 2;
constexpr double kBodyBottom = kSheetHeight - kSheetMargin - 2 * kSmallSize;

constexpr NumberMask kMoneyMask("#,###,###,###,###.##");
constexpr NumberMask kCountMask("#,###,###,###,###");

double LineHeight(double size) { return size * kLeading; }

// Reads one code point at `i` and moves past it; an ill-formed sequence (overlong, a surrogate,
// past U+10FFFF, cut short) reads as U+FFFD and moves one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  if (std::optional<char32_t> c = NextUtf8Character(text, i)) return *c;
  ++i;
  return 0xFFFD;
}

// `text` as cairo can draw it: valid UTF-8, each control character a blank, runs of blanks one
// blank, no blanks at either end.
std::string CleanText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = NextCodePoint(text, i);
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) c = ' ';
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    AppendUtf8(out, c);
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// Measures text in the sheet's faces (DejaVu Sans, regular and bold).
class Measure {
 public:
  explicit Measure(const FontSet& fonts) {
    cairo_matrix_t size;
    cairo_matrix_t identity;
    cairo_matrix_init_scale(&size, kUnit, kUnit);
    cairo_matrix_init_identity(&identity);
    for (bool bold : {false, true}) {
      fonts_[bold] = cairo_scaled_font_create(fonts.Face(FontKey{true, bold}), &size, &identity, fonts.Options());
      if (cairo_scaled_font_status(fonts_[bold]) != CAIRO_STATUS_SUCCESS) {
        Release();
        throw RenderError("cannot measure the sheet's font");
      }
    }
  }
  ~Measure() { Release(); }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;

  // The advance of clean text at `size` points.
  double Width(const std::string& text, double size, bool bold) const {
    cairo_text_extents_t extents;
    cairo_scaled_font_text_extents(fonts_[bold], text.c_str(), &extents);
    return extents.x_advance / kUnit * size;
  }

 private:
  static constexpr double kUnit = 1000;
  void Release() {
    for (cairo_scaled_font_t*& font : fonts_) {
      if (font != nullptr) cairo_scaled_font_destroy(font);
      font = nullptr;
    }
  }
  cairo_scaled_font_t* fonts_[2] = {nullptr, nullptr};
};

// Where a word of `text` may be cut so that the part before it is at most `width` wide: the
// longest such prefix that ends on a code point, at least one code point.
std::size_t FittingPrefix(const Measure& measure, const std::string& text, double width, double size, bool bold) {
  std::size_t fits = 0;
  for (std::size_t i = 0; i < text.size();) {
    NextCodePoint(text, i);
    if (fits > 0 && measure.Width(text.substr(0, i), size, bold) > width) break;
    fits = i;
  }
  return fits;
}

// Breaks clean text into lines at most `width` wide: at blanks, and inside a word only when the
// word alone is wider than the line. Empty text gives no line.
std::vector<std::string> Wrap(const Measure& measure, const std::string& text, double width, double size, bool bold) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    std::string joined = line.empty() ? word : line + " " + word;
    if (measure.Width(joined, size, bold) <= width) {
      line = std::move(joined);
      continue;
    }
    if (!line.empty()) lines.push_back(std::move(line));
    line.clear();
    while (measure.Width(word, size, bold) > width) {
      std::size_t cut = FittingPrefix(measure, word, width, size, bold);
      lines.push_back(word.substr(0, cut));
      word.erase(0, cut);
    }
    line = std::move(word);
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

// Items laid out from the top of a block; the block is placed whole on one page.
struct Block {
  FilingSheetPage items;
  double height = 0;
};

// The sheet's layout under way: blocks go down the current page, and a block that does not fit
// above the footer starts a new page under the continuation heading.
class Flow {
 public:
  Flow(const FilingSheet& sheet, const Measure& measure) : sheet_(sheet), measure_(measure) {}

  const Measure& measure() const { return measure_; }

  // Adds a run of clean text to `block`, its baseline `baseline` points below the block's top.
  PlacedText& AddText(Block& block, std::string text, double x, double baseline, double size, bool bold) {
    PlacedText placed;
    placed.right = x + measure_.Width(text, size, bold);
    placed.text = std::move(text);
    placed.x = x;
    placed.baseline = baseline;
    placed.size = size;
    placed.bold = bold;
    block.items.texts.push_back(std::move(placed));
    return block.items.texts.back();
  }

  // Places `block` at the current position, on a new page when it does not fit; `keep_with`
  // more points of what follows must fit beside it (a heading and its first line).
  void Place(const Block& block, double keep_with = 0) {
    if (pages_.empty() || (y_ + block.height + keep_with > kBodyBottom && y_ > top_of_body_)) NewPage();
    FilingSheetPage& page = pages_.back();
    for (PlacedText text : block.items.texts) {
      text.baseline += y_;
      page.texts.push_back(std::move(text));
    }
    for (PlacedBox box : block.items.boxes) {
      box.y += y_;
      page.boxes.push_back(box);
    }
    for (PlacedRule rule : block.items.rules) {
      rule.y += y_;
      page.rules.push_back(rule);
    }
    y_ += block.height + kRowGap;
  }

  // Ends the layout: the footers, now that the number of pages is known.
  std::vector<FilingSheetPage> Finish();

 private:
  void NewPage();

  const FilingSheet& sheet_;
  const Measure& measure_;
  std::vector<FilingSheetPage> pages_;
  double y_ = kSheetMargin;
  double top_of_body_ = kSheetMargin;
};

void Flow::NewPage() {
  pages_.emplace_back();
  y_ = kSheetMargin;
  if (pages_.size() == 1) return;
  // Later pages repeat the title, so a loose page still says what it belongs to.
  Block heading;
  std::string title = CleanText(sheet_.title) + " (continued)";
  for (const std::string& line : Wrap(measure_, title, kRight - kLeft, kTextSize, true)) {
    heading.height += LineHeight(kTextSize);
    AddText(heading, line, kLeft, heading.height - 0.3 * kTextSize, kTextSize, true);
  }
  heading.items.rules.push_back({kLeft, kRight, heading.height + 2});
  heading.height += 2 * kRowGap;
  top_of_body_ = y_ + heading.height + kRowGap;
  Place(heading);
}

std::vector<FilingSheetPage> Flow::Finish() {
  if (pages_.empty()) NewPage();
  std::string left = "Form " + CleanText(sheet_.form);
  if (!sheet_.ein.empty()) left += " \xc2\xb7 EIN " + CleanText(sheet_.ein);
  left += " \xc2\xb7 figures to transcribe, not a substitute form";
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    Block footer;
    std::string right = "page " + std::to_string(i + 1) + " of " + std::to_string(pages_.size());
    double right_x = kRight - measure_.Width(right, kSmallSize, false);
    std::vector<std::string> lines = Wrap(measure_, left, right_x - kLeft - kColumnGap, kSmallSize, false);
    AddText(footer, lines.empty() ? "" : lines.front(), kLeft, kFooterBaseline, kSmallSize, false).grey = true;
    AddText(footer, right, right_x, kFooterBaseline, kSmallSize, false).grey = true;
    footer.items.rules.push_back({kLeft, kRight, kFooterBaseline - kSmallSize - 3});
    for (PlacedText& text : footer.items.texts) pages_[i].texts.push_back(std::move(text));
    pages_[i].rules.push_back(footer.items.rules.front());
  }
  return std::move(pages_);
}

// Lines of `text` wrapped to [x, x + width) from the top of `block` down; returns the height.
double AddWrapped(Flow& flow, Block& block, const std::string& text, double x, double width, double size, bool bold) {
  double height = 0;
  for (const std::string& line : Wrap(flow.measure(), CleanText(text), width, size, bold)) {
    height += LineHeight(size);
    flow.AddText(block, line, x, block.height + height - 0.3 * size, size, bold);
  }
  return height;
}

// The title, the plain statement of what the sheet is, and the period.
void LayOutHead(Flow& flow, const FilingSheet& sheet) {
  Block head;
  head.height += AddWrapped(flow, head, sheet.title, kLeft, kRight - kLeft, kTitleSize, true);
  head.height += kRowGap;
  head.height += AddWrapped(flow, head,
                            "Figures to transcribe into the current form or into e-file software. "
                            "Not a substitute form: do not file this sheet.",
                            kLeft, kRight - kLeft, kTextSize, false);
  head.height += kRowGap;
  head.height += AddWrapped(flow, head, sheet.period, kLeft, kRight - kLeft, kHeadingSize, true);
  head.items.rules.push_back({kLeft, kRight, head.height + kRowGap});
  head.height += 2 * kRowGap;
  flow.Place(head);
}

// The employer block: a label and its value a row, the value wrapped to the right margin.
void LayOutEmployer(Flow& flow, const FilingSheet& sheet) {
  std::string city = CleanText(sheet.city);
  std::string state_zip = CleanText(CleanText(sheet.state) + " " + CleanText(sheet.zip));
  if (!city.empty() && !state_zip.empty()) city += ", ";
  city += state_zip;
  const std::pair<const char*, std::string> rows[] = {
      {"EIN", sheet.ein},         {"Name", sheet.name},           {"Trade name", sheet.trade_name},
      {"Address", sheet.address}, {"City, state, ZIP", city},
  };
  for (const auto& [label, value] : rows) {
    Block row;
    flow.AddText(row, label, kLeft, LineHeight(kTextSize) - 0.3 * kTextSize, kTextSize, false).grey = true;
    row.height = std::max(LineHeight(kTextSize),
                          AddWrapped(flow, row, value, kValueLeft, kRight - kValueLeft, kTextSize, false));
    flow.Place(row);
  }
}

// An amount right aligned in its column, made smaller when it would not fit the column.
void AddFigure(Flow& flow, Block& row, const std::string& text, double column_right, double baseline) {
  double size = kTextSize;
  double width = flow.measure().Width(text, size, false);
  if (width > kColumnWidth) size *= kColumnWidth / width;
  width = flow.measure().Width(text, size, false);
  flow.AddText(row, text, column_right - width, baseline, size, false).amount = true;
}

// One line of the return: its number, its check box, its caption wrapped beside the amounts,
// and the amounts on the caption's first line.
Block LineBlock(Flow& flow, const FilingSheetLine& line) {
  Block row;
  const double first_baseline = LineHeight(kTextSize) - 0.3 * kTextSize;
  std::string number = CleanText(line.number);
  if (!number.empty()) {
    // A number longer than its column is cut.
    number.resize(FittingPrefix(flow.measure(), number, kCaptionLeft - kLeft - 4, kTextSize, true));
    flow.AddText(row, number, kLeft, first_baseline, kTextSize, true);
  }
  double caption_left = kCaptionLeft;
  if (line.box) {
    row.items.boxes.push_back({caption_left, first_baseline - kBoxSize + 0.5, kBoxSize, line.checked});
    caption_left += kBoxSize + 6;
  }
  const double caption_right = (line.column1 ? kColumn1Right - kColumnWidth : kColumn2Right - kColumnWidth) - kColumnGap;
  row.height = std::max(LineHeight(kTextSize), AddWrapped(flow, row, line.caption, caption_left,
                                                          caption_right - caption_left, kTextSize, false));
  if (line.column1) AddFigure(flow, row, SheetAmountText(*line.column1), kColumn1Right, first_baseline);
  if (line.column2) AddFigure(flow, row, SheetAmountText(*line.column2), kColumn2Right, first_baseline);
  if (line.count) {
    std::string count;
    kCountMask.AppendTo(count, static_cast<double>(*line.count));
    AddFigure(flow, row, CleanText(count), kColumn2Right, first_baseline);
  }
  row.items.rules.push_back({kLeft, kRight, row.height + kRowGap / 2});
  return row;
}

// A heading with a rule under it; `columns` adds the two column titles at its right.
Block HeadingBlock(Flow& flow, const std::string& text, bool columns) {
  Block heading;
  heading.height = 2 * kRowGap;
  heading.height += AddWrapped(flow, heading, text, kLeft, kColumn1Right - kColumnWidth - kLeft, kHeadingSize, true);
  if (columns) {
    const double baseline = heading.height - 0.3 * kHeadingSize;
    for (auto [title, right] : {std::pair{"Column 1", kColumn1Right}, std::pair{"Column 2", kColumn2Right}}) {
      double width = flow.measure().Width(title, kSmallSize, true);
      flow.AddText(heading, title, right - width, baseline, kSmallSize, true).grey = true;
    }
  }
  heading.items.rules.push_back({kLeft, kRight, heading.height + 2});
  heading.height += 3;
  return heading;
}

// A part of the return: its heading, kept on the page of its first line, then its lines.
void LayOutPart(Flow& flow, const std::string& title, const std::vector<FilingSheetLine>& lines) {
  if (lines.empty()) return;
  bool columns = std::any_of(lines.begin(), lines.end(), [](const FilingSheetLine& line) { return line.column1.has_value(); });
  std::vector<Block> rows;
  for (const FilingSheetLine& line : lines) rows.push_back(LineBlock(flow, line));
  flow.Place(HeadingBlock(flow, title, columns), rows.front().height + kRowGap);
  for (const Block& row : rows) flow.Place(row);
}

void LayOutDesignee(Flow& flow, const FilingSheet& sheet) {
  Block row;
  const double baseline = LineHeight(kTextSize) - 0.3 * kTextSize;
  if (CleanText(sheet.designee_name).empty()) {
    row.height = AddWrapped(flow, row, "No third-party designee.", kLeft, kRight - kLeft, kTextSize, false);
  } else {
    // The name at the left, the phone in the columns of the amounts.
    const double phone_left = kColumn1Right - kColumnWidth;
    flow.AddText(row, "Name", kLeft, baseline, kTextSize, false).grey = true;
    const double name_height =
        AddWrapped(flow, row, sheet.designee_name, kValueLeft, phone_left - kColumnGap - kValueLeft, kTextSize, false);
    flow.AddText(row, "Phone", phone_left, baseline, kTextSize, false).grey = true;
    const double number_left = phone_left + flow.measure().Width("Phone", kTextSize, false) + 6;
    const double phone_height =
        AddWrapped(flow, row, sheet.designee_phone, number_left, kRight - number_left, kTextSize, false);
    row.height = std::max({LineHeight(kTextSize), name_height, phone_height});
  }
  flow.Place(HeadingBlock(flow, "Part 4: third-party designee", false), row.height + kRowGap);
  flow.Place(row);
}

// The notes, each a block of its own with a bullet and a hanging indent. A note too long for a
// page (no warning the run writes is) goes line by line, so that it breaks where the page does.
void LayOutNotes(Flow& flow, const FilingSheet& sheet) {
  constexpr double kTallest = (kBodyBottom - kSheetMargin) / 2;
  const double first_baseline = LineHeight(kTextSize) - 0.3 * kTextSize;
  std::vector<Block> notes;
  for (const std::string& note : sheet.notes) {
    std::vector<std::string> lines = Wrap(flow.measure(), CleanText(note), kRight - kLeft - 12, kTextSize, false);
    const bool whole = static_cast<double>(lines.size()) * LineHeight(kTextSize) <= kTallest;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i == 0 || !whole) notes.emplace_back();
      Block& block = notes.back();
      if (i == 0) flow.AddText(block, "\xe2\x80\xa2", kLeft + 2, first_baseline, kTextSize, false);
      flow.AddText(block, lines[i], kLeft + 12, block.height + first_baseline, kTextSize, false);
      block.height += LineHeight(kTextSize);
    }
  }
  if (notes.empty()) return;
  flow.Place(HeadingBlock(flow, "Notes", false), notes.front().height + kRowGap);
  for (const Block& note : notes) flow.Place(note);
}



constexpr double kGrey = 0.35;

// Paints one laid-out page with `cr`'s user space in points.
void PaintPage(cairo_t* cr, const FilingSheetPage& page, const FontSet& fonts) {
  cairo_set_font_options(cr, fonts.Options());
  for (const PlacedText& text : page.texts) {
    cairo_set_font_face(cr, fonts.Face(FontKey{true, text.bold}));
    cairo_set_font_size(cr, text.size);
    double shade = text.grey ? kGrey : 0;
    cairo_set_source_rgb(cr, shade, shade, shade);
    cairo_move_to(cr, text.x, text.baseline);
    cairo_show_text(cr, text.text.c_str());
  }
  cairo_new_path(cr);
  cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
  cairo_set_line_width(cr, 0.5);
  for (const PlacedRule& rule : page.rules) {
    cairo_move_to(cr, rule.x0, rule.y);
    cairo_line_to(cr, rule.x1, rule.y);
  }
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 0.8);
  for (const PlacedBox& box : page.boxes) {
    cairo_rectangle(cr, box.x, box.y, box.size, box.size);
    if (box.ticked) {
      const double inset = box.size / 5;
      cairo_move_to(cr, box.x + inset, box.y + inset);
      cairo_line_to(cr, box.x + box.size - inset, box.y + box.size - inset);
      cairo_move_to(cr, box.x + box.size - inset, box.y + inset);
      cairo_line_to(cr, box.x + inset, box.y + box.size - inset);
    }
  }
  cairo_stroke(cr);
}


}  // namespace

std::string SheetAmountText(Cents cents) {
  std::string text;
  kMoneyMask.AppendTo(text, CentsValue(cents));
  return CleanText(text);
}

std::vector<FilingSheetPage> LayOutFilingSheet(const FilingSheet& sheet, const FontSet& fonts) {
  Measure measure(fonts);
  Flow flow(sheet, measure);
  LayOutHead(flow, sheet);
  LayOutEmployer(flow, sheet);
  LayOutPart(flow, "Part 1", sheet.part1);
  LayOutPart(flow, "Part 2", sheet.part2);
  LayOutDesignee(flow, sheet);
  LayOutNotes(flow, sheet);
  return flow.Finish();
}

std::size_t WriteFilingSheetPdf(const FilingSheet& sheet, const FontSet& fonts, std::ostream& out) {
  std::vector<FilingSheetPage> pages = LayOutFilingSheet(sheet, fonts);
  SurfacePtr surface(cairo_pdf_surface_create_for_stream(WriteToStream, &out, kSheetWidth, kSheetHeight));
  Check(cairo_surface_status(surface.get()), "cannot start the PDF");
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATE_DATE, kPdfCreationDate);
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_MOD_DATE, kPdfCreationDate);
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "qreport");
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, CleanText(sheet.title).c_str());
  {
    ContextPtr cr(cairo_create(surface.get()));
    for (const FilingSheetPage& page : pages) {
      PaintPage(cr.get(), page, fonts);
      cairo_show_page(cr.get());
    }
    Check(cairo_status(cr.get()), "cannot draw the PDF");
  }
  cairo_surface_finish(surface.get());
  Check(cairo_surface_status(surface.get()), "cannot write the PDF");
  out.flush();
  if (!out) throw RenderError("cannot write the PDF");
  return pages.size();
}

std::size_t WriteFilingSheetPdfFile(const FilingSheet& sheet, const FontSet& fonts, const std::filesystem::path& pdf) {
  std::ostringstream bytes;
  std::size_t pages = WriteFilingSheetPdf(sheet, fonts, bytes);
  if (!ReplaceFileWith(pdf, bytes.str())) {
    throw RenderError("cannot write " + pdf.string() + ": " + std::strerror(errno));
  }
  return pages;
}

std::vector<PageImage> DrawFilingSheetImages(const FilingSheet& sheet, const FontSet& fonts, double dpi) {
  const double pixels_per_point = dpi / kPointsPerInch;
  std::vector<PageImage> images;
  for (const FilingSheetPage& page : LayOutFilingSheet(sheet, fonts)) {
    PageImage image;
    image.width = static_cast<int>(std::lround(kSheetWidth * pixels_per_point));
    image.height = static_cast<int>(std::lround(kSheetHeight * pixels_per_point));
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height));
    Check(cairo_surface_status(surface.get()), "cannot make a page image");
    {
      ContextPtr cr(cairo_create(surface.get()));
      cairo_set_source_rgb(cr.get(), 1, 1, 1);
      cairo_paint(cr.get());
      cairo_scale(cr.get(), pixels_per_point, pixels_per_point);
      PaintPage(cr.get(), page, fonts);
      Check(cairo_status(cr.get()), "cannot draw a page image");
    }
    cairo_surface_flush(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
      for (int x = 0; x < image.width; ++x) image.pixels[static_cast<std::size_t>(y) * image.width + x] = row[x] & 0x00FFFFFF;
    }
    images.push_back(std::move(image));
  }
  return images;
}

std::vector<std::filesystem::path> WriteFilingSheetPngs(const FilingSheet& sheet, const FontSet& fonts,
                                                        const std::filesystem::path& dir, double dpi) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw RenderError("cannot make the folder " + dir.string() + ": " + ec.message());
  std::vector<std::filesystem::path> written;
  std::vector<PageImage> images = DrawFilingSheetImages(sheet, fonts, dpi);
  for (std::size_t i = 0; i < images.size(); ++i) {
    std::filesystem::path file = dir / PngPageName(i + 1);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) throw RenderError("cannot write " + file.string());
    WritePng(images[i], out);
    written.push_back(file);
  }
  return written;
}

}  // namespace qreport::escp
