#include "escp/cairo/fonts.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <memory>
#include <string_view>

#include "escp/cp437.h"

namespace qreport::escp {

namespace {

constexpr const char* kProportionalFamily = "DejaVu Sans";
constexpr const char* kFixedFamily = "DejaVu Sans Mono";

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

struct Match {
  std::string file;
  int index = 0;
  std::string family;
};

Match FindFont(const char* family, bool bold) {
  PatternPtr pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
  Match found;
  FcChar8* text = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &text) != FcResultMatch) {
    throw RenderError(std::string("no font found for ") + family + " (install fonts-dejavu-core)");
  }
  found.file = reinterpret_cast<const char*>(text);
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &found.index);
  if (FcPatternGetString(match.get(), FC_FAMILY, 0, &text) == FcResultMatch) {
    found.family = reinterpret_cast<const char*>(text);
  }
  return found;
}

}  // namespace

FontSet::FontSet() {
  options_ = cairo_font_options_create();
  cairo_font_options_set_antialias(options_, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options_, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options_, CAIRO_HINT_METRICS_OFF);

  try {
    Load();
  } catch (...) {
    Release();
    throw;
  }
}

void FontSet::Load() {
  for (bool proportional : {false, true}) {
    for (bool bold : {false, true}) {
      const char* family = proportional ? kProportionalFamily : kFixedFamily;
      Match match = FindFont(family, bold);
      if (match.family != family) {
        substitutions_.push_back(std::string(family) + (bold ? " Bold" : "") + " -> " + match.family);
      }
      LoadedFace& face = faces_[Index(FontKey{proportional, bold})];
      face.file = match.file;
      // A pattern naming only the file: fontconfig's hinting settings do not reach the face.
      PatternPtr exact(FcPatternCreate());
      FcPatternAddString(exact.get(), FC_FILE, reinterpret_cast<const FcChar8*>(match.file.c_str()));
      FcPatternAddInteger(exact.get(), FC_INDEX, match.index);
      face.face = cairo_ft_font_face_create_for_pattern(exact.get());
      if (cairo_font_face_status(face.face) != CAIRO_STATUS_SUCCESS) {
        throw RenderError("cannot load the font " + match.file);
      }

      // Advances at 1000 points, as fractions of the point size.
      cairo_matrix_t size;
      cairo_matrix_t identity;
      cairo_matrix_init_scale(&size, 1000, 1000);
      cairo_matrix_init_identity(&identity);
      cairo_scaled_font_t* scaled = cairo_scaled_font_create(face.face, &size, &identity, options_);
      for (int b = 0x20; b < 256; ++b) {
        std::string utf8;
        char byte = static_cast<char>(b);
        AppendCp437AsUtf8(std::string_view(&byte, 1), utf8);
        cairo_text_extents_t extents;
        cairo_scaled_font_text_extents(scaled, utf8.c_str(), &extents);
        face.advances[b] = extents.x_advance / 1000.0;
      }
      bool ok = cairo_scaled_font_status(scaled) == CAIRO_STATUS_SUCCESS;
      cairo_scaled_font_destroy(scaled);
      if (!ok) throw RenderError("cannot measure the font " + match.file);
    }
  }
}

FontSet::~FontSet() { Release(); }

void FontSet::Release() {
  for (LoadedFace& face : faces_) {
    if (face.face) cairo_font_face_destroy(face.face);
    face.face = nullptr;
  }
  if (options_) cairo_font_options_destroy(options_);
  options_ = nullptr;
}

const AdvanceTable& FontSet::Advances(FontKey key) const { return faces_[Index(key)].advances; }

cairo_font_face_t* FontSet::Face(FontKey key) const { return faces_[Index(key)].face; }

const std::string& FontSet::FileOf(FontKey key) const { return faces_[Index(key)].file; }

}  // namespace qreport::escp
