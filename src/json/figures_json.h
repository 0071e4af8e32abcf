// The report's figures as JSON: what `qreport lines --json` prints and what any other view that
// wants the figures as data reuses. Every key is documented in docs/formats.md; money is integer
// cents (the worksheet's dollars as the page prints them, see PrintedCents), never a float.
#pragma once

#include <functional>

#include <nlohmann/json.hpp>

#include "json/json_stream.h"
#include "run/report_figures.h"
#include "run/run_session.h"
#include "worksheet/worksheet_run.h"

namespace qreport {

// The worksheet's employee lines as JSON objects, gathered as the worksheet's pass makes them:
// given to ComputeClientFigures, then handed to FiguresJson.
class EmployeeLinesJson final : public WorksheetSink {
 public:
  void Start(const WorksheetFigures& figures) override;
  void OnEmployee(const Employee& employee, const WorksheetLine* line) override;
  nlohmann::ordered_json Take() { return std::move(lines_); }

 private:
  nlohmann::ordered_json lines_ = nlohmann::ordered_json::array();
  int payroll_year_ = 0;  // the heading's: whether Additional Medicare Tax counts
};

// Writes the items of the worksheet's "employees" list into the list open in `out`.
using EmployeeItems = std::function<void(JsonOut& out)>;

// The figures as one JSON object: path, form, quarter, year, dialog, lines, months, worksheet,
// voucher, schedule_b (and checks: the flags the forms derive from their lines). schedule_b is
// null without Form 941, else {"days": [[31 cents] x 3], "month3_other": cents, "months":
// [3 cents], "total": cents}. `employees` writes the worksheet's "employees" items when their
// place comes (only when there is a worksheet).
void WriteFigures(const ReportFigures& figures, JsonOut& out, const EmployeeItems& employees);

// WriteFigures as a value, with the worksheet's "employees" array (from EmployeeLinesJson).
nlohmann::ordered_json FiguresJson(const ReportFigures& figures, nlohmann::ordered_json employees);

// ComputeClientFigures, then FiguresJson of them, for a caller that wants nothing else of the
// worksheet's pass; the figures are left in `figures` when it is given.
nlohmann::ordered_json ClientFiguresJson(std::string_view data_dir, std::string_view rates_dir, std::string_view report_kind,
                                         Platform& platform, ReportFigures* figures = nullptr);

// ComputeClientFigures, then WriteFigures of them to `out`, in memory that does not grow with
// the number of employees: the pass's employee lines wait for their place in the document (after
// the forms' lines, which need the whole pass) in a temporary file once they pass a megabyte.
// Throws std::runtime_error when that file cannot be read back (`out` then holds the document up
// to the worksheet's employees), and what `out` throws.
ReportFigures WriteClientFigures(std::string_view data_dir, std::string_view rates_dir, std::string_view report_kind,
                                 Platform& platform, JsonOut& out);
// The same with every choice of a run setup (its answers file checked, its form). When the
// answers file has errors nothing is written to `out`: the figures hold the errors.
ReportFigures WriteClientFigures(RunSetup setup, Platform& platform, JsonOut& out);

}  // namespace qreport
