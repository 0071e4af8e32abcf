// The answers-file parser on arbitrary bytes, played through both dialogs of a report run.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/posix/answers.h"
#include "state/run_state.h"
#include "run/stages.h"
#include "support/recording_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  (void)qreport::ParseAnswers(bytes);
  qreport::testing::RecordingPlatform platform;
  platform.answers = bytes;
  qreport::RunContext ctx(platform);
  ctx.state.payroll_date = ctx.state.report_date = "063005";
  qreport::ShowOptionsDialog(ctx);
  qreport::ShowReportDateDialog(ctx, "Quarterly Report");
  return 0;
}
