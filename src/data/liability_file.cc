#include "data/liability_file.h"

#include "data/bytes.h"
#include "data/paths.h"
#include "data/record_file.h"

namespace qreport {

void ForEachLiabilityRecord(std::string_view data_dir, const std::function<void(std::int64_t, double)>& visit,
                            MissingFile missing) {
  RecordFile file(ResolveHostPath(data_dir, kLiabilityFileName), kLiabilityRecordLength, missing);
  std::int64_t count = RoundHalfEven(static_cast<double>(file.byte_length()) / kLiabilityRecordLength);
  std::array<std::uint8_t, kLiabilityRecordLength> record{};
  for (std::int64_t i = 1; i <= count; ++i) {
    file.Read(i, record);
    visit(i, ParseDecimal(TextAt(record, 0, kLiabilityRecordLength)));
  }
}

std::array<Cents, 3> ReadLiabilityMonths(std::string_view data_dir, MissingFile missing) {
  std::array<Cents, 3> months{};
  ForEachLiabilityRecord(
      data_dir,
      [&months](std::int64_t number, double amount) {
        Cents& month = months[static_cast<std::size_t>(LiabilityMonthOf(number))];
        month = AddToCents(month, amount);
      },
      missing);
  return months;
}

}  // namespace qreport
