#include "escp/interpreter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "escp/cp437.h"

namespace qreport::escp {

UniformMetrics::UniformMetrics(double proportional_em) {
  proportional_.fill(proportional_em);
  fixed_.fill(0.6);
}

const AdvanceTable& UniformMetrics::Advances(FontKey key) const { return key.proportional ? proportional_ : fixed_; }

namespace {

constexpr std::uint8_t kEsc = 0x1B;

// Vertical motion units (1/1080 inch) of the line spacing commands.
constexpr int kSixthInch = kUnitsPerInch / 6;     // ESC "2", the power-on spacing
constexpr int kEighthInch = kUnitsPerInch / 8;    // ESC "0"
constexpr int kSevenSeventySeconds = 105;         // ESC "1": 7/72 inch
constexpr int kPer216 = kUnitsPerInch / 216;      // ESC "j"
constexpr int kPer180 = kUnitsPerInch / 180;      // ESC "J", ESC "3"
constexpr int kPer360 = kUnitsPerInch / 360;      // ESC "+"
constexpr int kPer60 = kUnitsPerInch / 60;        // ESC "A"

constexpr double kPicaPoints = 10.5;  // the point size of ESC "P", ESC "M", ESC "g"

// How the ESC/P commands that this renderer does not draw are skipped: a count of parameter
// bytes, or one of the variable forms below.
enum Skip : signed char {
  kNotCommand = -1,
  kLengthPrefixed = -2,  // ESC "(" c nL nH, then nL + 256 nH bytes
  kBitImage = -3,        // ESC "*" m nL nH, then n columns of 1, 3 or 6 bytes
  kColumns = -4,         // ESC "K" / "L" / "Y" / "Z" nL nH, then n bytes
  kNineDotImage = -5,    // ESC "^" m nL nH, then 2n bytes
  kNulEnded = -6,        // ESC "B" / "D": stops ended by a NUL (at most 32)
  kChannelStops = -7,    // ESC "b" m, then stops ended by a NUL (at most 16)
  kPageLength = -8,      // ESC "C" n, or ESC "C" NUL n
  kRaster = -9,          // ESC "." c v h m nL nH, then raster data
  kUserCharacters = -10, // ESC "&" NUL n m, then per character a0 a1 a2 and a1 * 3 bytes
};

constexpr std::array<signed char, 256> MakeSkipTable() {
  std::array<signed char, 256> t{};
  for (auto& v : t) v = kNotCommand;
  t[' '] = 1;   // inter-character space
  t['#'] = 0;   // cancel MSB control
  t['%'] = 1;   // user-defined character set
  t['-'] = 1;   // underline
  t['/'] = 1;   // vertical tab channel
  t['6'] = 0;   // printable upper control codes
  t['7'] = 0;
  t['8'] = 0;   // paper-out detector
  t['9'] = 0;
  t[':'] = 3;   // copy ROM to RAM
  t['<'] = 0;   // unidirectional line
  t['='] = 0;   // MSB control
  t['>'] = 0;
  t['?'] = 2;   // reassign bit image mode
  t['I'] = 1;
  t['N'] = 1;   // skip over perforation
  t['O'] = 0;
  t['Q'] = 1;   // right margin
  t['R'] = 1;   // international character set
  t['S'] = 1;   // superscript, subscript
  t['T'] = 0;
  t['U'] = 1;   // unidirectional
  t['a'] = 1;   // justification
  t['c'] = 2;   // horizontal motion index
  t['e'] = 2;
  t['f'] = 2;
  t['h'] = 1;
  t['i'] = 1;
  t['m'] = 1;
  t['q'] = 1;   // outline and shadow
  t['s'] = 1;   // half speed
  t['t'] = 1;   // character table
  t['w'] = 1;   // double height
  t[0x19] = 1;  // cut-sheet feeder
  t['('] = kLengthPrefixed;
  t['*'] = kBitImage;
  t['K'] = kColumns;
  t['L'] = kColumns;
  t['Y'] = kColumns;
  t['Z'] = kColumns;
  t['^'] = kNineDotImage;
  t['B'] = kNulEnded;
  t['D'] = kNulEnded;
  t['b'] = kChannelStops;
  t['C'] = kPageLength;
  t['.'] = kRaster;
  t['&'] = kUserCharacters;
  return t;
}

constexpr std::array<signed char, 256> kSkipTable = MakeSkipTable();

// ESC "r" n: black, magenta, cyan, violet, yellow, red, green.
constexpr std::array<Rgb, 7> kRibbonColours = {{
    {0, 0, 0}, {255, 0, 255}, {0, 255, 255}, {128, 0, 255}, {255, 255, 0}, {255, 0, 0}, {0, 160, 0}}};

std::string Hex(std::uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", b);
  return text;
}

}  // namespace

class StreamInterpreter::Impl {
 public:
  Impl(const FontMetrics& metrics, const PaperOptions& paper, PageSink& sink)
      : metrics_(metrics), paper_(paper), sink_(sink) {}

  // Interprets `in`, which starts at input offset `base`; returns how many bytes were used. When
  // `last` is not set, a sequence that `in` cuts off is left unused for the next call.
  std::size_t Run(std::string_view in, std::size_t base, bool last) {
    in_ = in;
    base_ = base;
    pos_ = 0;
    last_ = last;
    need_more_ = false;
    while (pos_ < in_.size()) {
      auto b = Byte(pos_);
      if (b >= 0x20 && b != 0x7F) {
        PrintRun();
      } else {
        ++pos_;
        Control(b);
        if (need_more_) break;
      }
    }
    return pos_;
  }

  void End() {
    // A last sheet with nothing on it is not a page.
    if (pages_started_ == 1 || !page_.items.empty()) sink_.OnPage(std::move(page_));
    page_ = Page{};
  }

  std::vector<Diagnostic> diagnostics;
  std::size_t more_diagnostics = 0;

 private:
  std::uint8_t Byte(std::size_t at) const { return static_cast<std::uint8_t>(in_[at]); }

  // --- output ---------------------------------------------------------------------------------

  Page& CurrentPage() { return page_; }

  // True when the page holds all the items it may; notes the first character it loses.
  bool PageFull(std::size_t at) {
    if (page_.items.size() < kMaxItemsPerPage && page_bytes_ < kMaxBytesPerPage) return false;
    if (!page_full_noted_) {
      page_full_noted_ = true;
      Note(at, at, "the page holds too many items; the rest of it is not drawn");
    }
    return true;
  }

  // Ends the run being extended: the next character starts a new item.
  void Break() { open_ = false; }

  void Restyle() {
    Break();
    dirty_ = true;
  }

  const TextStyle& Style() {
    if (dirty_) {
      int wide = (double_width_ || line_double_width_) ? 2 : 1;
      style_.font = FontKey{proportional_, bold_};
      style_.point_size = point_size_;
      style_.italic = italic_;
      style_.outline = outline_;
      style_.colour = colour_;
      if (proportional_) {
        style_.cell_width = 0;
        style_.h_scale = (condensed_ ? kCondensedScale : 1.0) * wide;
      } else {
        style_.cell_width = FixedCell() * wide;
        style_.h_scale = wide;
      }
      advances_ = &metrics_.Advances(style_.font);
      dirty_ = false;
    }
    return style_;
  }

  // The advance of one fixed-pitch column, before double width.
  double FixedCell() const {
    double cell = kPointsPerInch / cpi_;
    if (condensed_) {
      if (cpi_ == 10) cell *= kCondensedScale;  // 17.14 cpi
      else if (cpi_ == 12) cell = kPointsPerInch / 20;
    }
    return cell;
  }

  // The column that margins and tabs count in: the fixed pitch, or 10 cpi in proportional mode.
  double MarginColumn() const { return proportional_ ? kPointsPerInch / 10 : kPointsPerInch / cpi_; }

  Item& Open(ItemKind kind, const TextStyle& style) {
    Page& page = CurrentPage();
    Item& item = page.items.emplace_back();
    item.kind = kind;
    item.x = x_;
    item.y = PointsFromUnits(y_);
    item.height = PointsFromUnits(spacing_);
    item.baseline = kBaselineOffset;
    item.style = style;
    open_ = true;
    open_kind_ = kind;
    printed_ = true;
    return item;
  }

  // Prints the run of printable bytes of one kind (text or graphics) that starts at pos_.
  void PrintRun() {
    bool graphics = IsGraphicsByte(Byte(pos_));
    std::size_t end = pos_;
    while (end < in_.size()) {
      auto b = Byte(end);
      if (b < 0x20 || b == 0x7F || IsGraphicsByte(b) != graphics) break;
      ++end;
    }
    if (graphics) PrintGraphicsRun(end);
    else PrintTextRun(end);
  }

  // The box-drawing and shading bytes from pos_ to `end`: each a cell of its own width, joined to
  // the item before it when the cells are alike.
  void PrintGraphicsRun(std::size_t end) {
    const TextStyle& style = Style();
    const AdvanceTable& adv = *advances_;
    for (; pos_ < end; ++pos_) {
      auto b = Byte(pos_);
      double cell = style.cell_width > 0 ? style.cell_width : adv[b] * style.point_size * style.h_scale;
      bool extend = open_ && open_kind_ == ItemKind::kGraphics && CurrentPage().items.back().style.cell_width == cell;
      if (x_ >= kFarRight || PageFull(pos_)) {
        Break();
        x_ += cell;
        continue;
      }
      if (!extend) {
        TextStyle cell_style = style;
        cell_style.cell_width = cell;
        Open(ItemKind::kGraphics, cell_style);
      }
      Item& item = CurrentPage().items.back();
      item.bytes.push_back(static_cast<char>(b));
      ++page_bytes_;
      item.width += cell;
      x_ += cell;
    }
  }

  // The text bytes from pos_ to `end`, as far as they start left of kFarRight.
  void PrintTextRun(std::size_t end) {
    const TextStyle& style = Style();
    const AdvanceTable& adv = *advances_;
    bool extend = open_ && open_kind_ == ItemKind::kText;
    if (!extend) {
      // Blanks before a run only move the print position.
      Break();
      for (; pos_ < end && Byte(pos_) == ' '; ++pos_) x_ += Advance(style, adv, ' ');
      if (pos_ == end) return;
    }
    // The characters that start left of kFarRight are kept; the rest only move the position.
    std::size_t kept = pos_;
    double width = 0;
    if (style.cell_width > 0) {
      if (x_ < kFarRight) {
        double fit = std::ceil((kFarRight - x_) / style.cell_width);
        kept += static_cast<std::size_t>(std::min<double>(fit, static_cast<double>(end - pos_)));
      }
      width = style.cell_width * static_cast<double>(kept - pos_);
    } else {
      double ems = 0;
      while (kept < end && x_ + ems * style.point_size * style.h_scale < kFarRight) ems += adv[Byte(kept++)];
      width = ems * style.point_size * style.h_scale;
    }
    if (kept > pos_ && !PageFull(pos_)) {
      if (!extend) Open(ItemKind::kText, style);
      Item& item = CurrentPage().items.back();
      item.bytes.append(in_.substr(pos_, kept - pos_));
      page_bytes_ += kept - pos_;
      item.width += width;
    } else {
      Break();
    }
    x_ += width;
    for (std::size_t at = kept; at < end; ++at) x_ += Advance(style, adv, Byte(at));
    if (kept < end) Break();
    pos_ = end;
  }

  static double Advance(const TextStyle& style, const AdvanceTable& adv, std::uint8_t b) {
    return style.cell_width > 0 ? style.cell_width : adv[b] * style.point_size * style.h_scale;
  }

  // --- paper motion ---------------------------------------------------------------------------

  void NewPage() {
    Break();
    sink_.OnPage(std::move(page_));
    page_ = Page{};
    page_bytes_ = 0;
    page_full_noted_ = false;
    ++pages_started_;
  }

  void CarriageReturn() {
    Break();
    x_ = margin_;
  }

  // Moves the paper forward; past the sheet's lower edge the position continues on the next
  // sheet of the continuous paper.
  void Feed(int units) {
    Break();
    y_ += units;
    while (y_ >= paper_.page_length - paper_.top_of_form) {
      NewPage();
      y_ -= paper_.page_length;
    }
  }

  void LineFeed() {
    CarriageReturn();
    if (line_double_width_) {
      line_double_width_ = false;
      Restyle();
    }
    Feed(spacing_);
  }

  void FormFeed() {
    CarriageReturn();
    if (line_double_width_) {
      line_double_width_ = false;
      Restyle();
    }
    // Paper that is still blank when the first form feed comes is not a page of its own.
    if (pages_started_ > 1 || printed_) NewPage();
    y_ = 0;
  }

  // --- control codes --------------------------------------------------------------------------

  void Control(std::uint8_t b) {
    std::size_t start = pos_ - 1;
    switch (b) {
      case '\r': CarriageReturn(); return;
      case '\n': LineFeed(); return;
      case 0x0B: LineFeed(); return;  // vertical tab without tab stops
      case '\f': FormFeed(); return;
      case 0x0E: line_double_width_ = true; Restyle(); return;   // SO
      case 0x14: line_double_width_ = false; Restyle(); return;  // DC4
      case 0x0F: condensed_ = true; Restyle(); return;           // SI
      case 0x12: condensed_ = false; Restyle(); return;          // DC2
      case 0x00: case 0x07: case 0x11: case 0x13: case 0x7F:
        return;  // NUL, bell, select and deselect printer, delete: nothing to draw
      case 0x08: Backspace(); return;
      case 0x09: Tab(); return;
      case kEsc: Escape(start); return;
      default:
        Note(start, pos_, "control byte " + Hex(b) + " skipped");
        Break();
        return;
    }
  }

  void Backspace() {
    const TextStyle& style = Style();
    double step = Advance(style, *advances_, ' ');
    Break();
    if (x_ - step >= margin_) x_ -= step;
  }

  void Tab() {
    Break();
    double stop = 8 * MarginColumn();
    double column = (x_ - margin_) / stop;
    long next = static_cast<long>(column + 1e-9) + 1;
    x_ = margin_ + next * stop;
  }

  // --- escape sequences -----------------------------------------------------------------------

  // True when `count` parameter bytes follow; otherwise notes the cut-off sequence and
  // consumes the rest of the input.
  bool Have(std::size_t start, std::size_t count) {
    if (pos_ + count <= in_.size()) return true;
    if (!last_) {
      // More input may complete the sequence: it is read again from its start then.
      need_more_ = true;
      pos_ = start;
      return false;
    }
    pos_ = in_.size();
    Note(start, pos_, "incomplete sequence at the end of the input");
    return false;
  }

  std::uint8_t Take() { return Byte(pos_++); }

  static bool Switch(std::uint8_t n) { return n == 1 || n == '1'; }

  void Escape(std::size_t start) {
    if (!Have(start, 1)) return;
    std::uint8_t c = Take();
    switch (c) {
      case '@': Reset(); return;
      case 'P': SelectPitch(10); return;
      case 'M': SelectPitch(12); return;
      case 'g': SelectPitch(15); return;
      case 'p':
        if (!Have(start, 1)) return;
        proportional_ = Switch(Take());
        Restyle();
        return;
      case 0x0F: condensed_ = true; Restyle(); return;
      case 0x0E: line_double_width_ = true; Restyle(); return;
      case 'W':
        if (!Have(start, 1)) return;
        double_width_ = Switch(Take());
        Restyle();
        return;
      case 'E': bold_ = true; Restyle(); return;
      case 'F': bold_ = false; Restyle(); return;
      case '4': italic_ = true; Restyle(); return;
      case '5': italic_ = false; Restyle(); return;
      case 'G': case 'H': return;  // double-strike: darker on paper, nothing to draw here
      case '!':
        if (!Have(start, 1)) return;
        MasterSelect(Take());
        return;
      case 'X': {
        if (!Have(start, 3)) return;
        std::uint8_t m = Take();
        std::uint8_t nl = Take();
        std::uint8_t nh = Take();
        if (m == 1) proportional_ = true;
        if (m >= 5) {
          cpi_ = 360.0 / m;
          proportional_ = false;
        }
        int half_points = nl + 256 * nh;
        if (half_points > 0) point_size_ = half_points / 2.0;
        condensed_ = false;  // a pitch selection ends condensed printing
        Restyle();
        return;
      }
      case 'l':
        if (!Have(start, 1)) return;
        margin_ = Take() * MarginColumn();
        if (x_ < margin_) x_ = margin_;
        Break();
        return;
      case '$': {
        if (!Have(start, 2)) return;
        int n = Take();
        n += 256 * Take();
        x_ = margin_ + n * kPointsPerInch / 60;
        Break();
        return;
      }
      case '0': spacing_ = kEighthInch; return;
      case '1': spacing_ = kSevenSeventySeconds; return;
      case '2': spacing_ = kSixthInch; return;
      case '3': if (Have(start, 1)) spacing_ = Take() * kPer180; return;
      case 'A': if (Have(start, 1)) spacing_ = Take() * kPer60; return;
      case '+': if (Have(start, 1)) spacing_ = Take() * kPer360; return;
      case 'j':
        // Reverse feed: no clamping, the position may go above the top of form.
        if (!Have(start, 1)) return;
        y_ -= Take() * kPer216;
        Break();
        return;
      case 'J':
        if (Have(start, 1)) Feed(Take() * kPer180);
        return;
      case 'r': {
        if (!Have(start, 1)) return;
        std::uint8_t n = Take();
        if (n < kRibbonColours.size()) colour_ = kRibbonColours[n];
        Restyle();
        return;
      }
      case 'k': case 'x':
        // Typeface and letter quality: the renderer's faces stay.
        if (Have(start, 1)) Take();
        return;
      case '"': PrintUtility(start); return;
      default: SkipCommand(start, c); return;
    }
  }

  // ESC 0x22 c: the print utility's own sequences.
  void PrintUtility(std::size_t start) {
    if (!Have(start, 1)) return;
    std::uint8_t c = Take();
    switch (c) {
      case 'R':
        if (!Have(start, 3)) return;
        colour_.r = Take();
        colour_.g = Take();
        colour_.b = Take();
        Restyle();
        return;
      case 'Q':  // one parameter byte; no visible effect
        if (Have(start, 1)) Take();
        return;
      case 'y':  // page mark; no visible effect
        return;
      case 'V':  // the large year digits that follow are hollow...
        outline_ = true;
        Restyle();
        return;
      case 'U':  // ...until this one
        outline_ = false;
        Restyle();
        return;
      default:
        Note(start, pos_, "unknown print utility sequence");
        Break();
        return;
    }
  }

  void SkipCommand(std::size_t start, std::uint8_t c) {
    Break();
    signed char skip = kSkipTable[c];
    if (skip == kNotCommand) {
      Note(start, pos_, "unknown ESC sequence");
      return;
    }
    if (skip >= 0) {
      if (!Have(start, static_cast<std::size_t>(skip))) return;
      pos_ += static_cast<std::size_t>(skip);
    } else if (!SkipVariable(start, static_cast<Skip>(skip))) {
      return;
    }
    Note(start, pos_, "ESC/P command not drawn, skipped");
  }

  // Consumes the parameters and data of a variable-length command; false when the input ends
  // first (already noted).
  bool SkipVariable(std::size_t start, Skip form) {
    auto two = [&](std::size_t& n) {
      if (!Have(start, 2)) return false;
      n = Take();
      n += 256u * Take();
      return true;
    };
    auto data = [&](std::size_t n) {
      if (!Have(start, n)) return false;
      pos_ += n;
      return true;
    };
    std::size_t n = 0;
    switch (form) {
      case kLengthPrefixed:
        return Have(start, 1) && (Take(), two(n)) && data(n);
      case kColumns:
        return two(n) && data(n);
      case kBitImage: {
        if (!Have(start, 1)) return false;
        std::uint8_t m = Take();
        if (!two(n)) return false;
        std::size_t per_column = m >= 70 ? 6 : m >= 32 ? 3 : 1;
        return data(n * per_column);
      }
      case kNineDotImage:
        return Have(start, 1) && (Take(), two(n)) && data(2 * n);
      case kChannelStops:
        if (!Have(start, 1)) return false;
        Take();
        [[fallthrough]];
      case kNulEnded:
        for (int i = 0; i <= 32; ++i) {
          if (!Have(start, 1)) return false;
          if (Take() == 0) break;
        }
        return true;
      case kPageLength:
        if (!Have(start, 1)) return false;
        if (Take() == 0) return data(1);
        return true;
      case kRaster: {
        if (!Have(start, 6)) return false;
        std::uint8_t compression = Take();
        pos_ += 3;  // v, h, m
        std::size_t rows = Byte(pos_ - 1);
        if (!two(n)) return false;
        std::size_t total = rows * ((n + 7) / 8);
        if (compression != 1) return data(total);
        // Run-length data: a counter below 128 is followed by counter + 1 literal bytes, one of
        // 128 or more by one byte repeated 257 - counter times.
        while (total > 0) {
          if (!Have(start, 2)) return false;
          std::uint8_t counter = Take();
          std::size_t count = counter < 128 ? counter + 1u : 257u - counter;
          std::size_t bytes = counter < 128 ? count : 1;
          if (!data(bytes)) return false;
          total -= count < total ? count : total;
        }
        return true;
      }
      case kUserCharacters: {
        if (!Have(start, 3)) return false;
        Take();
        std::uint8_t first = Take();
        std::uint8_t last = Take();
        for (int ch = first; ch <= last; ++ch) {
          if (!Have(start, 3)) return false;
          Take();
          std::size_t columns = Take();
          Take();
          if (!data(columns * 3)) return false;
        }
        return true;
      }
      case kNotCommand:
        break;
    }
    return true;
  }

  void SelectPitch(double cpi) {
    cpi_ = cpi;
    point_size_ = kPicaPoints;
    condensed_ = false;  // a pitch selection ends condensed printing
    Restyle();
  }

  void MasterSelect(std::uint8_t n) {
    cpi_ = (n & 0x01) ? 12 : 10;
    point_size_ = kPicaPoints;
    proportional_ = (n & 0x02) != 0;
    condensed_ = (n & 0x04) != 0;
    bold_ = (n & 0x08) != 0;
    double_width_ = (n & 0x20) != 0;
    italic_ = (n & 0x40) != 0;
    Restyle();
  }

  void Reset() {
    cpi_ = 10;
    point_size_ = kPicaPoints;
    proportional_ = condensed_ = bold_ = italic_ = outline_ = false;
    double_width_ = line_double_width_ = false;
    colour_ = {};
    margin_ = 0;
    spacing_ = kSixthInch;
    Restyle();
  }

  void Note(std::size_t start, std::size_t end, std::string message) {
    if (diagnostics.size() >= kMaxDiagnostics) {
      ++more_diagnostics;
      return;
    }
    diagnostics.push_back(Diagnostic{base_ + start, std::string(in_.substr(start, end - start)), std::move(message)});
  }

  std::string_view in_;
  std::size_t base_ = 0;
  std::size_t pos_ = 0;
  bool last_ = true;
  bool need_more_ = false;
  const FontMetrics& metrics_;
  PaperOptions paper_;
  PageSink& sink_;
  Page page_;
  std::size_t pages_started_ = 1;
  std::size_t page_bytes_ = 0;  // bytes of the page's items
  bool page_full_noted_ = false;

  // Print position.
  long y_ = 0;
  double x_ = 0;
  double margin_ = 0;
  int spacing_ = kSixthInch;

  // Character style.
  double cpi_ = 10;
  double point_size_ = kPicaPoints;
  bool proportional_ = false;
  bool condensed_ = false;
  bool bold_ = false;
  bool italic_ = false;
  bool outline_ = false;
  bool double_width_ = false;       // ESC "W"
  bool line_double_width_ = false;  // SO: to the end of the line
  Rgb colour_;

  TextStyle style_;
  const AdvanceTable* advances_ = nullptr;
  bool dirty_ = true;

  bool open_ = false;  // the last item of the page is extended by the next character
  ItemKind open_kind_ = ItemKind::kText;
  bool printed_ = false;
};

namespace {

class CollectingSink final : public PageSink {
 public:
  explicit CollectingSink(std::vector<Page>& pages) : pages_(pages) {}
  void OnPage(Page&& page) override { pages_.push_back(std::move(page)); }

 private:
  std::vector<Page>& pages_;
};

}  // namespace

StreamInterpreter::StreamInterpreter(const FontMetrics& metrics, PageSink& sink, const PaperOptions& paper)
    : impl_(std::make_unique<Impl>(metrics, paper, sink)) {}

StreamInterpreter::~StreamInterpreter() = default;

void StreamInterpreter::Feed(std::string_view bytes) {
  std::size_t base = offset_ - pending_.size();
  if (pending_.empty()) {
    std::size_t used = impl_->Run(bytes, base, /*last=*/false);
    pending_.assign(bytes.substr(used));
  } else {
    pending_.append(bytes);
    std::size_t used = impl_->Run(pending_, base, /*last=*/false);
    pending_.erase(0, used);
  }
  offset_ += bytes.size();
}

void StreamInterpreter::Finish() {
  std::string rest;
  rest.swap(pending_);
  impl_->Run(rest, offset_ - rest.size(), /*last=*/true);
  impl_->End();
}

const std::vector<Diagnostic>& StreamInterpreter::diagnostics() const { return impl_->diagnostics; }
std::size_t StreamInterpreter::more_diagnostics() const { return impl_->more_diagnostics; }

Document Interpret(std::string_view bytes, const FontMetrics& metrics, const PaperOptions& paper) {
  Document document;
  CollectingSink sink(document.pages);
  StreamInterpreter interpreter(metrics, sink, paper);
  interpreter.Feed(bytes);
  interpreter.Finish();
  document.diagnostics = interpreter.diagnostics();
  document.more_diagnostics = interpreter.more_diagnostics();
  return document;
}

}  // namespace qreport::escp
