// Form 944's two printed pages: the heading and identification block, Part 1 (lines 1 to 12),
// then page 2 with the deposit schedule and the twelve monthly liabilities, the state of the
// deposits, the business questions, the third-party designee, the signature and the paid
// preparer. Drawn as Form 941 is, with the same templates, codes and money boxes.
#pragma once

#include <array>
#include <string>

#include "forms/employer_block.h"
#include "forms/form944.h"
#include "forms/return_lines.h"

namespace qreport {

// Everything the pages print.
struct Form944Page {
  EmployerBlock employer;
  std::string form_year;  // "20" and the payroll date's last two characters
  double month = 0;       // the payroll date's first two characters as a number
  ReturnLines lines;
  std::string state_code, designee_name, designee_phone;
  // The designee's name with a letterhead code replaced by the line it names. The facsimile
  // prints designee_name as typed; the current return shows this.
  std::string designee_named;
  std::array<std::string, 3> preparer;  // preparer lines 1 to 3
  std::string preparer_codes;           // the run's codes as the lines were made from them (upper case)
};

// The two pages, each starting with a form feed, every row ending with CR LF.
std::string Form944Pages(const Form944Page& page);

}  // namespace qreport
