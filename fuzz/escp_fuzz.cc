// The ESC/P interpreter on arbitrary printer text, and the placement of its pages on sheets.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "escp/interpreter.h"
#include "escp/sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const qreport::escp::UniformMetrics metrics;
  qreport::escp::Document document =
      qreport::escp::Interpret(std::string_view(reinterpret_cast<const char*>(data), size), metrics);
  for (const auto& page : document.pages) (void)qreport::escp::SheetFor(page);
  return 0;
}
