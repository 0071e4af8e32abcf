// Writes a client's folder (all the host's record files, the rates file and the letterhead file)
// from plain structs. The demo client and the tests' fixtures are built with it.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "data/employee_files.h"
#include "text/numbers.h"

namespace qreport {

struct ClientSpec {
  std::string employer_name, trade_name, address;
  std::string payroll_date;  // MMDDYY
  std::uint8_t ein_suffix = 0;
  // Record 2's decimal text fields, as the host writes them (9 bytes each).
  std::string futa_rate, futa_base, suta_rate, suta_base;
  std::string ein;        // 10 bytes
  std::string city_line;  // 30 bytes
};

struct EmployeeSpec {
  std::int16_t record_number = 0;  // 0: the next free record number, unless literal
  bool literal_record_number = false;  // record_number is written as it is, 0 included
  std::string key, name;
  std::optional<std::string> index_key;  // the index entry's key when it differs from `key`
  char fica_flag = 'Y';
  Cents misc_amount_1 = 0;
  // Indexed as the reader's amounts are: qtd[kWages] is item 1.
  Numbered<Cents, kAmountItems> qtd;
  Numbered<Cents, kAmountItems> ytd;
  Numbered<Cents, kAmountItems> other;
  std::uint8_t exempt_code = 0;
  Numbered<Cents, kPlans> plans;  // plan_amount_a of plans 1 to 3
};

struct ClientFolderSpec {
  std::optional<ClientSpec> client;  // no value: no "CLIENT" file
  std::vector<EmployeeSpec> employees;
  bool write_plans = true;
  // Liability records as the 10-byte texts of the file, in record order; no value: no file.
  std::optional<std::vector<std::string>> liability;
};

// The 5 bytes of a PackedAmount for `cents` (whole units rounded down, hundredths 0 to 99).
std::array<std::uint8_t, 5> PackAmount(Cents cents);

// A text right-aligned in `width` bytes (cut to the width when longer).
std::string RightAligned(std::string_view text, std::size_t width);

// Writes the client files of `spec` into `folder` (created when missing): "CLIENT",
// "EMPLOYEE.idx", "EMPLOYEE.fil", "EMPLOYEE.PLANS" and "PRLIAB". Employees that share a record
// number share its record: the last one written is what it holds. Throws std::runtime_error,
// also when an employee needs the next free record number and none is left.
void WriteClientFolder(const std::filesystem::path& folder, const ClientFolderSpec& spec);

// The bytes of "FICA.RAT" for these six fields, as WriteRatesFile writes them.
std::string RatesFileBytes(const std::array<std::string, 6>& fields);

// The bytes of the letterhead file "prep" for these five lines, as WriteLetterheadFile writes them.
std::string LetterheadFileBytes(const std::array<std::string, 5>& lines);

// Writes "FICA.RAT" into `folder`: six decimal texts, left-aligned in 6, 6, 8, 6, 6, 8 bytes.
void WriteRatesFile(const std::filesystem::path& folder, const std::array<std::string, 6>& fields);

// Writes the letterhead file "prep" into `folder`: five lines of 30 bytes in one record.
void WriteLetterheadFile(const std::filesystem::path& folder, const std::array<std::string, 5>& lines);

// Writes raw bytes to a file, replacing it.
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

}  // namespace qreport
