// Schedule B's printed page: the heading, the identification block (EIN boxes, name, calendar
// year, quarter boxes), a grid of days 1 to 31 for each month with its "Tax liability for Month N"
// box, and the quarter's total, as printer text for an ESC/P printer in the house style of the
// Form 941 facsimile (the same printer codes, line graphics and money boxes).
#pragma once

#include <string>
#include <string_view>

#include "forms/schedule_b.h"

namespace qreport {

// Schedule B's own file beside the report; the report never holds it.
inline constexpr std::string_view kScheduleBFileName = "\\scheduleb.txt";

// The text of a day of the grid: blank for a zero day, else the amount with two decimals in the
// 8 columns of a day box (a negative one "<12.50>" one column wider, its last digit where a
// positive one's stands; an amount too wide for the box widens to the left).
std::string DayAmount(Cents amount);

// The page, every row ending with CR LF. It starts without a form feed: the file is printed on
// a sheet of its own.
std::string ScheduleBPage(const ScheduleB& schedule);

}  // namespace qreport
