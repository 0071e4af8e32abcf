// The worksheet's employee pass: each employee's quarter (wages, the taxable wages for social
// security, FUTA, SUTA and SDI, tips and withholdings) and the run totals. Dollars in doubles.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/employee_files.h"

namespace qreport {

// The wage bases the pass applies, in dollars.
struct WageBases {
  double social_security = 0;
  double futa = 0;
  double suta = 0;
};

// One employee's worksheet line, in the order it is printed. The key and name are views of the
// employee's: a line lives as long as the employee it was computed from.
struct WorksheetLine {
  std::string_view key, name;
  double wages_and_tips = 0;  // QTD1 + QTD2
  double fica_taxable = 0;
  double futa_taxable = 0;
  double suta_taxable = 0;
  double sdi_taxable = 0;     // QTD1 + QTD2, no base
  double tips = 0;            // QTD2
  double federal_withheld = 0;
  double state_withheld = 0;
  double fica_withheld = 0;
  double medicare_wages = 0;  // not printed; totalled for the recap
};

struct WorksheetTotals {
  double wages_and_tips = 0, fica_taxable = 0, futa_taxable = 0, suta_taxable = 0, sdi_taxable = 0;
  double tips = 0, federal_withheld = 0, state_withheld = 0, fica_withheld = 0, medicare_wages = 0;
  int employee_count = 0;
};

// The room left under a wage base: base less the wages and tips of the year's earlier quarters,
// never below 0.
double RoomUnderBase(double base, double year, double quarter);

// The worksheet line of `employee`, or nothing when its quarter and year wages are both exactly 0.
// Each base applies when the year's wages and tips are above it; after the social security cut
// the taxable wages are at most the quarter's wages.
std::optional<WorksheetLine> ComputeWorksheetLine(const Employee& employee, const WageBases& bases);

// Adds one line into the totals (the employee count is the printer's business).
void AddToTotals(const WorksheetLine& line, WorksheetTotals& totals);

}  // namespace qreport
