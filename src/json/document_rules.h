// The rules that both readers of imported data check, the client document and the employees
// CSV file: amounts written as decimal text, the range a packed amount holds, the record numbers
// the employees get, and the excerpt an error message shows of a value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/client_writer.h"
#include "text/numbers.h"

namespace qreport {

// The cents a packed amount can hold: a signed 32-bit count of whole units and 0 to 99 hundredths.
inline constexpr Cents kLowestPacked = static_cast<Cents>(std::numeric_limits<std::int32_t>::min()) * 100;
inline constexpr Cents kHighestPacked = static_cast<Cents>(std::numeric_limits<std::int32_t>::max()) * 100 + 99;

// An amount written as decimal text ("1234.56", "-0.05", "1,234", "$12.5") in cents, read digit
// by digit (never through a binary float). Nothing, with `why` set, when it is not such an
// amount or does not fit a packed amount.
std::optional<Cents> ParseAmountText(std::string_view text, std::string& why);

// The bytes of a value an error message shows: a long value (a field of megabytes, say) is cut
// to its first kExcerptBytes bytes and "...", so that no message repeats it whole.
inline constexpr std::size_t kExcerptBytes = 40;
std::string Excerpt(std::string_view value);

// The error for what an index entry below record 1 is given beyond its key: such an entry names
// no record, so the name or amounts would be lost without a word.
inline constexpr const char* kNoRecordForData =
    "an entry whose record number is below 1 has no record (the run skips it): only its key can be given";

// Checks the record numbers the employees get when they are written (their own, or the next free
// one): an employee that needs the next free number when the last record is taken is an error
// naming the limit (reported once: every later one would repeat it), and so is a record that two
// employees with different contents would share, since the later one would overwrite the earlier.
// Entries that share a record with the same contents are kept: that is how inspect shows index
// entries that name one record. A message about employee i starts with `places[i]` (the file and
// where in it) and names an earlier one as `names[i]`.
void CheckRecordNumbers(const std::vector<EmployeeSpec>& employees, const std::vector<std::string>& places,
                        const std::vector<std::string>& names, std::vector<std::string>& errors);

// Checks the keys of the employees that get a record (every one but an index entry below record
// 1, which the run skips): the run reads each index entry, so two entries with one key would
// stand for one employee counted twice, or two employees no one can tell apart. The key compared
// is the index entry's (trailing blanks and NULs do not count); an empty key counts as a key.
// Messages start with `places[i]` and name the earlier entry as `names[i]`, as CheckRecordNumbers.
void CheckEmployeeKeys(const std::vector<EmployeeSpec>& employees, const std::vector<std::string>& places,
                       const std::vector<std::string>& names, std::vector<std::string>& errors);

}  // namespace qreport
