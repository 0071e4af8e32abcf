#include "json/document_rules.h"

#include <algorithm>
#include <map>

#include "text/ascii.h"
#include "text/json_text.h"

namespace qreport {
namespace {

// Two employees that would leave the same bytes in their record.
bool SameRecord(const EmployeeSpec& a, const EmployeeSpec& b) {
  return a.key == b.key && a.name == b.name && a.fica_flag == b.fica_flag && a.misc_amount_1 == b.misc_amount_1 &&
         a.qtd.values == b.qtd.values && a.ytd.values == b.ytd.values && a.other.values == b.other.values &&
         a.exempt_code == b.exempt_code && a.plans.values == b.plans.values;
}

}  // namespace

std::string Excerpt(std::string_view value) {
  if (value.size() <= kExcerptBytes) return std::string(value);
  std::size_t cut = kExcerptBytes;
  while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;  // not inside a UTF-8 character
  return std::string(value.substr(0, cut)) + "...";
}

std::optional<Cents> ParseAmountText(std::string_view text, std::string& why) {
  std::string_view t = text;
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  bool negative = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (!t.empty() && t.front() == '$') t.remove_prefix(1);
  Cents whole = 0;
  int digits = 0, decimals = 0;
  bool point = false;
  for (char c : t) {
    if (c == ',' && !point && digits > 0) continue;
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9' || decimals == 2 || (!point && digits >= 12)) {
      why = "expected an amount such as 1234.56 (at most two decimals)";
      return std::nullopt;
    }
    whole = whole * 10 + (c - '0');
    if (point) ++decimals; else ++digits;
  }
  if (digits + decimals == 0) {
    why = "expected an amount such as 1234.56";
    return std::nullopt;
  }
  for (; decimals < 2; ++decimals) whole *= 10;
  Cents cents = negative ? -whole : whole;
  if (cents < kLowestPacked || cents > kHighestPacked) {
    why = "the amount does not fit a packed amount (whole units from -2147483648 to 2147483647)";
    return std::nullopt;
  }
  return cents;
}

void CheckRecordNumbers(const std::vector<EmployeeSpec>& employees, const std::vector<std::string>& places,
                        const std::vector<std::string>& names, std::vector<std::string>& errors) {
  constexpr std::size_t kFree = std::numeric_limits<std::size_t>::max();
  std::vector<std::size_t> holder(static_cast<std::size_t>(kHighestRecordNumber) + 1, kFree);
  int next = 1;
  for (std::size_t i = 0; i < employees.size(); ++i) {
    const EmployeeSpec& employee = employees[i];
    int number = employee.record_number;
    if (number == 0 && !employee.literal_record_number) {
      if (next > kHighestRecordNumber) {
        errors.push_back(places[i] + ": employee " + std::to_string(i + 1) + " is more than the record files hold: they end at record " +
                         std::to_string(kHighestRecordNumber) + " (give record numbers to reuse free ones)");
        return;
      }
      number = next;
    }
    next = std::max(next, number + 1);
    if (number < 1) continue;
    std::size_t& first = holder[static_cast<std::size_t>(number)];
    if (first == kFree) {
      first = i;
    } else if (!SameRecord(employees[first], employee)) {
      errors.push_back(places[i] + ": record number " + std::to_string(number) + " is already that of " + names[first] +
                       ", with other contents: one would overwrite the other");
    }
  }
}

void CheckEmployeeKeys(const std::vector<EmployeeSpec>& employees, const std::vector<std::string>& places,
                       const std::vector<std::string>& names, std::vector<std::string>& errors) {
  std::map<std::string, std::size_t> first;  // each key and the first employee with it
  for (std::size_t i = 0; i < employees.size(); ++i) {
    const EmployeeSpec& employee = employees[i];
    if (employee.literal_record_number && employee.record_number < 1) continue;
    std::string key = TrimRight(employee.index_key.value_or(employee.key), std::string_view(" \0", 2));
    auto [it, fresh] = first.emplace(key, i);
    if (!fresh) {
      errors.push_back(places[i] + ": the employee key \"" + Excerpt(BytesToJsonText(key)) + "\" is already that of " +
                       names[it->second] + ": the run would read both as one employee's entries");
    }
  }
}

}  // namespace qreport
