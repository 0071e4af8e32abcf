#include "json/figures_json.h"

#include <string>

#include "json/text_json.h"
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

Json DialogJson(const RunState& s, ReportPath path) {
  Json d;
  if (path == ReportPath::kShort) {
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

Json WorksheetJson(const WorksheetFigures& w, Json employees) {
  const WorksheetTotals& t = w.totals;
  const TaxFigures& f = w.taxes;
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
  return {{"trade_name", BytesToJsonText(w.trade_name)},
          {"employees", std::move(employees)},
          {"totals", totals},
          {"recap", recap},
          {"plan_totals", plans}};
}

Json Form941LinesJson(const Form941Lines& l) {
  return {{"1", l.line1},       {"2", l.line2},         {"3", l.line3},
          {"5a_wages", l.ss_wages}, {"5a", l.line5a},     {"5b_tips", l.tips},
          {"5b", l.line5b},     {"5c_wages", l.tips_and_medicare_wages}, {"5c", l.line5c},
          {"5d", l.line5d},     {"6", l.line6},         {"7a", l.line7a},
          {"7b", l.line7b},     {"7c", l.line7c},       {"7d", l.line7d},
          {"7e", l.line7e},     {"7f", l.line7f},       {"7g", l.line7g},
          {"7h", l.line7h},     {"8", l.line8},         {"9", l.line9},
          {"10", l.line10},     {"11", l.line11},       {"12", l.line12},
          {"13", l.line13},     {"months_total", l.month_total}};
}

Json Form944LinesJson(const Form944Lines& l) {
  return {{"1", l.line1},         {"2", l.line2},         {"4a_wages", l.ss_wages},
          {"4a", l.line4a},       {"4b_tips", l.tips},    {"4b", l.line4b},
          {"4c_wages", l.tips_and_medicare_wages}, {"4c", l.line4c}, {"4d", l.line4d},
          {"5", l.line5},         {"adjust_7a", l.adjust7a}, {"adjust_7b", l.adjust7b},
          {"adjust_7c", l.adjust7c}, {"adjust_7d", l.adjust7d}, {"adjust_7e", l.adjust7e},
          {"adjust_7f", l.adjust7f}, {"adjust_7g", l.adjust7g}, {"6f", l.line6f},
          {"7", l.line7},         {"8", l.line8},         {"9", l.line9},
          {"10", l.line10},       {"11", l.line11},       {"12", l.line12},
          {"months_total", l.year_liability}};
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

nlohmann::ordered_json FiguresJson(const ReportFigures& f, nlohmann::ordered_json employees) {
  Json j;
  j["path"] = f.path == ReportPath::kForm ? "form" : "short";
  if (f.form941) {
    j["form"] = "941";
  } else if (f.form944) {
    j["form"] = "944";
  } else {
    j["form"] = nullptr;
  }
  j["quarter"] = f.quarter;
  j["year"] = f.year;
  j["cancelled"] = f.cancelled;
  j["dialog"] = DialogJson(f.state, f.path);
  Json months = Json::array();
  if (f.form941) {
    const Form941Lines& l = f.form941->lines;
    j["lines"] = Form941LinesJson(l);
    for (int m = 1; m <= 3; ++m) months.push_back(l.month[static_cast<std::size_t>(m)]);
    j["checks"] = {{"overpaid", l.overpaid}, {"under_2500", l.under_2500}, {"months_shown", l.show_months}};
    j["employer"] = EmployerJson(f.form941->employer);
  } else if (f.form944) {
    const Form944Lines& l = f.form944->lines;
    j["lines"] = Form944LinesJson(l);
    for (int m = 1; m <= 12; ++m) months.push_back(l.month[static_cast<std::size_t>(m)]);
    j["checks"] = {{"overpaid", l.overpaid}, {"under_2500", l.under_2500}, {"months_shown", !l.under_2500}};
    j["employer"] = EmployerJson(f.form944->employer);
  } else {
    j["lines"] = nullptr;
  }
  j["months"] = months;
  j["worksheet"] = f.worksheet ? WorksheetJson(*f.worksheet, std::move(employees)) : Json(nullptr);
  if (f.worksheet_error) j["worksheet_error"] = *f.worksheet_error;
  j["voucher"] = f.voucher ? VoucherJson(*f.voucher) : Json(nullptr);
  j["schedule_b"] = f.schedule_b ? ScheduleBJson(*f.schedule_b) : Json(nullptr);
  return j;
}

nlohmann::ordered_json ClientFiguresJson(std::string_view data_dir, std::string_view work_dir, std::string_view report_kind,
                                         Platform& platform, ReportFigures* figures) {
  EmployeeLinesJson employees;
  WorksheetSink* const sinks[] = {&employees};
  ReportFigures computed = ComputeClientFigures(data_dir, work_dir, report_kind, platform, sinks);
  nlohmann::ordered_json j = FiguresJson(computed, employees.Take());
  if (figures != nullptr) *figures = std::move(computed);
  return j;
}

}  // namespace qreport
