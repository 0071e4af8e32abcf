// The ESC/P interpreter: turns printer text (the report file, or any ESC/P and ESC/P2 stream
// with the print utility's ESC 0x22 sequences) into pages of positioned items, as a character
// printer would put them on continuous paper. Pure: no fonts are opened and nothing is drawn
// here; the widths of proportional characters come from a FontMetrics the caller supplies.
//
// Coordinates are points (1/72 inch) from the print origin: x from the printer's first column,
// y from the top of form of the item's page (negative above it; a reverse feed may go there).
// Vertical movement is exact: it is counted in 1/1080 inch, a unit that holds 1/216 (reverse
// feeds), 1/180 (forward feeds) and 1/60 inch exactly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qreport::escp {

inline constexpr double kPointsPerInch = 72.0;
// The unit of vertical position: 1/1080 inch.
inline constexpr int kUnitsPerInch = 1080;
inline constexpr double PointsFromUnits(long units) { return units * kPointsPerInch / kUnitsPerInch; }

// The faces the printer selects between; italic is a slant of the same face.
struct FontKey {
  bool proportional = false;
  bool bold = false;
  friend bool operator==(const FontKey&, const FontKey&) = default;
};

// The advance of each of the 256 bytes in a face, as a fraction of the point size.
using AdvanceTable = std::array<double, 256>;

// Widths of the characters of the proportional and fixed faces.
class FontMetrics {
 public:
  virtual ~FontMetrics() = default;
  // The advance table of `key`; lives as long as the metrics object.
  virtual const AdvanceTable& Advances(FontKey key) const = 0;
};

// Metrics in which every byte of a face has the same advance: `proportional_em` in the
// proportional faces and 0.6 in the fixed ones. For tests and for timing the interpreter alone.
class UniformMetrics : public FontMetrics {
 public:
  explicit UniformMetrics(double proportional_em = 0.5);
  const AdvanceTable& Advances(FontKey key) const override;

 private:
  AdvanceTable proportional_;
  AdvanceTable fixed_;
};

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// How the characters of an item are printed.
struct TextStyle {
  FontKey font;
  double point_size = 10.5;
  bool italic = false;
  // The print utility's hollow large digits (ESC 0x22 "V" until ESC 0x22 "U").
  bool outline = false;
  // Fixed pitch: the advance of every character in points (condensed and double width
  // included). 0 in proportional mode, where each character advances by its font width.
  double cell_width = 0;
  // Horizontal stretch of the glyphs: 7/12 for condensed proportional text, doubled for double
  // width. Fixed-pitch glyphs are additionally narrowed to fit their cell.
  double h_scale = 1;
  Rgb colour;
  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

enum class ItemKind : std::uint8_t {
  kText,      // characters drawn with a font
  kGraphics,  // line-graphics, block and shade bytes (0xB0..0xDF), drawn as strokes and fills
};

// A run of characters printed one after the other on one row in one style.
struct Item {
  ItemKind kind = ItemKind::kText;
  double x = 0;         // left edge of the first character's cell
  double y = 0;         // top of the row
  double height = 0;    // the line spacing in force: the height of a graphics cell
  double baseline = 0;  // where the text's baseline lies, below y
  double width = 0;     // the run's advance (graphics: bytes.size() cells of cell_width)
  TextStyle style;      // graphics runs always have a cell_width, also in proportional mode
  std::string bytes;    // the code page 437 bytes as printed
};

struct Page {
  std::vector<Item> items;  // in printing order: later items overprint earlier ones
};

// A byte sequence the interpreter does not act on: skipped (an ESC/P command this renderer
// does not draw, or a control code without meaning here) or unknown.
struct Diagnostic {
  std::size_t offset = 0;  // of the first byte of the sequence in the input
  std::string bytes;       // the sequence itself
  std::string message;
};

// How many diagnostics are kept: the first ones of the input; later ones are only counted.
inline constexpr std::size_t kMaxDiagnostics = 200;
// How many items, and how many of their bytes, a page keeps; what a page would print beyond
// them is skipped (and noted). Real pages hold a few hundred items and some 20 KB; the limits
// bound memory on input made of nothing but style changes or overprinting.
inline constexpr std::size_t kMaxItemsPerPage = 20000;
inline constexpr std::size_t kMaxBytesPerPage = 1 << 20;
// Characters whose cell starts this far right of the first column lie beyond any sheet: they
// advance the print position but are not kept.
inline constexpr double kFarRight = 100 * kPointsPerInch;

struct Document {
  std::vector<Page> pages;               // at least one
  std::vector<Diagnostic> diagnostics;   // in input order, at most kMaxDiagnostics
  std::size_t more_diagnostics = 0;      // diagnostics past those, counted only
};

struct PaperOptions {
  // Length of one sheet of the continuous paper: 11 inches.
  int page_length = 11 * kUnitsPerInch;
  // Distance from the sheet's top edge down to the top of form, the first line's position.
  int top_of_form = kUnitsPerInch / 2;
};

// Interprets `bytes` from the printer's power-on state: 10 characters per inch, 1/6 inch line
// spacing, black, left margin 0. Never fails: every byte is either acted on or skipped with its
// parameters; what is skipped is listed in the diagnostics.
//
// Paper: a line feed past the sheet's lower edge continues on the next sheet (continuous
// paper); a form feed goes to the top of form of the next sheet. A sheet left empty before the
// first printed character, and a last sheet with nothing on it, are not pages.
Document Interpret(std::string_view bytes, const FontMetrics& metrics, const PaperOptions& paper = {});

// Receives pages as the interpreter finishes them, so that a caller can draw and release each
// one before the next is read: memory is then bounded by a page, not by the input.
class PageSink {
 public:
  virtual ~PageSink() = default;
  virtual void OnPage(Page&& page) = 0;
};

// Interprets printer text that arrives in pieces (a file read a block at a time): the pages and
// diagnostics are those Interpret gives for the whole text, the pages handed to the sink in
// order. A sequence cut by the end of a piece is kept until the next piece completes it.
class StreamInterpreter {
 public:
  StreamInterpreter(const FontMetrics& metrics, PageSink& sink, const PaperOptions& paper = {});
  ~StreamInterpreter();
  StreamInterpreter(const StreamInterpreter&) = delete;
  StreamInterpreter& operator=(const StreamInterpreter&) = delete;

  void Feed(std::string_view bytes);
  // Ends the input: a sequence still cut off is noted, and the last page goes to the sink.
  void Finish();
  const std::vector<Diagnostic>& diagnostics() const;
  std::size_t more_diagnostics() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
  std::string pending_;     // the cut-off sequence the next piece continues
  std::size_t offset_ = 0;  // input bytes fed so far
};

// Where the baseline of characters lies below the top of the row: 21/216 inch, whatever the
// line spacing and point size, as on a print head.
inline constexpr double kBaselineOffset = 21.0 * kPointsPerInch / 216.0;

// Condensed printing narrows characters by 7/12: 10 characters per inch become 17.14.
inline constexpr double kCondensedScale = 7.0 / 12.0;

}  // namespace qreport::escp
