#include "json/figures_json.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "forms/payroll_law.h"
#include "run/current_return_figures.h"
#include "text/json_text.h"
#include "text/ascii.h"
#include "text/masks.h"

namespace qreport {
namespace {

using Json = nlohmann::ordered_json;

std::string TrimmedJsonText(std::string_view bytes) { return BytesToJsonText(TrimRight(bytes)); }

// A rate as the recap prints it, without the blanks of its mask.
std::string RateText(double percent) { return FormatAmount("0.00", percent); }

// Schedule B: the 31 days of each month, the month totals and the quarter total; records past
// the 93rd are the third month's other entries.
Json ScheduleBJson(const ScheduleB& schedule) {
  Json days = Json::array();
  for (const auto& month : schedule.days) days.push_back(month);
  return {{"days", days}, {"month3_other", schedule.month3_other}, {"months", schedule.months}, {"total", schedule.total}};
}

Json DialogJson(const RunState& state, Route route) {
  Json d;
  if (route == Route::kShort) {
    d["federal_withholding_adjust"] = BytesToJsonText(state.federal_withholding_text);
    d["fica_withholding_adjust"] = BytesToJsonText(state.fica_withholding_text);
    d["total_payments"] = BytesToJsonText(state.total_payments_text);
    d["print_device"] = BytesToJsonText(state.device_code);
    return d;
  }
  d["designee_name"] = BytesToJsonText(state.designee_name);
  d["designee_phone"] = BytesToJsonText(state.designee_phone);
  d["preparer_codes"] = BytesToJsonText(state.preparer_codes);
  d["state_code"] = BytesToJsonText(state.state_code);
  d["monthly_depositor"] = state.monthly_depositor;
  d["semiweekly_depositor"] = state.semiweekly_depositor;
  d["print_941"] = state.print_941;
  d["print_944"] = state.print_944;
  d["adjustments"] = {{"7a", state.adjustment_7a}, {"7b", state.adjustment_7b}, {"7c", state.adjustment_7c}, {"7d", state.adjustment_7d},
                      {"7e", state.adjustment_7e}, {"7f", state.adjustment_7f}, {"7g", state.adjustment_7g}};
  d["deposits"] = state.deposits;
  Json months = Json::array();
  for (int m = 1; m <= 12; ++m) months.push_back(state.month_liability[m]);
  d["month_liabilities"] = months;
  return d;
}

Json WorksheetLineJson(const WorksheetLine& line) {
  return {{"key", BytesToJsonText(line.key)},
          {"name", TrimmedJsonText(line.name)},
          {"wages_and_tips", PrintedCents(line.wages_and_tips)},
          {"fica_taxable", PrintedCents(line.fica_taxable)},
          {"futa_taxable", PrintedCents(line.futa_taxable)},
          {"suta_taxable", PrintedCents(line.suta_taxable)},
          {"sdi_taxable", PrintedCents(line.sdi_taxable)},
          {"tips", PrintedCents(line.tips)},
          {"federal_withheld", PrintedCents(line.federal_withheld)},
          {"state_withheld", PrintedCents(line.state_withheld)},
          {"fica_withheld", PrintedCents(line.fica_withheld)}};
}

// An employee's line with the wages and tips the current return's Additional Medicare Tax line
// counts for it (none before 2013): the quarter's (Form 941's 5d) and the year's (Form 944's 4d).
Json EmployeeLineJson(const Employee& employee, const WorksheetLine& line, int payroll_year) {
  Json j = WorksheetLineJson(line);
  const bool applies = AdditionalMedicareTaxApplies(payroll_year);
  j["additional_medicare_wages"] = applies ? AdditionalMedicareWages(employee, PayPeriod::kQuarter) : 0;
  j["additional_medicare_wages_year"] = applies ? AdditionalMedicareWages(employee, PayPeriod::kYear) : 0;
  return j;
}

int PayrollYearOfHeading(const WorksheetFigures& figures) {
  RunState state;
  state.payroll_date = figures.heading.payroll_date;
  return PayrollYearOf(state);
}

// The worksheet part; `employees` writes the items of its "employees" list.
void WriteWorksheet(const WorksheetFigures& worksheet, JsonOut& out, const EmployeeItems& employees) {
  const WorksheetTotals& totals = worksheet.totals;
  const TaxFigures& taxes = worksheet.taxes;
  out.OpenObject("worksheet");
  out.Put("trade_name", BytesToJsonText(worksheet.trade_name));
  out.OpenList("employees");
  employees(out);
  out.Close();
  Json totals_json = {{"employee_count", totals.employee_count},
                 {"wages_and_tips", PrintedCents(totals.wages_and_tips)},
                 {"fica_taxable", PrintedCents(totals.fica_taxable)},
                 {"futa_taxable", PrintedCents(totals.futa_taxable)},
                 {"suta_taxable", PrintedCents(totals.suta_taxable)},
                 {"sdi_taxable", PrintedCents(totals.sdi_taxable)},
                 {"tips", PrintedCents(totals.tips)},
                 {"federal_withheld", PrintedCents(totals.federal_withheld)},
                 {"state_withheld", PrintedCents(totals.state_withheld)},
                 {"fica_withheld", PrintedCents(totals.fica_withheld)},
                 {"medicare_wages", PrintedCents(totals.medicare_wages)}};
  Json recap = {
      {"fica",
       {{"taxable", PrintedCents(totals.fica_taxable)},
        {"rate", RateText(taxes.fica_rate)},
        {"tax", PrintedCents(taxes.fica_tax)}}},
      {"medicare",
       {{"taxable", PrintedCents(totals.medicare_wages)},
        {"rate", RateText(taxes.medicare_rate)},
        {"tax", PrintedCents(taxes.medicare_tax)}}},
      {"tips",
       {{"taxable", PrintedCents(totals.tips)},
        {"rate", RateText(taxes.tips_rate)},
        {"tax", PrintedCents(taxes.tips_tax_shown)},
        {"total", PrintedCents(taxes.fica_total)},
        {"withheld", PrintedCents(totals.fica_withheld)},
        {"expense", PrintedCents(taxes.fica_expense)}}},
      {"futa",
       {{"taxable", PrintedCents(totals.futa_taxable)},
        {"rate", RateText(taxes.futa_rate)},
        {"tax", PrintedCents(taxes.futa_tax)},
        {"total", PrintedCents(taxes.futa_tax)},
        {"withheld", 0},
        {"expense", PrintedCents(taxes.futa_tax)}}},
      {"suta",
       {{"taxable", PrintedCents(totals.suta_taxable)},
        {"rate", RateText(taxes.suta_rate)},
        {"tax", PrintedCents(taxes.suta_tax)},
        {"total", PrintedCents(taxes.suta_tax)},
        {"withheld", 0},
        {"expense", PrintedCents(taxes.suta_tax)}}},
      {"other", {{"taxable", PrintedCents(totals.sdi_taxable)}, {"rate", RateText(0)}, {"tax", 0}}},
  };
  Json plans = Json::array();
  for (int plan = 1; plan <= 3; ++plan) plans.push_back(worksheet.plan_totals[plan]);
  out.Put("totals", std::move(totals_json));
  out.Put("recap", std::move(recap));
  out.Put("plan_totals", std::move(plans));
  out.Close();
}

Json Form941LinesJson(const ReturnLines& lines) {
  return {
      {"1", lines[Form941Line("1")]},
      {"2", lines[Form941Line("2")]},
      {"3", lines[Form941Line("3")]},
      {"5a_wages", lines[Form941Line("5a", 1)]},
      {"5a", lines[Form941Line("5a", 2)]},
      {"5b_tips", lines[Form941Line("5b", 1)]},
      {"5b", lines[Form941Line("5b", 2)]},
      {"5c_wages", lines[Form941Line("5c", 1)]},
      {"5c", lines[Form941Line("5c", 2)]},
      {"5d", lines[Form941Line("5d")]},
      {"6", lines[Form941Line("6")]},
      {"7a", lines[Form941Line("7a")]},
      {"7b", lines[Form941Line("7b")]},
      {"7c", lines[Form941Line("7c")]},
      {"7d", lines[Form941Line("7d")]},
      {"7e", lines[Form941Line("7e")]},
      {"7f", lines[Form941Line("7f")]},
      {"7g", lines[Form941Line("7g")]},
      {"7h", lines[Form941Line("7h")]},
      {"8", lines[Form941Line("8")]},
      {"9", lines[Form941Line("9")]},
      {"10", lines[Form941Line("10")]},
      {"11", lines[Form941Line("11")]},
      {"12", lines[Form941Line("12")]},
      {"13", lines[Form941Line("13")]},
      {"months_total", lines[ReturnLine::kLiabilityTotal]},
  };
}

// Form 944 shows some adjustments in boxes without numbers (7b) or in none (7c): all seven are
// given under the run's names.
Json Form944LinesJson(const ReturnLines& lines) {
  return {
      {"1", lines[Form944Line("1")]},
      {"2", lines[Form944Line("2")]},
      {"4a_wages", lines[Form944Line("4a", 1)]},
      {"4a", lines[Form944Line("4a", 2)]},
      {"4b_tips", lines[Form944Line("4b", 1)]},
      {"4b", lines[Form944Line("4b", 2)]},
      {"4c_wages", lines[Form944Line("4c", 1)]},
      {"4c", lines[Form944Line("4c", 2)]},
      {"4d", lines[Form944Line("4d")]},
      {"5", lines[Form944Line("5")]},
      {"adjust_7a", lines[ReturnLine::kAdjustment7a]},
      {"adjust_7b", lines[ReturnLine::kAdjustment7b]},
      {"adjust_7c", lines[ReturnLine::kAdjustment7c]},
      {"adjust_7d", lines[ReturnLine::kAdjustment7d]},
      {"adjust_7e", lines[ReturnLine::kAdjustment7e]},
      {"adjust_7f", lines[ReturnLine::kAdjustment7f]},
      {"adjust_7g", lines[ReturnLine::kAdjustment7g]},
      {"6f", lines[Form944Line("6f")]},
      {"7", lines[Form944Line("7")]},
      {"8", lines[Form944Line("8")]},
      {"9", lines[Form944Line("9")]},
      {"10", lines[Form944Line("10")]},
      {"11", lines[Form944Line("11")]},
      {"12", lines[Form944Line("12")]},
      {"months_total", lines[ReturnLine::kLiabilityTotal]},
  };
}

Json EmployerJson(const EmployerBlock& e) {
  return {{"name", BytesToJsonText(e.employer_name)},
          {"trade_name", BytesToJsonText(e.trade_name)},
          {"address", BytesToJsonText(e.address)},
          {"city", BytesToJsonText(e.city_state_zip.city)},
          {"state", BytesToJsonText(e.city_state_zip.state)},
          {"zip", BytesToJsonText(e.city_state_zip.zip)},
          {"ein", BytesToJsonText(e.ein_text)}};
}

Json VoucherJson(const VoucherPage& voucher) {
  Json crossed = Json::array();
  for (int q = 1; q <= 4; ++q) {
    if (voucher.quarter_crossed[static_cast<std::size_t>(q)]) crossed.push_back(q);
  }
  return {{"form", voucher.form},
          {"year", "20" + BytesToJsonText(voucher.year_digits)},
          {"quarters_marked", crossed},
          {"ein", BytesToJsonText(voucher.ein_text)},
          {"name", TrimmedJsonText(voucher.employer_name_field)},
          {"address", BytesToJsonText(voucher.address)},
          {"city_line", TrimmedJsonText(voucher.city_line)}};
}

}  // namespace

void EmployeeLinesJson::Start(const WorksheetFigures& figures) { payroll_year_ = PayrollYearOfHeading(figures); }

void EmployeeLinesJson::OnEmployee(const Employee& employee, const WorksheetLine* line) {
  if (line != nullptr) lines_.push_back(EmployeeLineJson(employee, *line, payroll_year_));
}

void WriteFigures(const ReportFigures& figures, JsonOut& out, const EmployeeItems& employees) {
  out.OpenObject();
  out.Put("path", figures.route == Route::kForm ? "form" : "short");
  if (figures.form941) {
    out.Put("form", "941");
  } else if (figures.form944) {
    out.Put("form", "944");
  } else {
    out.Put("form", nullptr);
  }
  out.Put("quarter", figures.quarter);
  out.Put("year", figures.year);
  out.Put("cancelled", figures.cancelled);
  out.Put("dialog", DialogJson(figures.state, figures.route));
  Json months = Json::array();
  if (figures.form941) {
    const ReturnLines& lines = figures.form941->lines;
    out.Put("lines", Form941LinesJson(lines));
    for (int m = 1; m <= 3; ++m) months.push_back(lines.liabilities[static_cast<std::size_t>(m)]);
    out.Put("checks", {{"overpaid", lines.overpaid}, {"under_2500", lines.under_2500}, {"months_shown", lines.months_shown}});
    out.Put("employer", EmployerJson(figures.form941->employer));
  } else if (figures.form944) {
    const ReturnLines& lines = figures.form944->lines;
    out.Put("lines", Form944LinesJson(lines));
    for (int m = 1; m <= 12; ++m) months.push_back(lines.liabilities[static_cast<std::size_t>(m)]);
    out.Put("checks", {{"overpaid", lines.overpaid}, {"under_2500", lines.under_2500}, {"months_shown", lines.months_shown}});
    out.Put("employer", EmployerJson(figures.form944->employer));
  } else {
    out.Put("lines", nullptr);
  }
  out.Put("months", std::move(months));
  if (figures.worksheet) {
    WriteWorksheet(*figures.worksheet, out, employees);
  } else {
    out.Put("worksheet", nullptr);
  }
  if (figures.worksheet_error) out.Put("worksheet_error", *figures.worksheet_error);
  out.Put("voucher", figures.voucher ? VoucherJson(*figures.voucher) : Json(nullptr));
  out.Put("schedule_b", figures.schedule_b ? ScheduleBJson(*figures.schedule_b) : Json(nullptr));
  out.Close();
}

nlohmann::ordered_json FiguresJson(const ReportFigures& figures, nlohmann::ordered_json employees) {
  JsonTree tree;
  WriteFigures(figures, tree, [&employees](JsonOut& out) {
    for (Json& line : employees) out.Item(std::move(line));
  });
  return tree.Take();
}

nlohmann::ordered_json ClientFiguresJson(std::string_view data_dir, std::string_view rates_dir, std::string_view report_kind,
                                         Platform& platform, ReportFigures* figures) {
  EmployeeLinesJson employees;
  WorksheetSink* const sinks[] = {&employees};
  ReportFigures computed = ComputeClientFigures(data_dir, rates_dir, report_kind, platform, sinks);
  nlohmann::ordered_json j = FiguresJson(computed, employees.Take());
  if (figures != nullptr) *figures = std::move(computed);
  return j;
}

namespace {

// The worksheet's employee lines as the pass makes them, kept until their place in the document
// comes (the document names the forms' lines first, which need the whole pass): one compact JSON
// text a line, in memory up to kInMemory bytes and past that in an unnamed temporary file, so
// that memory stays the same whatever the number of employees. A temporary file that cannot be
// made or written (a full disk) leaves the rest in memory: the document is still whole.
class EmployeeLinesSpool final : public WorksheetSink {
 public:
  ~EmployeeLinesSpool() override {
    if (file_ != nullptr) std::fclose(file_);
  }

  void Start(const WorksheetFigures& figures) override { payroll_year_ = PayrollYearOfHeading(figures); }

  void OnEmployee(const Employee& employee, const WorksheetLine* line) override {
    if (line == nullptr) return;
    held_ += EmployeeLineJson(employee, *line, payroll_year_).dump();
    held_ += '\n';
    if (held_.size() >= kInMemory && !full_) Spill();
  }

  // Hands every line to `out` as an item, in the order the pass made them. Throws
  // std::runtime_error when the temporary file cannot be read back.
  void Replay(JsonOut& out) {
    std::string pending;
    auto items = [&out, &pending](std::string_view text) {
      pending += text;
      std::size_t from = 0;
      for (std::size_t at = pending.find('\n'); at != std::string::npos; at = pending.find('\n', from)) {
        out.Item(Json::parse(std::string_view(pending).substr(from, at - from)));
        from = at + 1;
      }
      pending.erase(0, from);
    };
    if (spilled_ > 0) {
      if (std::fseek(file_, 0, SEEK_SET) != 0) throw ReadBackError();
      char buffer[1 << 16];
      for (std::uint64_t left = spilled_; left > 0;) {
        std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof buffer)), file_);
        if (got == 0) throw ReadBackError();
        items({buffer, got});
        left -= got;
      }
    }
    items(held_);
  }

 private:
  static constexpr std::size_t kInMemory = std::size_t{1} << 20;

  // Unbuffered, so that a short write says at once how much of the text is in the file.
  void Spill() {
    if (file_ == nullptr) {
      file_ = std::tmpfile();
      if (file_ == nullptr || std::setvbuf(file_, nullptr, _IONBF, 0) != 0) {
        full_ = true;
        return;
      }
    }
    std::size_t written = std::fwrite(held_.data(), 1, held_.size(), file_);
    spilled_ += written;
    held_.erase(0, written);
    if (!held_.empty()) full_ = true;
  }

  static std::runtime_error ReadBackError() {
    return std::runtime_error("the temporary file of the employee lines cannot be read back");
  }

  std::string held_;
  std::FILE* file_ = nullptr;
  std::uint64_t spilled_ = 0;  // the bytes in the file, all before those held
  bool full_ = false;          // no more goes to the file
  int payroll_year_ = 0;
};

}  // namespace

ReportFigures WriteClientFigures(std::string_view data_dir, std::string_view rates_dir, std::string_view report_kind,
                                 Platform& platform, JsonOut& out) {
  RunSetup setup;
  setup.data_dir = std::string(data_dir);
  setup.rates_dir = std::string(rates_dir);
  setup.report_kind = std::string(report_kind);
  return WriteClientFigures(std::move(setup), platform, out);
}

ReportFigures WriteClientFigures(RunSetup setup, Platform& platform, JsonOut& out) {
  EmployeeLinesSpool employees;
  WorksheetSink* const sinks[] = {&employees};
  ReportFigures figures = ComputeClientFigures(std::move(setup), platform, sinks);
  if (!figures.answers_errors.empty()) return figures;
  WriteFigures(figures, out, [&employees](JsonOut& o) { employees.Replay(o); });
  return figures;
}

}  // namespace qreport
