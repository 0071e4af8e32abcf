#include "worksheet/accumulation.h"

#include <algorithm>

namespace qreport {

double RoomUnderBase(double base, double year, double quarter) {
  double room = base - (year - quarter);
  return room < 0 ? 0 : room;
}

std::optional<WorksheetLine> ComputeWorksheetLine(const Employee& employee, const WageBases& bases) {
  const double q1 = employee.amounts_qtd[kWages], q2 = employee.amounts_qtd[kTips];
  const double y1 = employee.amounts_ytd[kWages], y2 = employee.amounts_ytd[kTips];
  if (q1 == 0 && y1 == 0) return std::nullopt;

  WorksheetLine line;
  line.key = employee.key;
  line.name = employee.name;
  const double quarter = q1 + q2;
  const double year = y1 + y2;

  if (employee.fica_flag == 'Y') {
    line.fica_taxable = q1;
    line.medicare_wages = q1;
    if (year > bases.social_security) {
      line.fica_taxable = std::min(RoomUnderBase(bases.social_security, year, quarter), q1);
    }
  }
  if (employee.futa_subject) {
    line.futa_taxable = quarter;
    if (year > bases.futa) line.futa_taxable = RoomUnderBase(bases.futa, year, quarter);
  }
  if (employee.suta_subject) {
    line.suta_taxable = quarter;
    if (year > bases.suta) line.suta_taxable = RoomUnderBase(bases.suta, year, quarter);
  }
  line.wages_and_tips = quarter;
  line.sdi_taxable = quarter;
  line.tips = q2;
  line.federal_withheld = employee.amounts_qtd[kFederalWithheld];
  line.state_withheld = employee.amounts_qtd[kStateWithheld];
  line.fica_withheld = employee.amounts_qtd[kFicaWithheld];
  return line;
}

void AddToTotals(const WorksheetLine& line, WorksheetTotals& totals) {
  totals.wages_and_tips += line.wages_and_tips;
  totals.fica_taxable += line.fica_taxable;
  totals.futa_taxable += line.futa_taxable;
  totals.suta_taxable += line.suta_taxable;
  totals.sdi_taxable += line.sdi_taxable;
  totals.tips += line.tips;
  totals.federal_withheld += line.federal_withheld;
  totals.state_withheld += line.state_withheld;
  totals.fica_withheld += line.fica_withheld;
  totals.medicare_wages += line.medicare_wages;
}

}  // namespace qreport
