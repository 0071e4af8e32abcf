#include "batch/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qreport {
namespace {

std::string Clock(double seconds) {
  long s = std::lround(std::max(0.0, seconds));
  char text[32];
  if (s >= 3600) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

}  // namespace

std::string ProgressLine(const BatchProgress& p) {
  std::string line = std::to_string(p.done) + "/" + std::to_string(p.total) + " clients  ";
  if (p.done > 0 && p.elapsed > 0) {
    double rate = static_cast<double>(p.done) / p.elapsed;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f/s", rate);
    line += text;
    line += "  " + Clock(static_cast<double>(p.total - p.done) / rate) + " left";
  } else {
    line += "-/s  - left";
  }
  line += "  " + std::to_string(p.failed) + " failed";
  return line;
}

std::string ProgressRedraw(const BatchProgress& progress) { return "\r" + ProgressLine(progress) + "\x1b[K"; }

}  // namespace qreport
