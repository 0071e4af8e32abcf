#include "data/client_writer.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>

#include "data/client_file.h"
#include "data/employee_files.h"

namespace qreport {
namespace {

// Puts `text` into `record` at `offset`, blank-padded to `width`.
void PutText(std::string& record, std::size_t offset, std::size_t width, std::string_view text) {
  std::string field(width, ' ');
  field.replace(0, std::min(width, text.size()), text.substr(0, width));
  record.replace(offset, width, field);
}

void PutPacked(std::string& record, std::size_t offset, Cents cents) {
  auto bytes = PackAmount(cents);
  for (std::size_t i = 0; i < bytes.size(); ++i) record[offset + i] = static_cast<char>(bytes[i]);
}

// The client file's two records.
std::string ClientFileBytes(const ClientSpec& client) {
  std::string r1(kClientRecordLength, ' ');
  PutText(r1, kEmployerNameOffset, kEmployerNameWidth, client.employer_name);
  PutText(r1, kTradeNameOffset, kTradeNameWidth, client.trade_name);
  PutText(r1, kAddressOffset, kAddressWidth, client.address);
  r1[kEinSuffixOffset] = static_cast<char>(client.ein_suffix);
  PutText(r1, kPayrollDateOffset, kPayrollDateWidth, client.payroll_date);
  r1[126] = r1[127] = '\0';
  std::string r2(kClientRecordLength, ' ');
  PutText(r2, kFutaRateOffset, kNumberFieldWidth, client.futa_rate);
  PutText(r2, kFutaBaseOffset, kNumberFieldWidth, client.futa_base);
  PutText(r2, kSutaRateOffset, kNumberFieldWidth, client.suta_rate);
  PutText(r2, kSutaBaseOffset, kNumberFieldWidth, client.suta_base);
  PutText(r2, kEinOffset, kEinWidth, client.ein);
  PutText(r2, kCityLineOffset, kCityLineWidth, client.city_line);
  return r1 + r2;
}

// The index entry of an employee: its key and record number.
std::string IndexEntry(const EmployeeSpec& employee, std::int16_t number) {
  std::string entry(kIndexRecordLength, ' ');
  PutText(entry, 0, 6, employee.index_key.value_or(employee.key));
  entry[6] = static_cast<char>(static_cast<std::uint16_t>(number) & 0xFF);
  entry[7] = static_cast<char>(static_cast<std::uint16_t>(number) >> 8);
  return entry;
}

// The employee's record of the master file.
std::string MasterRecord(const EmployeeSpec& employee) {
  std::string r(kEmployeeRecordLength, ' ');
  PutText(r, kKeyOffset, kKeyWidth, employee.key);
  PutText(r, kNameOffset, kNameWidth, employee.name);
  r[kFicaFlagOffset] = employee.fica_flag;
  PutPacked(r, kMiscAmount1Offset, employee.misc_amount_1);
  PutPacked(r, 170, 0);
  for (int item = 1; item <= kAmountItems; ++item) {
    std::size_t at = kPackedAmountLength * static_cast<std::size_t>(item - 1);
    PutPacked(r, kAmountsOtherOffset + at, employee.other[item]);
    PutPacked(r, kAmountsQtdOffset + at, employee.qtd[item]);
    PutPacked(r, kAmountsYtdOffset + at, employee.ytd[item]);
  }
  r[kExemptCodeOffset] = static_cast<char>(employee.exempt_code);
  return r;
}

// The employee's record of the plans file.
std::string PlansRecord(const EmployeeSpec& employee) {
  std::string p(kPlansRecordLength, '\0');
  for (int plan = 1; plan <= kPlans; ++plan) {
    PutPacked(p, static_cast<std::size_t>(plan - 1) * kPlanGroupLength + kPlanAmountAOffset, employee.plans[plan]);
  }
  return p;
}

// Puts `record` at record number `number` (from 1) of `file`, NUL bytes filling any gap before it.
void PlaceRecord(std::string& file, std::int16_t number, const std::string& record) {
  std::size_t at = static_cast<std::size_t>(number - 1) * record.size();
  if (file.size() < at + record.size()) file.resize(at + record.size(), '\0');
  file.replace(at, record.size(), record);
}

}  // namespace

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::array<std::uint8_t, 5> PackAmount(Cents cents) {
  Cents whole = cents >= 0 ? cents / 100 : -((-cents + 99) / 100);
  auto hundredths = static_cast<std::uint8_t>(cents - whole * 100);
  auto w = static_cast<std::uint32_t>(static_cast<std::int32_t>(whole));
  return {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(w >> 16),
          static_cast<std::uint8_t>(w >> 24), hundredths};
}

std::string RightAligned(std::string_view text, std::size_t width) {
  if (text.size() >= width) return std::string(text.substr(0, width));
  return std::string(width - text.size(), ' ') + std::string(text);
}

void WriteClientFolder(const std::filesystem::path& folder, const ClientFolderSpec& spec) {
  std::filesystem::create_directories(folder);
  if (spec.client) WriteBytes(folder / "CLIENT", ClientFileBytes(*spec.client));

  std::string index, master, plans;
  int next = 1;  // wider than a record number, so that it can pass the last one without wrapping
  for (const EmployeeSpec& e : spec.employees) {
    bool numbered = e.record_number != 0 || e.literal_record_number;
    if (!numbered && next > kHighestRecordNumber) {
      throw std::runtime_error("more employees than the record files hold (record numbers end at " +
                               std::to_string(kHighestRecordNumber) + ")");
    }
    std::int16_t number = numbered ? e.record_number : static_cast<std::int16_t>(next);
    next = std::max<int>(next, number + 1);
    index += IndexEntry(e, number);
    if (number < 1) continue;
    PlaceRecord(master, number, MasterRecord(e));
    PlaceRecord(plans, number, PlansRecord(e));
  }
  if (!spec.employees.empty()) {
    WriteBytes(folder / "EMPLOYEE.idx", index);
    WriteBytes(folder / "EMPLOYEE.fil", master);
    if (spec.write_plans) WriteBytes(folder / "EMPLOYEE.PLANS", plans);
  }

  if (spec.liability) {
    std::string liability;
    for (const std::string& text : *spec.liability) liability += RightAligned(text, 10);
    WriteBytes(folder / "PRLIAB", liability);
  }
}

std::string RatesFileBytes(const std::array<std::string, 6>& fields) {
  static constexpr std::array<std::size_t, 6> kWidths = {6, 6, 8, 6, 6, 8};
  std::string record;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::string field = fields[i].substr(0, kWidths[i]);
    field.resize(kWidths[i], ' ');
    record += field;
  }
  return record;
}

void WriteRatesFile(const std::filesystem::path& folder, const std::array<std::string, 6>& fields) {
  WriteBytes(folder / "FICA.RAT", RatesFileBytes(fields));
}

std::string LetterheadFileBytes(const std::array<std::string, 5>& lines) {
  std::string record;
  for (const std::string& line : lines) {
    std::string field = line.substr(0, 30);
    field.resize(30, ' ');
    record += field;
  }
  return record;
}

void WriteLetterheadFile(const std::filesystem::path& folder, const std::array<std::string, 5>& lines) {
  WriteBytes(folder / "prep", LetterheadFileBytes(lines));
}

}  // namespace qreport
