#include "run/current_return_figures.h"

#include "data/bytes.h"
#include "forms/form941.h"
#include "text/ascii.h"
#include "text/numbers.h"

namespace qreport {

int PayrollYearOf(const RunState& state) {
  return static_cast<int>(RoundHalfEven(ParseDecimal(DataText(FormYear(state.payroll_date)))));
}

namespace {

template <typename FormPage>
CurrentReturn FromPage(const ReportFigures& figures, const FormPage& page, FiledForm form) {
  CurrentReturnSource source;
  source.form = form;
  source.payroll_year = PayrollYearOf(figures.state);
  source.printed = page.lines;
  source.entered = figures.entries;
  source.monthly_depositor = figures.state.monthly_depositor;
  source.semiweekly_depositor = figures.state.semiweekly_depositor;
  CurrentReturn filed = ComputeCurrentReturn(source);

  const EmployerBlock& employer = page.employer;
  CurrentReturnHeader& header = filed.header;
  header.ein = employer.ein_text;
  header.name = employer.employer_name;
  header.trade_name = employer.trade_name;
  header.address = employer.address;
  header.city = employer.city_state_zip.city;
  header.state = employer.city_state_zip.state;
  header.zip = employer.city_state_zip.zip;
  header.quarter = figures.quarter;
  header.year = figures.year;
  header.designee_name = Trim(page.designee_named);
  header.designee_phone = Trim(page.designee_phone);
  return filed;
}

}  // namespace

std::optional<CurrentReturn> CurrentReturnOf(const ReportFigures& figures) {
  if (figures.cancelled) return std::nullopt;
  if (figures.form941) return FromPage(figures, *figures.form941, FiledForm::k941);
  if (figures.form944) return FromPage(figures, *figures.form944, FiledForm::k944);
  return std::nullopt;
}

}  // namespace qreport
