#include "data/rates.h"

#include "data/bytes.h"
#include "data/paths.h"
#include "data/record_file.h"
#include "text/numbers.h"

namespace qreport {

double RateFromText(std::string_view text) {
  double value = ParseDecimal(text);
  return value >= 1.0 ? value / 100.0 : value;
}

FicaRates ReadFicaRates(std::string_view folder) {
  RecordFile file(ResolveHostPath(folder, kRatesFileName), kRatesRecordLength, MissingFile::kReadAsEmpty);
  std::vector<std::uint8_t> r = file.Read(1);
  FicaRates rates;
  rates.ss_rate1 = RateFromText(TextAt(r, 0, 6));
  rates.ss_rate2 = RateFromText(TextAt(r, 6, 6));
  rates.ss_base = ParseDecimal(TextAt(r, 12, 8));
  rates.medicare_rate1 = RateFromText(TextAt(r, 20, 6));
  rates.medicare_rate2 = RateFromText(TextAt(r, 26, 6));
  rates.second_base = ParseDecimal(TextAt(r, 32, 8));
  return rates;
}

FormulaFile ReadFormulaFile(std::string_view data_dir, MissingFile missing) {
  auto path = ResolveHostPath(data_dir, kFormulaFileName);
  FormulaFile formula;
  if (!EnsureFileExists(path, missing)) return formula;
  // Only the first three lines are read; a file that cannot be read is the run's error.
  std::string content = ReadFilePrefix(path, 3);
  std::size_t at = 0;
  // Fewer than three lines leave the remaining fields empty.
  for (std::size_t line = 0; line < 3 && at < content.size(); ++line) {
    std::size_t end = content.find('\n', at);
    std::string_view text(content.data() + at, (end == std::string::npos ? content.size() : end) - at);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    std::size_t comma = text.find(',');
    formula.fields[line][0] = std::string(text.substr(0, comma));
    if (comma != std::string_view::npos) {
      std::string_view rest = text.substr(comma + 1);
      formula.fields[line][1] = std::string(rest.substr(0, rest.find(',')));
    }
    at = end == std::string::npos ? content.size() : end + 1;
  }
  return formula;
}

}  // namespace qreport
