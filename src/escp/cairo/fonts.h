// The faces the printer text is drawn with, found through fontconfig: DejaVu Sans for
// proportional text and DejaVu Sans Mono for fixed pitch, each regular and bold (italic is a
// slant of the same face). Their advance widths are the metrics the interpreter lays out
// proportional text with, so that what it measures is what gets drawn.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include <cairo.h>

#include "escp/interpreter.h"

namespace qreport::escp {

// A failure to find fonts or to write an output file.
class RenderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FontSet : public FontMetrics {
 public:
  // Finds the four faces. Throws RenderError when fontconfig finds no font file at all.
  FontSet();
  ~FontSet() override;
  FontSet(const FontSet&) = delete;
  FontSet& operator=(const FontSet&) = delete;

  const AdvanceTable& Advances(FontKey key) const override;

  // The cairo face of `key`; owned by the set.
  cairo_font_face_t* Face(FontKey key) const;
  // Unhinted outlines, grey antialiasing: output that does not depend on the screen setup.
  const cairo_font_options_t* Options() const { return options_; }
  // The font file of `key`.
  const std::string& FileOf(FontKey key) const;
  // One line for each face that fontconfig had to replace by another family ("DejaVu Sans Mono
  // -> Liberation Mono"); empty when the intended fonts are installed.
  const std::vector<std::string>& Substitutions() const { return substitutions_; }

 private:
  struct LoadedFace {
    cairo_font_face_t* face = nullptr;
    AdvanceTable advances{};
    std::string file;
  };
  void Load();
  void Release();
  static int Index(FontKey key) { return (key.proportional ? 2 : 0) + (key.bold ? 1 : 0); }

  std::array<LoadedFace, 4> faces_;
  cairo_font_options_t* options_ = nullptr;
  std::vector<std::string> substitutions_;
};

}  // namespace qreport::escp
