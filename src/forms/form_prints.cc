#include "forms/form_prints.h"

#include <string_view>

#include "data/bytes.h"
#include "data/errors.h"
#include "data/rates.h"
#include "data/report_writer.h"
#include "forms/employer_block.h"
#include "forms/form941.h"
#include "forms/form941_layout.h"
#include "forms/form944.h"
#include "forms/form944_layout.h"
#include "forms/voucher.h"
#include "text/ascii.h"
#include "text/numbers.h"

namespace qreport {
namespace {

FormRates ReadFormRates(std::string_view folder) {
  try {
    return ToFormRates(ReadFicaRates(folder));
  } catch (const RunError&) {
    return {};
  }
}

// An employee pass over the index, `add` adding each employee to the totals; employee files that
// cannot be read end it with what it has.
PayTotals EmployeePass(std::string_view data_dir, Cents ss_base, MissingFile missing,
                       void (*add)(const Employee&, Cents, PayTotals&)) {
  PayTotals totals;
  try {
    EmployeeWalk walk(data_dir, /*with_plans=*/false, missing);
    Employee employee;
    while (walk.Next(employee)) add(employee, ss_base, totals);
  } catch (const RunError&) {
  }
  return totals;
}

// The entries both forms print from the run's dialog: the state code, the designee and the paid
// preparer's lines 1 to 3, chosen from the letterhead by the run's codes in upper case.
template <typename FormPage>
void TakeSignatureEntries(const RunState& state, const LetterheadLines& letterhead, FormPage& page) {
  page.state_code = DataText(state.state_code);
  page.designee_name = DataText(state.designee_name);
  page.designee_named = DataText(LetterheadOrText(state.designee_name, letterhead));
  page.designee_phone = DataText(state.designee_phone);
  page.preparer_codes = UpperAscii(state.preparer_codes);
  std::array<std::string, 5> lines = PreparerLines(page.preparer_codes, letterhead);
  page.preparer = {DataText(lines[0]), DataText(lines[1]), DataText(lines[2])};
}

void AppendToReport(const std::filesystem::path& report, std::string_view bytes) {
  ReportWriter out(report, /*append=*/true);
  out.Text(bytes);
  out.Close();
}

}  // namespace

Form941Page ComputeForm941Page(const RunContext& ctx, const PayTotals* quarter_pass) {
  const RunState& state = ctx.state;
  LetterheadLines letterhead = ReadLetterhead(ctx.rates_dir);
  FormRates rates = ReadFormRates(ctx.rates_dir);

  Form941Page page;
  page.employer = ReadEmployerBlock(state, ctx.missing);
  page.form_year = DataText(FormYear(state.report_date));
  page.quarter = QuarterOfMonthText(state.report_date);

  PayTotals quarter = quarter_pass != nullptr ? *quarter_pass
                                               : EmployeePass(state.data_dir, rates.ss_base, ctx.missing, AddEmployeeToQuarter);
  page.lines = ComputeForm941Lines(quarter, rates, ReturnEntriesOf(state), ctx.plan_totals);

  TakeSignatureEntries(state, letterhead, page);
  page.monthly_depositor = state.monthly_depositor;
  page.semiweekly_depositor = state.semiweekly_depositor;
  return page;
}

Form944Page ComputeForm944Page(const RunContext& ctx, const PayTotals* year_pass) {
  const RunState& state = ctx.state;
  LetterheadLines letterhead = ReadLetterhead(ctx.rates_dir);
  FormRates rates = ReadFormRates(ctx.rates_dir);

  Form944Page page;
  page.employer = ReadEmployerBlock(state, ctx.missing);
  page.form_year = DataText(FormYear(page.employer.texts.payroll_date));
  page.month = ParseDecimal(std::string_view(page.employer.texts.payroll_date).substr(0, 2));

  PayTotals year = year_pass != nullptr ? *year_pass
                                        : EmployeePass(state.data_dir, rates.ss_base, ctx.missing, AddEmployeeToYear);
  page.lines = ComputeForm944Lines(year, rates, ReturnEntriesOf(state), ctx.plan_totals);

  TakeSignatureEntries(state, letterhead, page);
  return page;
}

VoucherPage ComputeVoucherPage(const RunContext& ctx) {
  EmployerBlock employer = ReadEmployerBlock(ctx.state, ctx.missing);
  // The voucher shows the employer texts it has just read.
  RunState read = ctx.state;
  TakeEmployerTexts(read, employer.texts);
  VoucherPage page = MakeVoucherPage(read, employer.ein_text);
  page.employer_texts = employer.texts;
  return page;
}

void AppendForm941(const Form941Page& page, const std::filesystem::path& report) {
  AppendToReport(report, Form941Pages(page));
}

void AppendForm944(const Form944Page& page, const std::filesystem::path& report) {
  AppendToReport(report, Form944Pages(page));
}

void AppendVoucher(const VoucherPage& page, const std::filesystem::path& report) {
  AppendToReport(report, VoucherText(page));
}

}  // namespace qreport
