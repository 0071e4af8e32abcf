#include "data/client_rules.h"

#include <array>

#include "text/ascii.h"

namespace qreport {
namespace {

bool AllDigits(std::string_view text) { return text.find_first_not_of("0123456789") == std::string_view::npos; }

std::string_view WithoutPadding(std::string_view text) {
  std::size_t end = text.find_last_not_of(std::string_view(" \0", 2));
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

// The text as a message quotes it: control bytes as blanks.
std::string Quoted(std::string_view text) {
  std::string out(WithoutPadding(text));
  for (char& c : out) {
    auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) c = ' ';
  }
  return "\"" + out + "\"";
}

}  // namespace

std::string EinWithSuffix(std::string_view ein_field, std::uint8_t suffix) {
  std::string ein(ein_field.substr(0, 10));
  if (suffix > 28) {
    ein.resize(10, ' ');
    ein += static_cast<char>(suffix);
  }
  return ein;
}

std::optional<std::string> EinProblem(std::string_view ein_with_suffix) {
  std::string_view ein = WithoutPadding(ein_with_suffix);
  if (ein.size() == 10 && ein[2] == '-' && AllDigits(ein.substr(0, 2)) && AllDigits(ein.substr(3))) return std::nullopt;
  if (ein.size() == 9 && AllDigits(ein)) return std::nullopt;  // without its dash: the forms print it the same
  return "the EIN " + Quoted(ein) + " is not nine digits written NN-NNNNNNN";
}

std::optional<std::string> PayrollDateProblem(std::string_view mmddyy) {
  std::string_view date = WithoutPadding(mmddyy);
  if (date.size() == 6 && AllDigits(date)) {
    int month = (date[0] - '0') * 10 + (date[1] - '0');
    int day = (date[2] - '0') * 10 + (date[3] - '0');
    int year = (date[4] - '0') * 10 + (date[5] - '0');
    static constexpr std::array<int, 12> kDays = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool real = month >= 1 && month <= 12 && day >= 1 && day <= kDays[static_cast<std::size_t>(month - 1)] &&
                !(month == 2 && day == 29 && year % 4 != 0);  // 2000 to 2099: every fourth year is a leap year
    if (real) return std::nullopt;
    return "the payroll date " + Quoted(date) + " is no real date MMDDYY (no month " + std::string(date.substr(0, 2)) +
           " with a day " + std::string(date.substr(2, 2)) + "): the run would find no quarter in it";
  }
  return "the payroll date " + Quoted(date) + " is not six digits MMDDYY";
}

std::optional<std::string> CityLineProblem(std::string_view city_line, std::string_view state, std::string_view zip) {
  if (city_line.find(',') == std::string_view::npos) {
    return "the city line " + Quoted(city_line) +
           " has no comma between the city and the state and ZIP (\"CITY, ST 12345\"): the forms would print the "
           "state and ZIP blank";
  }
  if (state.empty() || zip.empty()) {
    return "the city line " + Quoted(city_line) + " gives no " + (state.empty() ? "state" : "ZIP") +
           " after its comma (\"CITY, ST 12345\"): the forms would print it blank";
  }
  return std::nullopt;
}

std::optional<char> FicaFlagFromText(std::string_view text) {
  std::string flag = UpperAscii(Trim(text));
  if (flag == "Y" || flag == "YES") return kSubjectToFica;
  if (flag == "N" || flag == "NO") return kNotSubjectToFica;
  return std::nullopt;
}

std::optional<std::string> TextBytesProblem(std::string_view text) {
  for (unsigned char b : text) {
    if (b == 0) continue;
    if (b < 0x20 || b == 0x7F) return "holds a control byte (printed as a blank)";
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
      return "holds a byte code page 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90 or 0x9D): no letter prints for it";
    }
  }
  return std::nullopt;
}

std::optional<std::string> ClientFileSizeProblem(std::optional<std::uint64_t> size, std::size_t record_length) {
  if (!size) return "there is no client file CLIENT: the return would carry no employer, EIN or payroll date";
  if (*size < 2 * record_length) {
    return "the client file CLIENT is cut short (" + std::to_string(*size) + " bytes of the " +
           std::to_string(2 * record_length) + " of its two records): the missing bytes read as zero";
  }
  return std::nullopt;
}

}  // namespace qreport
