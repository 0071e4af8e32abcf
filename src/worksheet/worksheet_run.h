// The worksheet run: reads the client's data into the worksheet's figures (every employee line,
// the totals, the recap and the plan totals the forms need), then writes the quarterly worksheet
// from those figures into "\report.txt". A file that cannot be read or written ends it with a
// RunError; the report run shows the message.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "data/rates.h"
#include "state/run_state.h"
#include "worksheet/accumulation.h"
#include "worksheet/recap.h"

namespace qreport {

// Everything the worksheet prints, computed before a byte of it is written.
struct WorksheetFigures {
  std::string trade_name;            // the heading's second line; empty: no such line
  std::vector<WorksheetLine> lines;  // the employees that have a line, in index order
  WorksheetTotals totals;            // employee_count is the number of lines
  FicaRates rates;
  UnemploymentRates unemployment;
  TaxFigures taxes;                  // the recap's tax figures
  PlanTotals plan_totals{};          // plans 1 to 3 of every employee of the index
};

// The file this run's printing steps write: ctx.report_path, or the report file when it is empty.
std::filesystem::path ReportOutputPath(const RunContext& ctx);

// Reads the formula, client, rates and employee files of ctx.state.DataDir (ctx.missing says
// what a missing file is). Sets EmployerName and PayrollDate from the client file, PayrollDate
// "013192" when the client gives none, and ReportDate as the heading shows it (ReportDateShown)
// when there is an employee line. When CancelRequested is set, clears it and returns
// nothing. Throws RunError.
std::optional<WorksheetFigures> ComputeWorksheet(RunContext& ctx);

// Writes the worksheet's pages into a new `report`: sets PrintDevice to "P" once the file is
// open. Throws RunError.
void PrintWorksheet(const WorksheetFigures& figures, RunState& state, const std::filesystem::path& report);

// The report run's worksheet step: computes, writes the run's report (ReportOutputPath) and leaves the plan totals in
// the context. Throws RunError.
void RunQuarterlyWorksheet(RunContext& ctx);

}  // namespace qreport
