// Schedule B of Form 941, the report of tax liability for semiweekly schedule depositors: the
// quarter's liability day by day as the liability file holds it, the three month totals, the
// quarter total, and the employer and quarter it is for. This is the one computation of it;
// the printed page (schedule_b_layout.h), the lines JSON, the pre-filing checks and the web page
// are views of this struct and never add the days up themselves.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "data/liability_file.h"
#include "forms/employer_block.h"
#include "state/run_state.h"

namespace qreport {

struct ScheduleB {
  EmployerBlock employer;  // name and EIN as Form 941 prints them
  std::string year;        // "2026", as Form 941's heading shows it
  int quarter = 0;         // the marked quarter box, 0 for none
  // days[m][d - 1]: the liability of day d of month m + 1 (record 31 m + d of the file).
  std::array<std::array<Cents, kLiabilityDaysPerMonth>, 3> days{};
  // What records 94 and up add to month 3: the file has no day for them, the month sum keeps them.
  Cents month3_other = 0;
  std::int64_t records = 0;       // records in the liability file (more than 93: "other entries")
  std::array<Cents, 3> months{};  // "Tax liability for Month 1" to 3
  Cents total = 0;                // "Total liability for the quarter"
};

// Schedule B of the client in state.data_dir for the quarter and year of state.report_date.
//
// Contract:
// - Each day is its record read with the decimal text-to-number rule and stored as cents (value
//   x 100, a half to even); a record that holds no number, or that the file does not reach, is
//   0; a negative record is a negative day.
// - months[m] are exactly the month sums the options dialog starts with (ReadLiabilityMonths:
//   every record in record order, the sum stored as cents after each addition). With records
//   in whole cents, as the payroll program writes them, months[m] is the sum of days[m] (and of
//   month3_other for month 3); a record with fractions of a cent shows rounded on its day while
//   its month keeps the fractions as the dialog does.
// - month3_other is the records past the 93rd summed the same way (0 for a file of 93 or fewer).
// - total is the three months added as Form 941 adds its month total: the figure that must equal
//   Form 941 line 10 (it differs when the user changed a month in the options dialog).
// - The employer comes from the client file as Form 941 reads it (an unreadable or short client
//   file gives the state's name and no EIN); `state` is not changed.
// Reads like the run: a missing liability or client file is created empty (with
// MissingFile::kReadAsEmpty it is read as empty and not created) and gives zero days. Throws
// RunError when the liability file cannot be opened or read.
ScheduleB ReadScheduleB(const RunState& state, MissingFile missing = MissingFile::kCreate);

// Whether Schedule B goes with the return of `state`: the semiweekly depositor box is checked and
// Form 941 is the form printed. When it does not, `why` (when given) is set to kNotSemiweekly or
// kNotForm941. The run's Schedule B stage, the checks and the front ends all ask this.
bool ScheduleBIsDue(const RunState& state, ScheduleBOutcome* why = nullptr);

// Why Schedule B was not written, in plain words ("the semiweekly depositor box was not
// checked"), as every front end says it; empty for kNotAsked and kWritten.
std::string_view ScheduleBWhyNot(ScheduleBOutcome outcome);

}  // namespace qreport
