// The client the whole-run benchmarks measure: as many employees as asked for, each with wages,
// tips and withholding, every tenth exempt from both unemployment taxes, all in three plans; a
// first-month liability; the rates and letterhead files beside it. Written once per size into the
// system's temporary folder and kept there for the next run of the benchmarks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "data/client_writer.h"

namespace qreport::testing {

// An employer as the benchmarks' clients have it: Illinois, payroll at the end of June 2026, the
// FUTA and SUTA rates and bases every bench client shares.
inline ClientSpec BenchEmployer(std::string name, std::string address, std::string ein) {
  ClientSpec client;
  client.employer_name = std::move(name);
  client.address = std::move(address);
  client.city_line = "SPRINGFIELD, IL 62701";
  client.ein = std::move(ein);
  client.payroll_date = "063026";
  client.futa_rate = "0.6";
  client.futa_base = "7000";
  client.suta_rate = "2.7";
  client.suta_base = "12000";
  return client;
}

inline std::filesystem::path WriteBenchClient(int employees) {
  auto dir = std::filesystem::temp_directory_path() / ("qreport-bench-client-" + std::to_string(employees));
  if (std::filesystem::exists(dir / "EMPLOYEE.idx")) return dir;
  ClientFolderSpec spec;
  spec.client = BenchEmployer("BENCHMARK EMPLOYER", "1 MAIN STREET", "36-1234567");
  for (int i = 0; i < employees; ++i) {
    EmployeeSpec e;
    e.key = "E" + std::to_string(i);
    e.name = "EMPLOYEE NUMBER " + std::to_string(i);
    e.qtd = {1'000'000 + i, 5'000, 76'500, 150'000, 40'000};
    e.ytd = {2'000'000 + 2 * i, 10'000, 153'000, 300'000, 80'000};
    e.exempt_code = static_cast<std::uint8_t>(i % 10 == 0 ? 9 : 0);
    e.plans = {1'000, 2'000, 0};
    spec.employees.push_back(e);
  }
  std::vector<std::string> liability(93, "0.00");
  liability[0] = "100000.00";
  spec.liability = liability;
  WriteClientFolder(dir, spec);
  WriteRatesFile(dir, {"6.2", "6.2", "184500", "1.45", "1.45", "0"});
  WriteLetterheadFile(dir, {"BENCH PAYROLL", "1 ELM STREET", "OAKTOWN, CA 94601", "", ""});
  return dir;
}

}  // namespace qreport::testing
