#include "data/liability_file.h"

#include "data/bytes.h"
#include "data/paths.h"
#include "data/record_file.h"

namespace qreport {

std::array<Cents, 3> ReadLiabilityMonths(std::string_view data_dir, MissingFile missing) {
  std::array<Cents, 3> months{};
  RecordFile file(ResolveHostPath(data_dir, kLiabilityFileName), kLiabilityRecordLength, missing);
  std::int64_t count = RoundHalfEven(static_cast<double>(file.size()) / kLiabilityRecordLength);
  std::array<std::uint8_t, kLiabilityRecordLength> record{};
  for (std::int64_t i = 1; i <= count; ++i) {
    file.Read(i, record);
    double amount = ParseDecimal(TextAt(record, 0, kLiabilityRecordLength));
    Cents& month = i < 32 ? months[0] : (i <= 62 ? months[1] : months[2]);
    month = AddToCents(month, amount);
  }
  return months;
}

}  // namespace qreport
