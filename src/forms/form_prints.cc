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

FormRates ReadFormRates(std::string_view folder, MissingFile missing) {
  try {
    return ToFormRates(ReadFicaRates(folder, missing));
  } catch (const RunError&) {
    return {};
  }
}

// The quarter's employee pass; employee files that cannot be read end it with what it has.
QuarterTotals QuarterPass(std::string_view data_dir, Cents ss_base, MissingFile missing) {
  QuarterTotals totals;
  try {
    EmployeeWalk walk(data_dir, /*with_plans=*/false, missing);
    Employee e;
    while (walk.Next(e)) AddEmployeeToQuarter(e, ss_base, totals);
  } catch (const RunError&) {
  }
  return totals;
}

// The year's employee pass, ended likewise.
YearTotals YearPass(std::string_view data_dir, Cents ss_base, MissingFile missing) {
  YearTotals totals;
  try {
    EmployeeWalk walk(data_dir, /*with_plans=*/false, missing);
    Employee e;
    while (walk.Next(e)) AddEmployeeToYear(e, ss_base, totals);
  } catch (const RunError&) {
  }
  return totals;
}

// Preparer lines 1 to 3 from the run's codes, which are left in upper case.
std::array<std::string, 3> PreparerLinesOf(RunState& s, const LetterheadLines& letterhead) {
  s.PreparerCodes = UpperAscii(s.PreparerCodes);
  std::array<std::string, 5> lines = PreparerLines(s.PreparerCodes, letterhead);
  return {DataText(lines[0]), DataText(lines[1]), DataText(lines[2])};
}

void AppendToReport(const std::filesystem::path& report, std::string_view bytes) {
  ReportWriter out(report, /*append=*/true);
  out.Text(bytes);
  out.Close();
}

}  // namespace

Form941Page ComputeForm941Page(RunContext& ctx, const QuarterTotals* quarter_pass) {
  RunState& s = ctx.state;
  LetterheadLines letterhead = ReadLetterhead(ctx.work_dir, {}, ctx.missing);
  FormRates rates = ReadFormRates(ctx.work_dir, ctx.missing);

  Form941Page page;
  page.employer = ReadEmployerBlock(s, ctx.missing);
  page.form_year = DataText(FormYear(s.ReportDate));
  page.quarter = QuarterOfMonthText(s.ReportDate);

  QuarterTotals quarter = quarter_pass != nullptr ? *quarter_pass : QuarterPass(s.DataDir, rates.ss_base, ctx.missing);
  page.lines = ComputeForm941Lines(quarter, rates, s, ctx.plan_totals);
  s.Adjust7a = page.lines.line7a;

  page.state_code = DataText(s.StateCode);
  page.designee_name = DataText(s.DesigneeName);
  page.designee_phone = DataText(s.DesigneePhone);
  page.monthly_depositor = s.MonthlyDepositor == "Y";
  page.semiweekly_depositor = s.SemiweeklyDepositor == "Y";
  page.preparer = PreparerLinesOf(s, letterhead);
  return page;
}

Form944Page ComputeForm944Page(RunContext& ctx, const YearTotals* year_pass) {
  RunState& s = ctx.state;
  LetterheadLines letterhead = ReadLetterhead(ctx.work_dir, {}, ctx.missing);
  FormRates rates = ReadFormRates(ctx.work_dir, ctx.missing);

  Form944Page page;
  page.employer = ReadEmployerBlock(s, ctx.missing);
  page.form_year = DataText(FormYear(s.PayrollDate));
  page.month = ParseDecimal(std::string_view(s.PayrollDate).substr(0, 2));
  s.PrintDevice = "P";

  YearTotals year = year_pass != nullptr ? *year_pass : YearPass(s.DataDir, rates.ss_base, ctx.missing);
  page.lines = ComputeForm944Lines(year, rates, s, ctx.plan_totals);
  s.Adjust7a = page.lines.adjust7a;

  page.state_code = DataText(s.StateCode);
  page.designee_name = DataText(s.DesigneeName);
  page.designee_phone = DataText(s.DesigneePhone);
  page.preparer = PreparerLinesOf(s, letterhead);
  return page;
}

VoucherPage ComputeVoucherPage(RunContext& ctx) {
  EmployerBlock employer = ReadEmployerBlock(ctx.state, ctx.missing);
  return MakeVoucherPage(ctx.state, employer.ein_text);
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

void PrintForm941Facsimile(RunContext& ctx, const std::filesystem::path& report) {
  AppendForm941(ComputeForm941Page(ctx), report);
}

void PrintForm944Facsimile(RunContext& ctx, const std::filesystem::path& report) {
  AppendForm944(ComputeForm944Page(ctx), report);
}

void PrintPaymentVoucher(RunContext& ctx, const std::filesystem::path& report) {
  AppendVoucher(ComputeVoucherPage(ctx), report);
}

}  // namespace qreport
