// The liability file "\PRLIAB": the quarter's payroll tax liability day by day, 10-byte records
// of decimal dollars. The file holds 31 day slots per month: records 1-31 are the first month,
// 32-62 the second, 63 and up the third.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "data/record_file.h"
#include "text/numbers.h"

namespace qreport {

inline constexpr std::size_t kLiabilityRecordLength = 10;
inline constexpr std::string_view kLiabilityFileName = "\\PRLIAB";
inline constexpr int kLiabilityDaysPerMonth = 31;
// Records past this one all belong to the third month.
inline constexpr std::int64_t kLiabilityDaySlots = 3 * kLiabilityDaysPerMonth;

// The month of the quarter (0, 1 or 2) that record `number` (from 1) counts for.
inline int LiabilityMonthOf(std::int64_t number) { return number < 32 ? 0 : (number <= 62 ? 1 : 2); }

// Calls `visit(number, amount)` for every record of the liability file of `data_dir` in record
// order, `amount` being its 10 bytes read with the decimal text-to-number rule (0 for a record
// that holds no number). The file has as many records as its length / 10 rounded half to even;
// a short last record reads as its bytes followed by zeros. A missing file is created empty
// (or, with MissingFile::kReadAsEmpty, left missing) and visits nothing. Throws RunError when the file
// cannot be opened or read.
void ForEachLiabilityRecord(std::string_view data_dir, const std::function<void(std::int64_t, double)>& visit,
                            MissingFile missing = MissingFile::kCreate);

// Sums the liability file of `data_dir` into the quarter's three months, in cents: each record
// added in record order with AddToCents (the sum stored as whole cents after every addition). A missing file is handled as ForEachLiabilityRecord says and gives zeros.
// Throws RunError when the file cannot be opened or read.
std::array<Cents, 3> ReadLiabilityMonths(std::string_view data_dir, MissingFile missing = MissingFile::kCreate);

}  // namespace qreport
