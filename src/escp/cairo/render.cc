#include "escp/cairo/render.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "escp/cairo/cairo_handles.h"
#include "escp/cp437.h"
#include "platform/files.h"

namespace qreport::escp {

namespace {

// The slant of italic text: a shear of the upright face.
constexpr double kSlant = 0.2;
// Half the distance between the two strokes of a double line.
constexpr double kDoubleGap = 1.0;
// How far strokes and blocks reach past their cell, so that neighbouring cells drawn as
// separate shapes join without a hairline seam at any resolution.
constexpr double kBleed = kLineThickness / 2;



void SetColour(cairo_t* cr, Rgb c, double alpha = 1) {
  cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

void DrawText(cairo_t* cr, const Item& item, const FontSet& fonts) {
  const TextStyle& s = item.style;
  const AdvanceTable& adv = fonts.Advances(s.font);
  std::string utf8;
  AppendCp437AsUtf8(item.bytes, utf8);

  double size = s.point_size;
  double x_scale = s.h_scale;
  if (s.cell_width > 0) {
    // Fixed pitch: a glyph wider than its cell is narrowed to fit it.
    double natural = adv['0'] * size;
    if (natural > 0 && natural * x_scale > s.cell_width) x_scale = s.cell_width / natural;
  }
  cairo_matrix_t matrix;
  cairo_matrix_init(&matrix, size * x_scale, 0, s.italic ? -size * kSlant : 0, size, 0, 0);
  cairo_set_font_face(cr, fonts.Face(s.font));
  cairo_set_font_matrix(cr, &matrix);
  cairo_set_font_options(cr, fonts.Options());
  cairo_scaled_font_t* font = cairo_get_scaled_font(cr);

  cairo_glyph_t* glyphs = nullptr;
  int glyph_count = 0;
  cairo_text_cluster_t* clusters = nullptr;
  int cluster_count = 0;
  cairo_text_cluster_flags_t flags{};
  double baseline = item.y + item.baseline;
  cairo_status_t status = cairo_scaled_font_text_to_glyphs(font, item.x, baseline, utf8.data(),
                                                           static_cast<int>(utf8.size()), &glyphs, &glyph_count,
                                                           &clusters, &cluster_count, &flags);
  if (status != CAIRO_STATUS_SUCCESS) return;  // nothing drawable in this run

  if (s.cell_width > 0 && glyph_count == static_cast<int>(item.bytes.size())) {
    // Each character centred in its own cell.
    for (int i = 0; i < glyph_count; ++i) {
      auto b = static_cast<std::uint8_t>(item.bytes[static_cast<std::size_t>(i)]);
      double width = adv[b] * size * x_scale;
      glyphs[i].x = item.x + i * s.cell_width + (s.cell_width - width) / 2;
    }
  }

  if (s.outline) {
    // Hollow digits: the text itself in white (it stays selectable), its outline in the colour.
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_show_text_glyphs(cr, utf8.data(), static_cast<int>(utf8.size()), glyphs, glyph_count, clusters,
                           cluster_count, flags);
    cairo_new_path(cr);
    cairo_glyph_path(cr, glyphs, glyph_count);
    SetColour(cr, s.colour);
    cairo_set_line_width(cr, size / 20);
    cairo_stroke(cr);
  } else {
    SetColour(cr, s.colour);
    cairo_show_text_glyphs(cr, utf8.data(), static_cast<int>(utf8.size()), glyphs, glyph_count, clusters,
                           cluster_count, flags);
  }
  cairo_glyph_free(glyphs);
  cairo_text_cluster_free(clusters);
}

// Rectangles of one colour, merged along rows: a rectangle that starts where the last one of
// the same vertical band ends extends it, so a line drawn cell by cell is one shape.
class RectSet {
 public:
  void Add(double x0, double y0, double x1, double y1) {
    for (auto& r : rects_) {
      if (r.y0 == y0 && r.y1 == y1 && x0 <= r.x1 + 1e-9 && x1 >= r.x0 - 1e-9) {
        r.x0 = std::min(r.x0, x0);
        r.x1 = std::max(r.x1, x1);
        return;
      }
    }
    rects_.push_back({x0, y0, x1, y1});
  }
  void Fill(cairo_t* cr) const {
    if (rects_.empty()) return;
    cairo_new_path(cr);
    for (const auto& r : rects_) cairo_rectangle(cr, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
  }

 private:
  struct Rect {
    double x0, y0, x1, y1;
  };
  std::vector<Rect> rects_;
};

void DrawGraphics(cairo_t* cr, const Item& item) {
  const double w = item.style.cell_width;
  const double h = item.height;
  const double t = kLineThickness / 2;
  RectSet solid;
  RectSet shades[3];
  for (std::size_t i = 0; i < item.bytes.size(); ++i) {
    auto b = static_cast<std::uint8_t>(item.bytes[i]);
    const double x0 = item.x + static_cast<double>(i) * w;
    const double x1 = x0 + w;
    const double y0 = item.y;
    const double y1 = item.y + h;
    const double cx = x0 + w / 2;
    const double cy = y0 + h / 2;
    switch (BlockKindOf(b)) {
      case BlockKind::kFull: solid.Add(x0 - kBleed, y0 - kBleed, x1 + kBleed, y1 + kBleed); continue;
      case BlockKind::kLowerHalf: solid.Add(x0, cy, x1, y1); continue;
      case BlockKind::kUpperHalf: solid.Add(x0, y0, x1, cy); continue;
      case BlockKind::kLeftHalf: solid.Add(x0, y0, cx, y1); continue;
      case BlockKind::kRightHalf: solid.Add(cx, y0, x1, y1); continue;
      case BlockKind::kLightShade: shades[0].Add(x0, y0, x1, y1); continue;
      case BlockKind::kMediumShade: shades[1].Add(x0, y0, x1, y1); continue;
      case BlockKind::kDarkShade: shades[2].Add(x0, y0, x1, y1); continue;
      case BlockKind::kNone: break;
    }
    BoxArms arms = BoxArmsOf(b);
    // A double arm is two strokes either side of the centre line; each arm reaches from past
    // the centre (so that corners are square) to past the cell's edge.
    auto offsets = [](std::uint8_t weight) -> std::vector<double> {
      if (weight == 2) return {-kDoubleGap, kDoubleGap};
      if (weight == 1) return {0.0};
      return {};
    };
    double reach_x = (std::max(arms.up, arms.down) == 2 ? kDoubleGap : 0) + t;
    double reach_y = (std::max(arms.left, arms.right) == 2 ? kDoubleGap : 0) + t;
    for (double d : offsets(arms.left)) solid.Add(x0 - kBleed, cy + d - t, cx + reach_x, cy + d + t);
    for (double d : offsets(arms.right)) solid.Add(cx - reach_x, cy + d - t, x1 + kBleed, cy + d + t);
    for (double d : offsets(arms.up)) solid.Add(cx + d - t, y0 - kBleed, cx + d + t, cy + reach_y);
    for (double d : offsets(arms.down)) solid.Add(cx + d - t, cy - reach_y, cx + d + t, y1 + kBleed);
  }
  SetColour(cr, item.style.colour);
  solid.Fill(cr);
  for (int level = 0; level < 3; ++level) {
    SetColour(cr, item.style.colour, (level + 1) / 4.0);
    shades[level].Fill(cr);
  }
}


}  // namespace

void DrawPage(cairo_t* cr, const Page& page, const Sheet& sheet, const FontSet& fonts) {
  cairo_save(cr);
  cairo_translate(cr, sheet.offset_x, sheet.offset_y);
  cairo_scale(cr, sheet.scale, sheet.scale);
  for (const Item& item : page.items) {
    if (item.kind == ItemKind::kGraphics) {
      DrawGraphics(cr, item);
    } else {
      DrawText(cr, item, fonts);
    }
  }
  cairo_restore(cr);
}

struct PdfWriter::Surface {
  SurfacePtr surface;
  ContextPtr cr;
};

PdfWriter::PdfWriter(const FontSet& fonts, std::ostream& out, const PaperOptions& paper)
    : surface_(std::make_unique<Surface>()), fonts_(fonts), out_(out), paper_(paper) {
  surface_->surface.reset(cairo_pdf_surface_create_for_stream(WriteToStream, &out, kLetterWidth, kLetterHeight));
  cairo_surface_t* surface = surface_->surface.get();
  Check(cairo_surface_status(surface), "cannot start the PDF");
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, kPdfCreationDate);
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_MOD_DATE, kPdfCreationDate);
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "qreport");
  surface_->cr.reset(cairo_create(surface));
}

PdfWriter::~PdfWriter() = default;

void PdfWriter::AddPage(const Page& page) {
  Sheet sheet = SheetFor(page, paper_);
  cairo_pdf_surface_set_size(surface_->surface.get(), sheet.width, sheet.height);
  DrawPage(surface_->cr.get(), page, sheet, fonts_);
  cairo_show_page(surface_->cr.get());
  Check(cairo_status(surface_->cr.get()), "cannot draw the PDF");
}

void PdfWriter::Finish() {
  Check(cairo_status(surface_->cr.get()), "cannot draw the PDF");
  surface_->cr.reset();
  cairo_surface_finish(surface_->surface.get());
  Check(cairo_surface_status(surface_->surface.get()), "cannot write the PDF");
  out_.flush();
  if (!out_) throw RenderError("cannot write the PDF");
}

void WritePdf(const Document& document, const FontSet& fonts, std::ostream& out, const PaperOptions& paper) {
  PdfWriter writer(fonts, out, paper);
  for (const Page& page : document.pages) writer.AddPage(page);
  writer.Finish();
}

namespace {

// Draws each page as the interpreter finishes it, then lets it go.
class DrawingSink final : public PageSink {
 public:
  DrawingSink(const FontSet& fonts, PdfWriter* pdf, const std::filesystem::path& png_dir, double dpi,
              StreamRendering& result)
      : fonts_(fonts), pdf_(pdf), png_dir_(png_dir), dpi_(dpi), result_(result) {}

  void OnPage(Page&& page) override {
    Page drawn = std::move(page);
    ++result_.pages;
    if (pdf_ != nullptr) pdf_->AddPage(drawn);
    if (!png_dir_.empty()) {
      std::filesystem::path file = png_dir_ / PngPageName(result_.pages);
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      if (!out) throw RenderError("cannot write " + file.string());
      WritePng(RasterizePage(drawn, fonts_, dpi_), out);
      result_.pngs.push_back(file);
    }
  }

 private:
  const FontSet& fonts_;
  PdfWriter* pdf_;
  std::filesystem::path png_dir_;
  double dpi_;
  StreamRendering& result_;
};

}  // namespace

StreamRendering RenderStream(std::FILE* in, const FontSet& fonts, std::ostream* pdf, const std::filesystem::path& png_dir,
                             double dpi) {
  StreamRendering result;
  if (!png_dir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(png_dir, ec);
    if (ec) throw RenderError("cannot make the folder " + png_dir.string() + ": " + ec.message());
  }
  std::optional<PdfWriter> writer;
  if (pdf != nullptr) writer.emplace(fonts, *pdf);
  DrawingSink sink(fonts, writer ? &*writer : nullptr, png_dir, dpi, result);
  StreamInterpreter interpreter(fonts, sink);
  std::vector<char> block(1 << 20);
  std::size_t n;
  while ((n = std::fread(block.data(), 1, block.size(), in)) > 0) interpreter.Feed(std::string_view(block.data(), n));
  if (std::ferror(in)) throw RenderError("cannot read the printer text");
  interpreter.Finish();
  if (writer) writer->Finish();
  result.diagnostics = interpreter.diagnostics();
  result.more_diagnostics = interpreter.more_diagnostics();
  return result;
}

PageImage RasterizePage(const Page& page, const FontSet& fonts, double dpi, const PaperOptions& paper) {
  Sheet sheet = SheetFor(page, paper);
  double pixels_per_point = dpi / kPointsPerInch;
  PageImage image;
  image.width = static_cast<int>(std::lround(sheet.width * pixels_per_point));
  image.height = static_cast<int>(std::lround(sheet.height * pixels_per_point));
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height));
  Check(cairo_surface_status(surface.get()), "cannot make a page image");
  {
    ContextPtr cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    cairo_scale(cr.get(), pixels_per_point, pixels_per_point);
    DrawPage(cr.get(), page, sheet, fonts);
    Check(cairo_status(cr.get()), "cannot draw a page image");
  }
  cairo_surface_flush(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  int stride = cairo_image_surface_get_stride(surface.get());
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    std::copy(row, row + image.width, image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width);
  }
  for (auto& p : image.pixels) p &= 0x00FFFFFF;
  return image;
}

void WritePng(const PageImage& image, std::ostream& out) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height));
  Check(cairo_surface_status(surface.get()), "cannot make a page image");
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    std::copy_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width, image.width, row);
  }
  cairo_surface_mark_dirty(surface.get());
  Check(cairo_surface_write_to_png_stream(surface.get(), WriteToStream, &out), "cannot write a PNG page");
  out.flush();
  if (!out) throw RenderError("cannot write a PNG page");
}

PageImage ReadPng(const std::filesystem::path& path) {
  SurfacePtr surface(cairo_image_surface_create_from_png(path.c_str()));
  Check(cairo_surface_status(surface.get()), ("cannot read " + path.string()).c_str());
  PageImage image;
  image.width = cairo_image_surface_get_width(surface.get());
  image.height = cairo_image_surface_get_height(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  int stride = cairo_image_surface_get_stride(surface.get());
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < image.width; ++x) image.pixels[static_cast<std::size_t>(y) * image.width + x] = row[x] & 0x00FFFFFF;
  }
  return image;
}

std::string PngPageName(std::size_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "page-%02zu.png", number);
  return name;
}

std::vector<std::filesystem::path> WritePngPages(const Document& document, const FontSet& fonts,
                                                 const std::filesystem::path& dir, double dpi,
                                                 const PaperOptions& paper) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw RenderError("cannot make the folder " + dir.string() + ": " + ec.message());
  std::vector<std::filesystem::path> written;
  for (std::size_t i = 0; i < document.pages.size(); ++i) {
    std::filesystem::path file = dir / PngPageName(i + 1);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) throw RenderError("cannot write " + file.string());
    WritePng(RasterizePage(document.pages[i], fonts, dpi, paper), out);
    written.push_back(file);
  }
  return written;
}

std::size_t RenderReportToPdf(const std::filesystem::path& report, const std::filesystem::path& pdf) {
  // The PDF replaces the previous one only when it is whole and on disk; a link or device under
  // its name is never written through or replaced.
  if (IsPresentButNotRegular(pdf)) throw RenderError("not a regular file: " + pdf.string());
  // Only a regular file is read: a pipe under the report's name would block for ever.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(OpenRegularForReading(report), &std::fclose);
  if (!in) throw RenderError("cannot read " + report.string());
  std::filesystem::path temp;
  std::FILE* created = CreateReplacementFor(pdf, temp);
  if (created == nullptr) throw RenderError("cannot write " + pdf.string());
  std::fclose(created);
  std::size_t pages = 0;
  try {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw RenderError("cannot write " + pdf.string());
    FontSet fonts;
    pages = RenderStream(in.get(), fonts, &out).pages;
  } catch (...) {
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    throw;
  }
  if (!CommitReplacement(temp, pdf)) throw RenderError("cannot write " + pdf.string());
  return pages;
}

bool RenderReportForPrinting(const std::string& report, const std::string& pdf, std::string& error) {
  try {
    RenderReportToPdf(report, pdf);
    return true;
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "the report could not be drawn";
  }
  return false;
}

}  // namespace qreport::escp
