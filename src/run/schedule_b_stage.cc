// The Schedule B stage of the form path: the page a semiweekly depositor attaches to Form 941,
// written into its own file so that the report stays what the host and its printers expect.
#include "data/errors.h"
#include "data/paths.h"
#include "data/replace_file.h"
#include "forms/schedule_b.h"
#include "forms/schedule_b_layout.h"
#include "platform/platform.h"
#include "run/stages.h"

namespace qreport {

void WriteScheduleB(RunContext& ctx) {
  const RunState& s = ctx.state;
  if (s.SemiweeklyDepositor != "Y") {
    ctx.schedule_b_result = ScheduleBOutcome::kNotSemiweekly;
    return;
  }
  if (s.Print941 != 1) {
    ctx.schedule_b_result = ScheduleBOutcome::kNotForm941;
    return;
  }
  std::filesystem::path path = ResolveHostPath(s.DataDir, kScheduleBFileName);
  try {
    ReplaceFile(path, ScheduleBPage(ReadScheduleB(s)));
    ctx.schedule_b_result = ScheduleBOutcome::kWritten;
  } catch (const RunError& error) {
    ctx.schedule_b_result = ScheduleBOutcome::kFailed;
    ctx.platform.MessageBox(kDefaultCaption, "Schedule B was not written to " + path.string() + ": Error " +
                                                 std::to_string(error.number()));
  }
}

}  // namespace qreport
