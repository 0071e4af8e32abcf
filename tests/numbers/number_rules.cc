// The number rules run over a list of cases, one line of results per case, for comparing the
// builds: the Linux program and the Windows one (under wine) must print the same bytes. Every
// place the module rounds a double is reached: the decimal text rule, storing as cents, the
// running sums in cents, the recap's roundings and rate products, the forms' stored products and
// the fraction-of-cents rule, and the number masks. Doubles are printed as their 64 bits, so a
// difference in the last bit shows even where the printed amount hides it.
//
//   number_rules CASES     each line is a kind and its operands, separated by blanks:
//     text T                 one decimal text, as a record field and as a dialog's money text
//     sum T1 T2 ...          amounts added up as the liability months, the worksheet and the forms do
//     rates S1 S2 M1 M2 U AMOUNT TIPS   the recap's and the forms' products of rates and amounts
//     room BASE YEAR QUARTER the room under a wage base
//     gap LIABILITY TAXES A1 ... A7     the fraction-of-cents rule with the seven adjustments
#include <bit>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "data/rates.h"
#include "forms/form941.h"
#include "forms/form_money.h"
#include "run/dialogs.h"
#include "state/run_state.h"
#include "text/masks.h"
#include "text/numbers.h"
#include "worksheet/accumulation.h"
#include "worksheet/recap.h"

namespace {

using namespace qreport;

// The masks the worksheet and the forms print with, and one with more places than cents.
constexpr std::string_view kMasks[] = {"#,###,###.##", "###,###.##", "  ###.## ", "#,###,###.00", "#.######"};

std::string Bits(double value) {
  std::ostringstream out;
  out << std::hex << std::bit_cast<std::uint64_t>(value);
  return out.str();
}

// A double as its bits, as every mask prints it, and as the cents the page shows.
std::string Shown(double value) {
  std::string out = Bits(value) + " [" + NumberText(value) + "]";
  for (std::string_view mask : kMasks) out += " [" + FormatAmount(mask, value) + "]";
  return out + " " + std::to_string(PrintedCents(value));
}

void Text(std::ostream& out, const std::string& text) {
  double v = ParseDecimal(text);
  out << " value=" << Shown(v) << " cents=" << ToCents(v) << " even=" << RoundHalfEven(v)
      << " rate=" << ToRate(v) << " box=" << MoneyBoxCents(text) << " round=" << Shown(RoundCents(v))
      << " via_text=" << Shown(RoundCentsViaText(v)) << " divisor=" << Bits(UnemploymentRateDivisor(v));
}

void Sum(std::ostream& out, const std::vector<std::string>& texts) {
  Cents month = 0, form_total = 0;
  double worksheet_total = 0;
  for (const std::string& text : texts) {
    double v = ParseDecimal(text);
    month = AddToCents(month, v);
    form_total = Plus(form_total, ToCents(v));
    worksheet_total += v;
  }
  out << " month=" << month << " form=" << form_total << " worksheet=" << Shown(worksheet_total)
      << " round=" << Shown(RoundCents(worksheet_total)) << " via_text=" << Shown(RoundCentsViaText(worksheet_total));
}

void Rates(std::ostream& out, const std::vector<std::string>& operands) {
  if (operands.size() != 7) {
    out << " malformed";
    return;
  }
  // The rates as the rates file's fields are read (a percentage when 1 or more); the
  // unemployment rate as the client file holds it.
  FicaRates r;
  r.ss_rate1 = RateFromText(operands[0]);
  r.ss_rate2 = RateFromText(operands[1]);
  r.medicare_rate1 = RateFromText(operands[2]);
  r.medicare_rate2 = RateFromText(operands[3]);
  const double unemployment = ParseDecimal(operands[4]);
  const double amount = ParseDecimal(operands[5]);
  const double tips = ParseDecimal(operands[6]);
  r.ss_base = amount;

  WorksheetTotals t;
  t.fica_taxable = t.medicare_wages = t.futa_taxable = t.suta_taxable = amount;
  t.tips = tips;
  t.fica_withheld = amount / 7;
  TaxFigures f = ComputeTaxFigures(t, r, {unemployment, unemployment * 2});
  out << " fica=" << Shown(f.fica_tax) << " medicare=" << Shown(f.medicare_tax)
      << " tips_shown=" << Shown(f.tips_tax_shown) << " tips_combined=" << Shown(f.tips_tax_combined)
      << " total=" << Shown(f.fica_total) << " owed=" << Shown(f.fica_total - t.fica_withheld)
      << " futa=" << Shown(f.futa_tax) << " suta=" << Shown(f.suta_tax);
  // The rates as the worksheet's recap prints them.
  out << " shown_rates=" << Shown((r.ss_rate1 + r.ss_rate2) * 100) << " "
      << Shown((r.ss_rate1 + r.ss_rate2 + r.medicare_rate1 + r.medicare_rate2) * 100) << " "
      << Shown(unemployment * 100 / UnemploymentRateDivisor(unemployment));

  FormRates fr = ToFormRates(r);
  PayrollTaxes p = ComputePayrollTaxes(ToCents(amount), ToCents(tips), ToCents(amount), fr);
  out << " form_rates=" << fr.ss_rate1 << "," << fr.ss_rate2 << "," << fr.medicare_rate1 << "," << fr.medicare_rate2
      << "," << fr.ss_base << " form=" << p.on_ss_wages << "," << p.on_tips << "," << p.medicare << "," << p.total
      << " minus=" << Minus(ToCents(amount), ToCents(tips));
}

void Room(std::ostream& out, const std::vector<std::string>& operands) {
  if (operands.size() != 3) {
    out << " malformed";
    return;
  }
  double base = ParseDecimal(operands[0]), year = ParseDecimal(operands[1]), quarter = ParseDecimal(operands[2]);
  out << " room=" << Shown(RoomUnderBase(base, year, quarter));
}

void Gap(std::ostream& out, const std::vector<std::string>& operands) {
  if (operands.size() != 9) {
    out << " malformed";
    return;
  }
  Adjustments adjustments;
  for (std::size_t i = 0; i < 7; ++i) adjustments[i] = MoneyBoxCents(operands[i + 2]);
  out << " line7a=" << FractionOfCents(MoneyBoxCents(operands[0]), MoneyBoxCents(operands[1]), adjustments);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: number_rules CASES\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "number_rules: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream out;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string kind, word;
    std::vector<std::string> operands;
    words >> kind;
    while (words >> word) operands.push_back(word);
    if (kind.empty() || kind[0] == '#') continue;
    out << number << " " << kind;
    if (kind == "text" && operands.size() == 1) Text(out, operands[0]);
    else if (kind == "sum") Sum(out, operands);
    else if (kind == "rates") Rates(out, operands);
    else if (kind == "room") Room(out, operands);
    else if (kind == "gap") Gap(out, operands);
    else out << " unknown";
    out << "\n";
  }
  std::cout.write(out.str().data(), static_cast<std::streamsize>(out.str().size()));
  std::cout.flush();
  return 0;
}
