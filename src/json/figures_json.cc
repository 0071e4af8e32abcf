#include "json/figures_json.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

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
Json ScheduleBJson(const ScheduleB& b) {
  Json days = Json::array();
  for (const auto& month : b.days) days.push_back(month);
  return {{"days", days}, {"month3_other", b.month3_other}, {"months", b.months}, {"total", b.total}};
}

Json DialogJson(const RunState& s, Route route) {
  Json d;
  if (route == Route::kShort) {
    d["federal_withholding_adjust"] = BytesToJsonText(s.FederalWithholdingAdjust);
    d["fica_withholding_adjust"] = BytesToJsonText(s.FicaWithholdingAdjust);
    d["total_payments"] = BytesToJsonText(s.TotalPaymentsText);
    d["print_device"] = BytesToJsonText(s.PrintDevice);
    return d;
  }
  d["designee_name"] = BytesToJsonText(s.DesigneeName);
  d["designee_phone"] = BytesToJsonText(s.DesigneePhone);
  d["preparer_codes"] = BytesToJsonText(s.PreparerCodes);
  d["state_code"] = BytesToJsonText(s.StateCode);
  d["monthly_depositor"] = s.MonthlyDepositor == "Y";
  d["semiweekly_depositor"] = s.SemiweeklyDepositor == "Y";
  d["print_941"] = s.Print941 == 1;
  d["print_944"] = s.Print944 == 1;
  d["adjustments"] = {{"7a", s.Adjust7a}, {"7b", s.Adjust7b}, {"7c", s.Adjust7c}, {"7d", s.Adjust7d},
                      {"7e", s.Adjust7e}, {"7f", s.Adjust7f}, {"7g", s.Adjust7g}};
  d["deposits"] = s.Line11Deposits;
  Json months = Json::array();
  for (int m = 1; m <= 12; ++m) months.push_back(s.MonthLiability[m]);
  d["month_liabilities"] = months;
  return d;
}

Json WorksheetLineJson(const WorksheetLine& l) {
  return {{"key", BytesToJsonText(l.key)},
          {"name", TrimmedJsonText(l.name)},
          {"wages_and_tips", PrintedCents(l.wages_and_tips)},
          {"fica_taxable", PrintedCents(l.fica_taxable)},
          {"futa_taxable", PrintedCents(l.futa_taxable)},
          {"suta_taxable", PrintedCents(l.suta_taxable)},
          {"sdi_taxable", PrintedCents(l.sdi_taxable)},
          {"tips", PrintedCents(l.tips)},
          {"federal_withheld", PrintedCents(l.federal_withheld)},
          {"state_withheld", PrintedCents(l.state_withheld)},
          {"fica_withheld", PrintedCents(l.fica_withheld)}};
}

// The worksheet part; `employees` writes the items of its "employees" list.
void WriteWorksheet(const WorksheetFigures& w, JsonOut& out, const EmployeeItems& employees) {
  const WorksheetTotals& t = w.totals;
  const TaxFigures& f = w.taxes;
  out.OpenObject("worksheet");
  out.Put("trade_name", BytesToJsonText(w.trade_name));
  out.OpenList("employees");
  employees(out);
  out.Close();
  Json totals = {{"employee_count", t.employee_count},
                 {"wages_and_tips", PrintedCents(t.wages_and_tips)},
                 {"fica_taxable", PrintedCents(t.fica_taxable)},
                 {"futa_taxable", PrintedCents(t.futa_taxable)},
                 {"suta_taxable", PrintedCents(t.suta_taxable)},
                 {"sdi_taxable", PrintedCents(t.sdi_taxable)},
                 {"tips", PrintedCents(t.tips)},
                 {"federal_withheld", PrintedCents(t.federal_withheld)},
                 {"state_withheld", PrintedCents(t.state_withheld)},
                 {"fica_withheld", PrintedCents(t.fica_withheld)},
                 {"medicare_wages", PrintedCents(t.medicare_wages)}};
  Json recap = {
      {"fica", {{"taxable", PrintedCents(t.fica_taxable)}, {"rate", RateText(f.fica_rate)}, {"tax", PrintedCents(f.fica_tax)}}},
      {"medicare",
       {{"taxable", PrintedCents(t.medicare_wages)}, {"rate", RateText(f.medicare_rate)}, {"tax", PrintedCents(f.medicare_tax)}}},
      {"tips",
       {{"taxable", PrintedCents(t.tips)},
        {"rate", RateText(f.tips_rate)},
        {"tax", PrintedCents(f.tips_tax_shown)},
        {"total", PrintedCents(f.fica_total)},
        {"withheld", PrintedCents(t.fica_withheld)},
        {"expense", PrintedCents(f.fica_expense)}}},
      {"futa",
       {{"taxable", PrintedCents(t.futa_taxable)},
        {"rate", RateText(f.futa_rate)},
        {"tax", PrintedCents(f.futa_tax)},
        {"total", PrintedCents(f.futa_tax)},
        {"withheld", 0},
        {"expense", PrintedCents(f.futa_tax)}}},
      {"suta",
       {{"taxable", PrintedCents(t.suta_taxable)},
        {"rate", RateText(f.suta_rate)},
        {"tax", PrintedCents(f.suta_tax)},
        {"total", PrintedCents(f.suta_tax)},
        {"withheld", 0},
        {"expense", PrintedCents(f.suta_tax)}}},
      {"other", {{"taxable", PrintedCents(t.sdi_taxable)}, {"rate", RateText(0)}, {"tax", 0}}},
  };
  Json plans = Json::array();
  for (int plan = 1; plan <= 3; ++plan) plans.push_back(w.plan_totals[plan]);
  out.Put("totals", std::move(totals));
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

Json VoucherJson(const VoucherPage& v) {
  Json crossed = Json::array();
  for (int q = 1; q <= 4; ++q) {
    if (v.quarter_crossed[static_cast<std::size_t>(q)]) crossed.push_back(q);
  }
  return {{"form", v.form},
          {"year", "20" + BytesToJsonText(v.year_digits)},
          {"quarters_marked", crossed},
          {"ein", BytesToJsonText(v.ein_text)},
          {"name", TrimmedJsonText(v.employer_name_field)},
          {"address", BytesToJsonText(v.address)},
          {"city_line", TrimmedJsonText(v.city_line)}};
}

}  // namespace

void EmployeeLinesJson::OnEmployee(const Employee&, const WorksheetLine* line) {
  if (line != nullptr) lines_.push_back(WorksheetLineJson(*line));
}

void WriteFigures(const ReportFigures& f, JsonOut& out, const EmployeeItems& employees) {
  out.OpenObject();
  out.Put("path", f.route == Route::kForm ? "form" : "short");
  if (f.form941) {
    out.Put("form", "941");
  } else if (f.form944) {
    out.Put("form", "944");
  } else {
    out.Put("form", nullptr);
  }
  out.Put("quarter", f.quarter);
  out.Put("year", f.year);
  out.Put("cancelled", f.cancelled);
  out.Put("dialog", DialogJson(f.state, f.route));
  Json months = Json::array();
  if (f.form941) {
    const ReturnLines& l = f.form941->lines;
    out.Put("lines", Form941LinesJson(l));
    for (int m = 1; m <= 3; ++m) months.push_back(l.liabilities[static_cast<std::size_t>(m)]);
    out.Put("checks", {{"overpaid", l.overpaid}, {"under_2500", l.under_2500}, {"months_shown", l.months_shown}});
    out.Put("employer", EmployerJson(f.form941->employer));
  } else if (f.form944) {
    const ReturnLines& l = f.form944->lines;
    out.Put("lines", Form944LinesJson(l));
    for (int m = 1; m <= 12; ++m) months.push_back(l.liabilities[static_cast<std::size_t>(m)]);
    out.Put("checks", {{"overpaid", l.overpaid}, {"under_2500", l.under_2500}, {"months_shown", l.months_shown}});
    out.Put("employer", EmployerJson(f.form944->employer));
  } else {
    out.Put("lines", nullptr);
  }
  out.Put("months", std::move(months));
  if (f.worksheet) {
    WriteWorksheet(*f.worksheet, out, employees);
  } else {
    out.Put("worksheet", nullptr);
  }
  if (f.worksheet_error) out.Put("worksheet_error", *f.worksheet_error);
  out.Put("voucher", f.voucher ? VoucherJson(*f.voucher) : Json(nullptr));
  out.Put("schedule_b", f.schedule_b ? ScheduleBJson(*f.schedule_b) : Json(nullptr));
  out.Close();
}

nlohmann::ordered_json FiguresJson(const ReportFigures& f, nlohmann::ordered_json employees) {
  JsonTree tree;
  WriteFigures(f, tree, [&employees](JsonOut& out) {
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

  void OnEmployee(const Employee&, const WorksheetLine* line) override {
    if (line == nullptr) return;
    held_ += WorksheetLineJson(*line).dump();
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
};

}  // namespace

ReportFigures WriteClientFigures(std::string_view data_dir, std::string_view rates_dir, std::string_view report_kind,
                                 Platform& platform, JsonOut& out) {
  EmployeeLinesSpool employees;
  WorksheetSink* const sinks[] = {&employees};
  ReportFigures figures = ComputeClientFigures(data_dir, rates_dir, report_kind, platform, sinks);
  WriteFigures(figures, out, [&employees](JsonOut& o) { employees.Replay(o); });
  return figures;
}

}  // namespace qreport
