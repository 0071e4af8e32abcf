#include "forms/schedule_b.h"

#include "forms/form941.h"
#include "forms/form_money.h"

namespace qreport {

ScheduleB ReadScheduleB(const RunState& state, MissingFile missing) {
  ScheduleB schedule;
  RunState reading = state;
  schedule.employer = ReadEmployerBlock(reading, missing);
  schedule.year = FormYear(state.report_date);
  schedule.quarter = QuarterOfMonthText(state.report_date);

  ForEachLiabilityRecord(state.data_dir, [&schedule](std::int64_t number, double amount) {
    schedule.records = number;
    auto month = static_cast<std::size_t>(LiabilityMonthOf(number));
    schedule.months[month] = AddToCents(schedule.months[month], amount);
    if (number > kLiabilityDaySlots) {
      schedule.month3_other = AddToCents(schedule.month3_other, amount);
    } else {
      auto day = static_cast<std::size_t>((number - 1) % kLiabilityDaysPerMonth);
      schedule.days[month][day] = ToCents(amount);
    }
  }, missing);
  schedule.total = Plus(Plus(schedule.months[0], schedule.months[1]), schedule.months[2]);
  return schedule;
}

std::string_view ScheduleBWhyNot(ScheduleBOutcome outcome) {
  switch (outcome) {
    case ScheduleBOutcome::kNotAsked:
    case ScheduleBOutcome::kWritten: return "";
    case ScheduleBOutcome::kNoForms: return "the payroll year takes the short path, which prints no forms";
    case ScheduleBOutcome::kCancelled: return "the options dialog was cancelled";
    case ScheduleBOutcome::kNotSemiweekly: return "the semiweekly depositor box was not checked";
    case ScheduleBOutcome::kNotForm941: return "Form 944 was chosen; Schedule B goes with Form 941";
    case ScheduleBOutcome::kFailed: return "it could not be written";
  }
  return "";
}

bool ScheduleBIsDue(const RunState& state, ScheduleBOutcome* why) {
  ScheduleBOutcome reason = ScheduleBOutcome::kWritten;
  if (!state.semiweekly_depositor) {
    reason = ScheduleBOutcome::kNotSemiweekly;
  } else if (!state.print_941) {
    reason = ScheduleBOutcome::kNotForm941;
  }
  if (why != nullptr && reason != ScheduleBOutcome::kWritten) *why = reason;
  return reason == ScheduleBOutcome::kWritten;
}

}  // namespace qreport
