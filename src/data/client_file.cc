#include "data/client_file.h"

#include "data/bytes.h"
#include "data/paths.h"
#include "data/record_file.h"
#include "text/ascii.h"
#include "text/numbers.h"

namespace qreport {

ClientFile ReadClientFile(std::string_view data_dir, bool always_record2, MissingFile missing) {
  ClientFile client;
  RecordFile file(ResolveHostPath(data_dir, kClientFileName), kClientRecordLength, missing);
  client.has_record1 = file.byte_length() >= kClientRecordLength;
  if (client.has_record1) {
    std::vector<std::uint8_t> r1 = file.Read(1);
    client.employer_name = TextAt(r1, kEmployerNameOffset, kEmployerNameWidth);
    client.trade_name = TrimRight(TextAt(r1, kTradeNameOffset, kTradeNameWidth));
    client.address = TextAt(r1, kAddressOffset, kAddressWidth);
    client.payroll_date = TextAt(r1, kPayrollDateOffset, kPayrollDateWidth);
    std::uint8_t suffix = ByteAt(r1, kEinSuffixOffset);

    std::vector<std::uint8_t> r2 = file.Read(2);
    client.futa_rate = ParseDecimal(TextAt(r2, kFutaRateOffset, kNumberFieldWidth));
    client.futa_base = ParseDecimal(TextAt(r2, kFutaBaseOffset, kNumberFieldWidth));
    client.suta_rate = ParseDecimal(TextAt(r2, kSutaRateOffset, kNumberFieldWidth));
    client.suta_base = ParseDecimal(TextAt(r2, kSutaBaseOffset, kNumberFieldWidth));
    client.ein = TextAt(r2, kEinOffset, kEinWidth);
    if (suffix > 28) client.ein += static_cast<char>(suffix);
    client.city_line = TextAt(r2, kCityLineOffset, kCityLineWidth);
  } else if (always_record2) {
    client.city_line = TextAt(file.Read(2), kCityLineOffset, kCityLineWidth);
  }
  return client;
}

}  // namespace qreport
