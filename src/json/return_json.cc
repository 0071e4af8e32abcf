#include "json/return_json.h"

#include "text/json_text.h"

namespace qreport {

using Json = nlohmann::ordered_json;

const char* DepositScheduleName(DepositSchedule schedule) {
  switch (schedule) {
    case DepositSchedule::kNone: return "none";
    case DepositSchedule::kUnder2500: return "under_2500";
    case DepositSchedule::kMonthly: return "monthly";
    case DepositSchedule::kSemiweekly: return "semiweekly";
  }
  return "none";
}

namespace {

Json LineValue(const CurrentReturn& filed, const CurrentLine& line) {
  const Cents value = filed[line.figure];
  if (line.kind == LineKind::kBox) return value != 0;
  return value;
}

Json Lines(const CurrentReturn& filed) {
  Json lines = Json::object();
  for (const CurrentLine& line : filed.numbering()) {
    const std::string number(line.number);
    if (line.column == 0) {
      lines[number] = LineValue(filed, line);
    } else {
      lines[number][line.column == 1 ? "column1" : "column2"] = LineValue(filed, line);
    }
  }
  Json months = Json::array();
  for (int month = 0; month < filed.month_count; ++month) months.push_back(filed.months[static_cast<std::size_t>(month)]);
  lines[std::string(filed.schedule_line())] = {
      {"schedule", DepositScheduleName(filed.schedule)}, {"months", months}, {"total", filed.months_total}};
  return lines;
}

}  // namespace

Json CurrentReturnJson(const CurrentReturn& filed) {
  const CurrentReturnHeader& h = filed.header;
  Json j;
  j["form"] = filed.form == FiledForm::k941 ? "941" : "944";
  j["year"] = h.year;
  if (filed.form == FiledForm::k941) {
    j["quarter"] = h.quarter;
  } else {
    j["quarter"] = nullptr;
  }
  j["payroll_year"] = filed.payroll_year;
  j["header"] = {{"ein", BytesToJsonText(h.ein)},         {"name", BytesToJsonText(h.name)},
                 {"trade_name", BytesToJsonText(h.trade_name)}, {"address", BytesToJsonText(h.address)},
                 {"city", BytesToJsonText(h.city)},       {"state", BytesToJsonText(h.state)},
                 {"zip", BytesToJsonText(h.zip)}};
  j["lines"] = Lines(filed);
  // The overpayment's one choice: the dialog has no refund box.
  if (filed.overpaid) {
    j["overpayment_choice"] = "apply_to_next_return";
  } else {
    j["overpayment_choice"] = nullptr;
  }
  if (h.designee_name.empty()) {
    j["designee"] = nullptr;
  } else {
    j["designee"] = {{"name", BytesToJsonText(h.designee_name)}, {"phone", BytesToJsonText(h.designee_phone)}};
  }
  j["left_out"] = {{"7d", filed.left_out_adjustments[0]},
                   {"7e", filed.left_out_adjustments[1]},
                   {"7f", filed.left_out_adjustments[2]},
                   {"7g", filed.left_out_adjustments[3]},
                   {"advance_eic", filed.advance_eic}};
  return j;
}

}  // namespace qreport
