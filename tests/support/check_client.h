// Test fixture for the pre-filing checks: the clean client each check case spoils in one way, in
// a work folder beside the rates file, as both the checks and the check command read it.
#pragma once

#include <string>

#include "data/client_writer.h"
#include "support/fixture.h"

namespace qreport::testing {

// A client of the second quarter of 2005 with one employee, A1, and the wages given.
inline ClientFolderSpec OneEmployeeClient(Cents quarter_wages, Cents year_wages) {
  ClientFolderSpec spec;
  spec.client = PlainClient("063005");
  spec.employees.push_back(PlainEmployee("A1", quarter_wages, year_wages));
  return spec;
}

// Writes `spec` as the folder `name` of `work` and the rates file (wage base 94,200) into `work`.
inline void WriteCheckClient(const TempDir& work, const ClientFolderSpec& spec, const std::string& name = "client") {
  WriteClientFolder(work / name, spec);
  WriteRatesFile(work.path(), {"6.2", "6.2", "94200", "1.45", "1.45", "0"});
}

}  // namespace qreport::testing
