// Employees from a CSV file with a header row, for `qreport import --employees` (the columns
// are in docs/formats.md): read with libcsv, every problem named by file, line and column.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/client_writer.h"

namespace qreport {

// Employees from CSV text with a header row (column names in docs/formats.md). Every problem is
// added to `errors` as "FILE:LINE:COLUMN: what was expected": a column named twice, a row with
// fewer or more fields than the header, a quote still open at the end and the record numbers'
// problems as for the document among them.
std::vector<EmployeeSpec> ReadEmployeesCsv(std::string_view csv, const std::string& file,
                                           std::vector<std::string>& errors);

}  // namespace qreport
