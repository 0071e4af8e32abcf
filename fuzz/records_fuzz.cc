// Each record reader on arbitrary bytes: the input, cut at "\n--\n", gives the client file, the
// employee index, master and plans files, the liability file, the rates file, the formula file,
// the letterhead and the saved entries of one folder.
#include <cstddef>
#include <cstdint>

#include "data/client_file.h"
#include "data/employee_files.h"
#include "data/errors.h"
#include "data/liability_file.h"
#include "data/rates.h"
#include "forms/employer_block.h"
#include "fuzz_folder.h"
#include "run/saved_entries.h"

namespace fz = qreport::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& dir = fz::Folder();
  fz::Empty(dir);
  const char* names[] = {"CLIENT", "EMPLOYEE.idx", "EMPLOYEE.fil", "EMPLOYEE.PLANS", "PRLIAB",
                         "FICA.RAT", "emp4mula.fil", "prep", "save941.info"};
  auto parts = fz::Parts(data, size, std::size(names));
  for (std::size_t i = 0; i < parts.size(); ++i) fz::Write(dir / names[i], parts[i]);
  std::string folder = dir.string();
  try {
    (void)qreport::ReadClientFile(folder, true);
  } catch (const qreport::RunError&) {
  }
  try {
    qreport::EmployeeWalk walk(folder, /*with_plans=*/true);
    qreport::Employee e;
    while (walk.Next(e)) {
    }
  } catch (const qreport::RunError&) {
  }
  try {
    (void)qreport::ReadLiabilityMonths(folder);
  } catch (const qreport::RunError&) {
  }
  try {
    (void)qreport::ReadFicaRates(folder);
  } catch (const qreport::RunError&) {
  }
  try {
    (void)qreport::ReadFormulaFile(folder);
  } catch (const qreport::RunError&) {
  }
  (void)qreport::ReadLetterhead(folder);
  (void)qreport::ParseSavedEntries(parts[8]);
  return 0;
}
