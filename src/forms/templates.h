// Line-graphics templates: the boxes and rules of the forms are written as ASCII lines in which
// letters and punctuation stand for code page 437 box characters ("R,,T" is the top of a box).
// The translation maps each byte to one byte, so a template's columns are the printed columns.
//
//   R -> 0xDA top-left       T -> 0xBF top-right     F -> 0xC0 bottom-left  G -> 0xD9 bottom-right
//   , -> 0xC4 horizontal     . | -> 0xB3 vertical    5 -> 0xC3 left tee     6 -> 0xB4 right tee
//   7 -> 0xC2 top tee        8 -> 0xC1 bottom tee    / -> 0xC5 cross        anything else unchanged
//
// A template therefore cannot hold a literal comma, full stop, 5 to 8, slash or capital R, T, F,
// G: labels and amounts are written beside it, never through it.
#pragma once

#include <string>
#include <string_view>

namespace qreport {

// The box-drawing bytes of a template line, of the same length.
std::string Template(std::string_view line);

}  // namespace qreport
