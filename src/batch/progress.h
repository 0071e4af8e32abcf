// The batch's progress line on a terminal: done / total, clients per second, the time left and
// the failures so far, redrawn in place so that it never scrolls.
#pragma once

#include <string>

#include "batch/batch_runner.h"

namespace qreport {

// "37/120 clients  4.1/s  0:20 left  2 failed"; the rate and time left show as "-" until a
// client has finished.
std::string ProgressLine(const BatchProgress& progress);

// The line as a terminal redraws it: back to column 1, the line, the rest of the row cleared.
std::string ProgressRedraw(const BatchProgress& progress);

}  // namespace qreport
