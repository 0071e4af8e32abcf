// The letterhead file "prep" of the rates folder: one record of five lines of 30 bytes, the
// preparer's name and address that the forms print.
#pragma once

#include <cstddef>
#include <string_view>

namespace qreport {

inline constexpr std::string_view kLetterheadFileName = "prep.";
inline constexpr std::size_t kLetterheadRecordLength = 150;
inline constexpr std::size_t kLetterheadLineWidth = 30;  // five lines at 0, 30, 60, 90, 120

}  // namespace qreport
