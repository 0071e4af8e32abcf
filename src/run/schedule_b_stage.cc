// The Schedule B stage of the form route: the page a semiweekly depositor attaches to Form 941,
// written into its own file so that the report stays what the host and its printers expect.
#include "data/errors.h"
#include "data/paths.h"
#include "data/replace_file.h"
#include "forms/schedule_b.h"
#include "forms/schedule_b_layout.h"
#include "platform/platform.h"
#include "run/stages.h"

namespace qreport {

void WriteScheduleBFile(std::string_view data_dir, const ScheduleB& schedule_b) {
  ReplaceFile(ResolveHostPath(data_dir, kScheduleBFileName), ScheduleBPage(schedule_b));
}

void WriteScheduleB(RunContext& ctx) {
  const RunState& state = ctx.state;
  ScheduleBOutcome why = ScheduleBOutcome::kNotAsked;
  if (!ScheduleBIsDue(state, &why)) {
    ctx.schedule_b_result = why;
    return;
  }
  std::filesystem::path path = ResolveHostPath(state.data_dir, kScheduleBFileName);
  try {
    WriteScheduleBFile(state.data_dir, ReadScheduleB(state));
    ctx.schedule_b_result = ScheduleBOutcome::kWritten;
  } catch (const RunError& error) {
    ctx.schedule_b_result = ScheduleBOutcome::kFailed;
    ctx.platform.MessageBox(kDefaultCaption, "Schedule B was not written to " + path.string() + ": Error " +
                                                 std::to_string(error.number()));
  }
}

}  // namespace qreport
