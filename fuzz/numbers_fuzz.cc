// The decimal text-to-number rule and the number masks: the input is a mask, a "\n--\n" and a
// number's text; the number is read by the rule and formatted under the mask.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_folder.h"
#include "text/masks.h"
#include "text/numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto parts = qreport::fuzz::Parts(data, size, 2);
  double value = qreport::ParseDecimal(parts[1]);
  (void)qreport::NumberText(value);
  if (std::isfinite(value) && std::fabs(value) < 9e15) {
    (void)qreport::ToCents(value);
    (void)qreport::RoundHalfEven(value);
  }
  if (parts[0].size() <= 64) (void)qreport::FormatAmount(parts[0], value);
  return 0;
}
