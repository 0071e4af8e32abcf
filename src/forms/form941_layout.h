// Form 941's two printed pages: the heading and identification block, Part 1 (lines 1 to 13),
// then page 2 with the deposit schedule, the business questions, the third-party designee, the
// signature and the paid preparer, as printer text for an ESC/P printer.
#pragma once

#include <array>
#include <string>

#include "forms/employer_block.h"
#include "forms/form941.h"
#include "forms/return_lines.h"

namespace qreport {

// Everything the pages print.
struct Form941Page {
  EmployerBlock employer;
  std::string form_year;  // "2005"
  int quarter = 0;        // the marked quarter box, 0 for none
  ReturnLines lines;
  std::string state_code, designee_name, designee_phone;
  // The designee's name with a letterhead code replaced by the line it names. The facsimile
  // prints designee_name as typed; the current return shows this.
  std::string designee_named;
  bool monthly_depositor = false, semiweekly_depositor = false;
  std::array<std::string, 3> preparer;  // preparer lines 1 to 3
  std::string preparer_codes;           // the run's codes as the lines were made from them (upper case)
};

// Line 1's box: the employee count under the mask "#####", its last 5 characters.
std::string CountBox(std::int64_t count);

// The two pages, each starting with a form feed, every row ending with CR LF.
std::string Form941Pages(const Form941Page& page);

}  // namespace qreport
