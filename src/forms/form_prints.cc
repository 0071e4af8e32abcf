#include "forms/form_prints.h"

#include <string_view>

#include "data/errors.h"
#include "data/rates.h"
#include "data/report_writer.h"
#include "forms/employer_block.h"
#include "forms/form941.h"
#include "forms/form941_layout.h"
#include "forms/voucher.h"

namespace qreport {
namespace {

FormRates ReadFormRates(std::string_view folder) {
  try {
    return ToFormRates(ReadFicaRates(folder));
  } catch (const RunError&) {
    return {};
  }
}

// The quarter's employee pass; employee files that cannot be read end it with what it has.
QuarterTotals QuarterPass(std::string_view data_dir, Cents ss_base) {
  QuarterTotals totals;
  try {
    EmployeeWalk walk(data_dir, /*with_plans=*/false);
    Employee e;
    while (walk.Next(e)) AddEmployeeToQuarter(e, ss_base, totals);
  } catch (const RunError&) {
  }
  return totals;
}

void AppendToReport(const std::filesystem::path& report, std::string_view bytes) {
  ReportWriter out(report, /*append=*/true);
  out.Text(bytes);
  out.Close();
}

}  // namespace

void PrintForm941Facsimile(RunContext& ctx, const std::filesystem::path& report) {
  RunState& s = ctx.state;
  LetterheadLines letterhead = ReadLetterhead(ctx.WorkDir);
  FormRates rates = ReadFormRates(ctx.WorkDir);

  Form941Page page;
  page.employer = ReadEmployerBlock(s);
  page.form_year = FormYear(s.ReportDate);
  page.quarter = QuarterOfMonthText(s.ReportDate);

  QuarterTotals quarter = QuarterPass(s.DataDir, rates.ss_base);
  page.lines = ComputeForm941Lines(quarter, rates, s, ctx.PlanTotalA);
  s.Adjust7a = page.lines.line7a;

  page.state_code = s.StateCode;
  page.designee_name = s.DesigneeName;
  page.designee_phone = s.DesigneePhone;
  page.monthly_depositor = s.MonthlyDepositor == "Y";
  page.semiweekly_depositor = s.SemiweeklyDepositor == "Y";
  s.PreparerCodes = UpperCase(s.PreparerCodes);
  std::array<std::string, 5> preparer = PreparerLines(s.PreparerCodes, letterhead);
  page.preparer = {preparer[0], preparer[1], preparer[2]};

  AppendToReport(report, Form941Pages(page));
}

void PrintPaymentVoucher(RunContext& ctx, const std::filesystem::path& report) {
  EmployerBlock employer = ReadEmployerBlock(ctx.state);
  AppendToReport(report, VoucherText(MakeVoucherPage(ctx.state, employer.ein_text)));
}

}  // namespace qreport
