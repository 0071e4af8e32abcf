// The worksheet run: one pass over the client's employees computes each employee's line and
// hands it to the pass's consumers as it is made (the printed worksheet, the figures' JSON, the
// checks), keeping only the totals, the recap and the plan totals the forms need; memory does not
// grow with the number of employees. A file that cannot be read or written ends it with a
// RunError; the report run shows the message.
//
// The pass reads the run's values and writes none of them: what it decides (the dates and the
// employer name its heading shows, the plan totals) comes back in its figures, and the report
// run takes them over (run/report_figures.h, RunWorksheetPass).
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "data/employee_files.h"
#include "data/rates.h"
#include "data/record_file.h"
#include "state/run_state.h"
#include "worksheet/accumulation.h"
#include "worksheet/layout.h"
#include "worksheet/recap.h"

namespace qreport {

class ReportWriter;
class RunError;

// What the worksheet pass reads of its run.
struct WorksheetRequest {
  std::string data_dir;   // the client folder
  std::string rates_dir;  // where the rates file is looked up; empty: the current directory
  MissingFile missing = MissingFile::kCreate;
  // The run's own values, which the heading shows where the client file has no first record.
  std::string employer_name;
  std::string payroll_date;
  std::string report_date;  // as the run's dialog left it
  bool cancel_requested = false;
};

// The request of the run `ctx`: its folders and its state as they stand.
WorksheetRequest WorksheetRequestOf(const RunContext& ctx);

// The worksheet's figures but its employee lines, which the pass hands to its consumers.
struct WorksheetFigures {
  std::string trade_name;            // the heading's second line; empty: no such line
  WorksheetHeading heading;          // the rest of the page heading
  // The run's report date after the pass: as the heading shows it once the pass made a line (the
  // forms then read it so), else the request's.
  std::string report_date;
  WorksheetTotals totals;            // employee_count is the number of lines
  FicaRates rates;
  UnemploymentRates unemployment;
  TaxFigures taxes;                  // the recap's tax figures
  PlanTotals plan_totals{};          // plans 1 to 3 of every employee of the index
};

// The file this run's printing steps write: ctx.report_path, or the report file when it is empty.
std::filesystem::path ReportOutputPath(const RunContext& ctx);

// A consumer of the worksheet pass.
class WorksheetSink {
 public:
  virtual ~WorksheetSink() = default;
  // Once every file of the pass is open, before the first employee: `figures` holds the trade
  // name, the heading and the rates (the totals come with the pass's result).
  virtual void Start(const WorksheetFigures& figures) { (void)figures; }
  // Every employee of the index, in index order, with its worksheet line (null: it has none).
  // Both are valid during the call only.
  virtual void OnEmployee(const Employee& employee, const WorksheetLine* line) = 0;
  // A reader of the employee files' bytes that rides on the pass (the pre-filing checks'
  // inspection), so that they are read once; null for none. The pass shows them to the first.
  virtual EmployeeEntryObserver* entry_observer() { return nullptr; }
};

// Reads the formula, client, rates and employee files of request.data_dir (request.missing says
// what a missing file is) and hands each employee to `sinks`. The heading takes the employer
// name and payroll date from the client file (the request's where it has no first record;
// "013192" when neither gives a payroll date). When request.cancel_requested is set, returns
// nothing before any sink is started. Throws RunError; a sink's own failures are its business.
std::optional<WorksheetFigures> ComputeWorksheet(const WorksheetRequest& request,
                                                 std::span<WorksheetSink* const> sinks = {});

// The printed worksheet as a consumer of the pass: the report (a new file) is opened when the
// pass starts, and the lines are printed as they come; Finish prints the totals and the recap. A
// write failure is kept, the pass goes on, and Finish throws it.
class WorksheetPrinting final : public WorksheetSink {
 public:
  explicit WorksheetPrinting(std::filesystem::path report);
  ~WorksheetPrinting() override;

  void Start(const WorksheetFigures& figures) override;
  void OnEmployee(const Employee& employee, const WorksheetLine* line) override;
  // The totals and the recap, then the file is closed. Throws RunError (WriteError).
  void Finish(const WorksheetFigures& figures);
  // For a pass that failed to read: empties the report again, as though the worksheet had never
  // been started. False when that fails too (the report then holds a part of the worksheet).
  bool Discard();
  // True once the report was opened for the worksheet, even if a write failed later: the run's
  // print device is then "P", which the run sets.
  bool opened() const { return opened_; }

 private:
  void Fail(const RunError& error);
  // The printer of the pages, made when the first line comes or at Finish; null after a failure.
  void MakePrinter();

  std::filesystem::path report_;
  bool opened_ = false;
  WorksheetHeading heading_;
  std::string trade_name_;
  std::unique_ptr<ReportWriter> out_;
  std::unique_ptr<WorksheetPrinter> printer_;
  std::optional<int> write_error_;
};

}  // namespace qreport
