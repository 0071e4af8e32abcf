// The rows every form page here opens its identification block with: the block's top line and
// the nine boxes of the employer identification number with their label.
#pragma once

#include <string>

#include "forms/printer_codes.h"

namespace qreport {

// Character `n` (from 1) of a text, a blank where the text is shorter.
std::string CharAt(const std::string& text, int n);

// Prints the five rows from the identification block's top line to the bottom of the EIN boxes,
// one character of `ein_boxes` a box.
void EinBoxRows(PrinterText& out, const std::string& ein_boxes);

}  // namespace qreport
