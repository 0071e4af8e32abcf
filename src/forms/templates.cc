#include "forms/templates.h"

namespace qreport {

std::string Template(std::string_view line) {
  std::string out(line);
  for (char& c : out) {
    switch (c) {
      case 'R': c = '\xda'; break;
      case 'T': c = '\xbf'; break;
      case 'F': c = '\xc0'; break;
      case 'G': c = '\xd9'; break;
      case ',': c = '\xc4'; break;
      case '.': case '|': c = '\xb3'; break;
      case '5': c = '\xc3'; break;
      case '6': c = '\xb4'; break;
      case '7': c = '\xc2'; break;
      case '8': c = '\xc1'; break;
      case '/': c = '\xc5'; break;
      default: break;
    }
  }
  return out;
}

}  // namespace qreport
