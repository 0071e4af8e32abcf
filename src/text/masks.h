// Number masks: how the report prints an amount. A mask such as "#,###,###.##" is a picture of
// the printed field; FormatAmount fills it in from a double, NumberText gives the plain form.
//
// Mask rules in short:
//  - Up to three sections split by ";": positive, negative, zero. With one section it serves
//    every value; with two, zero uses the first. In the negative section the magnitude is
//    printed and the section supplies any sign as literal text. The section is chosen by the
//    value before rounding (-0.0 counts as zero; NaN uses the first section).
//  - The field is the first run of placeholders that holds a digit position: "#" and "0"
//    (digits), "," (grouping, only before the point) and "." (the point, only when a digit
//    position follows it). Everything else, including any later placeholder characters, is
//    copied in place; "\" makes the next character literal and is itself not printed (a "\"
//    at the very end is printed, having nothing to escape).
//  - The field is as wide as its placeholders. Digits are right-aligned, grouped by three when
//    the field has a ",", and free positions on the left take the fill: "0" when the field
//    has a "0" anywhere, else a blank. A "-" sits right before the first digit, inside the
//    field. Digits are never dropped: a field too narrow is widened to the left.
//  - Rounding is half away from zero, on the 18 significant decimal digits of the double.
//  - |value| >= 1e18 prints in exponent form ("1.23456789012345684E+20", the 18 digits less
//    trailing zeros) and NaN/infinity print as "NaN"/"INF", right-aligned with blank fill.
//  - A section without a field gets an empty one at its end (so the amount still shows),
//    except the dedicated zero section, whose text stands alone.
//  - An empty mask, or an empty chosen section, prints NumberText less its leading blank.
#pragma once

#include <string>
#include <string_view>

#include "text/numbers.h"

namespace qreport {

// Formats value by the mask; never fails, never drops a digit.
std::string FormatAmount(std::string_view mask, double value);

// Appends exactly the bytes FormatAmount(mask, value) returns to `out`, without a string of
// their own: the report writer formats every amount straight into its buffer.
void AppendAmount(std::string& out, std::string_view mask, double value);

// Plain number text: a blank (sign position) or "-" then the digits; page 1 gives " 1".
std::string NumberText(double value);

// The cents a two-decimal mask prints for `value` (rounded as the masks round), so that an amount
// held in dollars reads in cents exactly as the page shows it. |value| of 1e16 or more saturates.
Cents PrintedCents(double value);

}  // namespace qreport
