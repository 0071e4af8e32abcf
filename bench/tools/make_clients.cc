// Writes N typical client folders for whole-process throughput measurements: 5 to 60 employees
// each (a fixed pseudo-random sequence, so every run measures the same clients), a liability
// file, an answers file in every other folder, and the rates and letterhead files once beside
// them. Usage: qreport_make_clients DIR N
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "data/client_writer.h"
#include "support/bench_client.h"

int main(int argc, char** argv) {
  using namespace qreport;
  if (argc != 3) {
    std::cerr << "usage: qreport_make_clients DIR N\n";
    return 2;
  }
  const std::filesystem::path root = argv[1];
  const int count = std::atoi(argv[2]);
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t below) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % below;
  };
  try {
    std::filesystem::create_directories(root / "clients");
    WriteRatesFile(root, {"6.2", "6.2", "184500", "1.45", "1.45", "0"});
    WriteLetterheadFile(root, {"BUREAU PAYROLL SERVICE", "1 ELM STREET", "OAKTOWN, CA 94601", "", ""});
    for (int c = 0; c < count; ++c) {
      ClientFolderSpec spec;
      spec.client = testing::BenchEmployer("CLIENT " + std::to_string(c) + " TRADING CO",
                                           std::to_string(100 + c) + " MARKET STREET",
                                           "36-" + std::to_string(1000000 + c));
      const int employees = 5 + static_cast<int>(next(56));
      for (int i = 0; i < employees; ++i) {
        EmployeeSpec e;
        e.key = "E" + std::to_string(i);
        e.name = "EMPLOYEE " + std::to_string(c) + "-" + std::to_string(i);
        const Cents quarter = 600000 + static_cast<Cents>(next(2400000));
        e.qtd = {quarter, static_cast<Cents>(next(50000)), quarter * 765 / 10000, quarter / 8, quarter / 25};
        e.ytd = {2 * quarter, e.qtd[kTips] * 2, e.qtd[kFicaWithheld] * 2, e.qtd[kFederalWithheld] * 2,
                 e.qtd[kStateWithheld] * 2};
        spec.employees.push_back(e);
      }
      std::vector<std::string> liability(93, "0.00");
      liability[0] = std::to_string(1000 + next(9000)) + ".00";
      spec.liability = liability;
      const std::filesystem::path folder = root / "clients" / ("client" + std::to_string(10000 + c));
      WriteClientFolder(folder, spec);
      if (c % 2 == 1) WriteBytes(folder / "answers", "220=1\n213=PAT LEE\n214=(217) 555-0100\n401\n");
    }
  } catch (const std::exception& e) {
    std::cerr << "qreport_make_clients: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
