// The rates file "FICA.RAT" (current directory, one 40-byte record of decimal text fields) and
// the client's employee formula file "\emp4mula.fil".
//
// FICA.RAT record 1
//   0  6  social security rate, first share      20  6  Medicare rate, first share
//   6  6  social security rate, second share     26  6  Medicare rate, second share
//  12  8  social security wage base (dollars)    32  8  second wage base (not used)
//
// A rate of 1 or more is a percentage (6.2 is 0.062); below 1 it is already a fraction.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "data/record_file.h"

namespace qreport {

inline constexpr std::size_t kRatesRecordLength = 40;
inline constexpr std::string_view kRatesFileName = "FICA.RAT";
inline constexpr std::string_view kFormulaFileName = "\\emp4mula.fil";

struct FicaRates {
  double ss_rate1 = 0, ss_rate2 = 0;  // fractions
  double ss_base = 0;                 // dollars
  double medicare_rate1 = 0, medicare_rate2 = 0;
  double second_base = 0;
};

// A rate field's value as a fraction: text of 1 or more is a percentage.
double RateFromText(std::string_view text);

// Reads record 1 of "FICA.RAT" in `folder` (empty: the current directory). A missing file reads
// as empty (all 0) and is not created: the rates folder is shared and no run writes into it.
// Throws RunError when the file cannot be read.
FicaRates ReadFicaRates(std::string_view folder = {});

// The first two comma-separated fields of the first three lines of the formula file.
struct FormulaFile {
  std::array<std::array<std::string, 2>, 3> fields;
};

// Creates "\emp4mula.fil" in `data_dir` empty when missing, then reads it. Throws RunError.
FormulaFile ReadFormulaFile(std::string_view data_dir, MissingFile missing = MissingFile::kCreate);

}  // namespace qreport
