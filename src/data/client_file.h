// The client file "\CLIENT.": the host's master record of one employer, two records of 151 bytes.
//
// Record 1                                   Record 2
//   0  35  employer name                       0   9  FUTA rate (decimal text)
//  35  35  trade name                          9   9  FUTA wage base (dollars)
//  70  35  street address                     18   9  SUTA rate
// 105   6  (not read)                         27   9  SUTA wage base (dollars)
// 111   9  EIN suffix field (first byte)      36  36  four numeric fields (not used)
// 120   6  payroll period date MMDDYY         72  10  EIN
// 126   2  int16, not used                    82  10  text, not used
// 128  12  two six-character codes            92  28  (not read)
// 140   6  (not read)                        120  30  city, state and ZIP line
// 146   5  five one-character flags          150   1  one-byte code, not used
#pragma once

#include <string>
#include <string_view>

#include "data/record_file.h"

namespace qreport {

inline constexpr std::size_t kClientRecordLength = 151;
inline constexpr std::string_view kClientFileName = "\\CLIENT.";

inline constexpr std::size_t kEmployerNameOffset = 0, kEmployerNameWidth = 35;
inline constexpr std::size_t kTradeNameOffset = 35, kTradeNameWidth = 35;
inline constexpr std::size_t kAddressOffset = 70, kAddressWidth = 35;
inline constexpr std::size_t kEinSuffixOffset = 111;
inline constexpr std::size_t kPayrollDateOffset = 120, kPayrollDateWidth = 6;

inline constexpr std::size_t kFutaRateOffset = 0, kFutaBaseOffset = 9;
inline constexpr std::size_t kSutaRateOffset = 18, kSutaBaseOffset = 27;
inline constexpr std::size_t kNumberFieldWidth = 9;
inline constexpr std::size_t kEinOffset = 72, kEinWidth = 10;
inline constexpr std::size_t kCityLineOffset = 120, kCityLineWidth = 30;

// What the readers take from the client file.
struct ClientFile {
  bool has_record1 = false;       // the file holds at least 151 bytes
  std::string employer_name;      // with its padding
  std::string trade_name;         // without trailing blanks
  std::string address;            // with its padding
  std::string payroll_date;       // MMDDYY
  double futa_rate = 0, futa_base = 0, suta_rate = 0, suta_base = 0;
  std::string ein;                // the 10-byte field, with the suffix byte appended when > 28
  std::string city_line;          // 30 bytes; zero bytes where the file has none
};

// Reads "\CLIENT." of `data_dir`, creating it empty when missing. Record 2 is read only when
// record 1 was, unless `always_record2`, which takes the city line even from a short file (the
// report run's own read does that). Throws RunError when the file cannot be opened or read.
ClientFile ReadClientFile(std::string_view data_dir, bool always_record2 = false,
                          MissingFile missing = MissingFile::kCreate);

}  // namespace qreport
