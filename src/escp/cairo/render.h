// Draws interpreted printer text with cairo: one drawing path for the PDF (vector, text kept
// as selectable text) and the PNG pages. Characters are drawn with the FontSet's faces; line
// graphics and blocks are filled shapes that reach the edges of their cell, so that boxes
// close across overprinted rows and reverse feeds, and bands of full blocks are solid.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <cairo.h>

#include "escp/cairo/fonts.h"
#include "escp/interpreter.h"
#include "escp/sheet.h"

namespace qreport::escp {

// The thickness of a line-graphics stroke, in points.
inline constexpr double kLineThickness = 0.7;
// The PDF's creation date: fixed, so that the same input gives the same file.
inline constexpr const char* kPdfCreationDate = "2000-01-01T00:00:00Z";

// Draws `page` with `cr`'s user space in sheet points (the page's sheet placement is applied
// here).
void DrawPage(cairo_t* cr, const Page& page, const Sheet& sheet, const FontSet& fonts);

// Writes pages to one PDF as they come, each on its own sheet, so that a caller can release a
// page once it is added. Throws RenderError when cairo or the stream fails.
class PdfWriter {
 public:
  PdfWriter(const FontSet& fonts, std::ostream& out, const PaperOptions& paper = {});
  ~PdfWriter();
  PdfWriter(const PdfWriter&) = delete;
  PdfWriter& operator=(const PdfWriter&) = delete;
  void AddPage(const Page& page);
  // Writes the end of the PDF and flushes the stream.
  void Finish();

 private:
  struct Surface;
  std::unique_ptr<Surface> surface_;
  const FontSet& fonts_;
  std::ostream& out_;
  PaperOptions paper_;
};

// What RenderStream drew.
struct StreamRendering {
  std::size_t pages = 0;
  std::vector<std::filesystem::path> pngs;
  std::vector<Diagnostic> diagnostics;  // the first kMaxDiagnostics
  std::size_t more_diagnostics = 0;
};

// Renders the printer text read from `in` a block at a time: each page is drawn into `pdf`
// (when not null) and, when `png_dir` is not empty, to a PNG there at `dpi`, then released, so
// memory is bounded by a page and not by the input. Throws RenderError when `in` cannot be read
// or an output cannot be written.
StreamRendering RenderStream(std::FILE* in, const FontSet& fonts, std::ostream* pdf,
                             const std::filesystem::path& png_dir = {}, double dpi = 150);

// Writes the pages of `document` as one PDF to `out`, each on its own sheet. Throws
// RenderError when cairo or the stream fails.
void WritePdf(const Document& document, const FontSet& fonts, std::ostream& out, const PaperOptions& paper = {});

// A page drawn on white at `dpi` pixels per inch, in cairo's RGB24 layout.
struct PageImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row by row
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

PageImage RasterizePage(const Page& page, const FontSet& fonts, double dpi, const PaperOptions& paper = {});

// Encodes `image` as PNG to `out`. Throws RenderError on failure.
void WritePng(const PageImage& image, std::ostream& out);

// Reads a PNG file into an image (for comparisons). Throws RenderError when it cannot.
PageImage ReadPng(const std::filesystem::path& path);

// The name of page `number` (from 1) among the PNG pages: "page-01.png".
std::string PngPageName(std::size_t number);

// Writes one PNG a page into `dir` (created when missing) at `dpi`; returns the files written.
std::vector<std::filesystem::path> WritePngPages(const Document& document, const FontSet& fonts,
                                                 const std::filesystem::path& dir, double dpi,
                                                 const PaperOptions& paper = {});

// Renders the printer text file `report` to the PDF file `pdf`: the print utility's work.
// Returns the number of pages. Throws RenderError when a file cannot be read or written.
std::size_t RenderReportToPdf(const std::filesystem::path& report, const std::filesystem::path& pdf);

// RenderReportToPdf for the print utility: never throws; false with the reason in `error` when
// the PDF could not be written.
bool RenderReportForPrinting(const std::string& report, const std::string& pdf, std::string& error);

}  // namespace qreport::escp
