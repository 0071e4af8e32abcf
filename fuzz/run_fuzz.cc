// A whole report run over a client folder made from the input: cut at "\n--\n", it gives the
// client file, the employee index, master and plans files, the liability file, the rates file,
// the letterhead, the saved entries, the answers to the dialogs and the printer picker's reply.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_folder.h"
#include "run/report_run.h"
#include "support/recording_platform.h"

namespace fz = qreport::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& dir = fz::Folder();
  fz::Empty(dir);
  const char* names[] = {"CLIENT", "EMPLOYEE.idx", "EMPLOYEE.fil", "EMPLOYEE.PLANS", "PRLIAB",
                         "FICA.RAT", "prep", "save941.info"};
  constexpr std::size_t kFiles = std::size(names);
  auto parts = fz::Parts(data, size, kFiles + 2);
  for (std::size_t i = 0; i < kFiles; ++i) fz::Write(dir / names[i], parts[i]);
  qreport::testing::RecordingPlatform platform;
  platform.answers = std::string(parts[kFiles]);
  platform.printer_reply = std::string(parts[kFiles + 1]);
  std::string device = "P";
  qreport::RunReport(dir.string(), device, "941", platform, dir.string());
  return 0;
}
