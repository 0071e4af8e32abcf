#include "run/report_figures.h"

#include <exception>
#include <vector>

#include "data/bytes.h"
#include "data/errors.h"
#include "forms/form941.h"
#include "forms/form944.h"
#include "forms/form_money.h"
#include "forms/form_prints.h"
#include "text/numbers.h"

namespace qreport {

namespace {

// The forms' employee totals, added up by the worksheet's pass as it goes, so that a run reads
// the employee files once. They count only when that pass read every employee: one that could
// not start or stopped part way leaves the forms to their own pass, which reads fewer files.
class FormTotals final : public WorksheetSink {
 public:
  FormTotals(bool quarter, bool year) : want_quarter_(quarter), want_year_(year) {}
  void Start(const WorksheetFigures& figures) override {
    ss_base_ = ToFormRates(figures.rates).ss_base;
    started_ = true;
  }
  void OnEmployee(const Employee& e, const WorksheetLine*) override {
    if (want_quarter_) AddEmployeeToQuarter(e, ss_base_, quarter_);
    if (want_year_) AddEmployeeToYear(e, ss_base_, year_);
  }
  const PayTotals* quarter(bool complete) const { return complete && started_ ? &quarter_ : nullptr; }
  const PayTotals* year(bool complete) const { return complete && started_ ? &year_ : nullptr; }

 private:
  bool want_quarter_, want_year_;
  bool started_ = false;
  Cents ss_base_ = 0;
  PayTotals quarter_;
  PayTotals year_;
};

}  // namespace

std::optional<WorksheetFigures> RunWorksheetPass(RunContext& ctx, std::span<WorksheetSink* const> sinks) {
  std::optional<WorksheetFigures> figures = ComputeWorksheet(WorksheetRequestOf(ctx), sinks);
  RunState& state = ctx.state;
  if (!figures) {
    state.cancel_requested = false;
    return figures;
  }
  // The forms print the dates and the employer name from the run's state, and the views show it:
  // what the worksheet decided is the run's from here on.
  state.employer_name = figures->heading.employer_name;
  state.payroll_date = figures->heading.payroll_date;
  state.report_date = figures->report_date;
  ctx.plan_totals = figures->plan_totals;
  return figures;
}

void ComputeFormRouteParts(RunContext& ctx, ReportFigures& figures, std::span<WorksheetSink* const> sinks) {
  RunState& state = ctx.state;
  FormTotals form_totals(state.print_941, state.print_944);
  std::vector<WorksheetSink*> all(sinks.begin(), sinks.end());
  all.push_back(&form_totals);
  try {
    figures.worksheet = RunWorksheetPass(ctx, all);
  } catch (const RunError& error) {
    figures.worksheet.reset();
    figures.worksheet_error = error.number();
  }
  const bool complete = figures.worksheet.has_value();
  figures.entries = ReturnEntriesOf(state);
  // The forms leave the run alone; the run takes a 7a filled by the fraction-of-cents rule as
  // its own 7a, so that a Form 944 computed after Form 941 starts from it (and keeps it) and the
  // figures' copy of the state shows it, and the employer texts each page read afresh and the
  // preparer codes in the case it printed them, which the later pages and the views read. The
  // voucher reads no adjustment.
  if (state.print_941) {
    figures.form941 = ComputeForm941Page(ctx, form_totals.quarter(complete));
    state.adjustment_7a = figures.form941->lines[ReturnLine::kAdjustment7a];
    TakePageTexts(state, *figures.form941);
  }
  if (state.print_944) {
    figures.form944 = ComputeForm944Page(ctx, form_totals.year(complete));
    state.adjustment_7a = figures.form944->lines[ReturnLine::kAdjustment7a];
    TakePageTexts(state, *figures.form944);
  }
  figures.voucher = ComputeVoucherPage(ctx);
  TakeEmployerTexts(state, figures.voucher->employer_texts);
}

ReportPeriod PeriodOf(const RunState& state, bool form941, bool form944) {
  ReportPeriod period;
  period.form = form941 ? "941" : form944 ? "944" : "worksheet";
  // Form 944's year is the one its page prints.
  std::string year = form944 ? DataText(FormYear(state.payroll_date)) : FormYear(state.report_date);
  period.year = static_cast<int>(RoundHalfEven(ParseDecimal(year)));
  period.quarter = QuarterOfMonthText(state.report_date);
  return period;
}

ScheduleBOutcome ScheduleBOutcomeOf(const ReportFigures& figures) {
  return ScheduleBOutcomeOf(figures.cancelled, figures.route, figures.state);
}

ScheduleBOutcome ScheduleBOutcomeOf(bool cancelled, Route route, const RunState& state) {
  if (cancelled) return ScheduleBOutcome::kCancelled;
  if (route == Route::kShort) return ScheduleBOutcome::kNoForms;
  ScheduleBOutcome why = ScheduleBOutcome::kWritten;
  ScheduleBIsDue(state, &why);
  return why;
}

}  // namespace qreport
