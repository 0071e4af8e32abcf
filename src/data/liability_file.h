// The liability file "\PRLIAB": the quarter's payroll tax liability day by day, 10-byte records
// of decimal dollars. The file holds 31 day slots per month: records 1-31 are the first month,
// 32-62 the second, 63 and up the third.
#pragma once

#include <array>
#include <string_view>

#include "data/record_file.h"
#include "text/numbers.h"

namespace qreport {

inline constexpr std::size_t kLiabilityRecordLength = 10;
inline constexpr std::string_view kLiabilityFileName = "\\PRLIAB";

// Sums the liability file of `data_dir` into the quarter's three months, in cents; each sum is
// stored as whole cents (a half to even) after every addition. A missing file is created empty
// and gives zeros. Throws RunError when the file cannot be opened or read.
std::array<Cents, 3> ReadLiabilityMonths(std::string_view data_dir, MissingFile missing = MissingFile::kCreate);

}  // namespace qreport
