// The rules a client's data must keep for its return to print as the preparer means it: the
// EIN, the payroll date, the city line, the social security flag and the bytes of a text. Import
// refuses data that breaks one (an error naming the place); check reports a folder that does.
// Each rule returns what is wrong as a sentence, or nothing when the value keeps it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qreport {

// The EIN as the client file holds it: its 10-byte field with the suffix byte appended when the
// run appends it (ClientFile::ein). The forms print nine digits from it, so it must be two
// digits, a "-" and seven digits, or the nine digits alone; trailing blanks and NULs do not count.
std::optional<std::string> EinProblem(std::string_view ein_with_suffix);

// The EIN field and suffix byte as a client document gives them, read as the client file would.
std::string EinWithSuffix(std::string_view ein_field, std::uint8_t suffix);

// The payroll date MMDDYY (the year 20YY): a real day of a real month. The run takes the quarter
// and the year from it.
std::optional<std::string> PayrollDateProblem(std::string_view mmddyy);

// The city line as the forms split it (forms/employer_block.h, SplitCityLine): the city before
// its first comma, then the state and the ZIP. A line without the comma, or without a state or a
// ZIP after it, prints the state and the ZIP blank. `state` and `zip` are the split's.
std::optional<std::string> CityLineProblem(std::string_view city_line, std::string_view state, std::string_view zip);

// The flag byte the run reads: only a capital 'Y' makes an employee subject to social security
// and Medicare.
inline constexpr char kSubjectToFica = 'Y';
inline constexpr char kNotSubjectToFica = 'N';

// The flag byte of a typed flag: "Y", "yes", "N" or "no" in any case, blanks around them
// ignored; nothing for any other text.
std::optional<char> FicaFlagFromText(std::string_view text);

// What a record text holds that is no printable character of code page 1252: a control byte or
// one of the bytes the code page leaves undefined. NUL bytes are the padding of an unfilled
// field and count as blanks.
std::optional<std::string> TextBytesProblem(std::string_view text);

// The client file's size against its two records of `record_length` bytes: missing (nullopt
// size) or cut short is an error, since the missing bytes read as zero and the forms print the
// run's own texts instead of the client's.
std::optional<std::string> ClientFileSizeProblem(std::optional<std::uint64_t> size, std::size_t record_length);

}  // namespace qreport
