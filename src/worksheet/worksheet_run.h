// The worksheet run: one pass over the client's employees computes each employee's line and
// hands it to the pass's consumers as it is made (the printed worksheet, the figures' JSON, the
// checks), keeping only the totals, the recap and the plan totals the forms need; memory does not
// grow with the number of employees. A file that cannot be read or written ends it with a
// RunError; the report run shows the message.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "data/employee_files.h"
#include "data/rates.h"
#include "state/run_state.h"
#include "worksheet/accumulation.h"
#include "worksheet/recap.h"

namespace qreport {

class ReportWriter;
class RunError;
class WorksheetPrinter;

// The worksheet's figures but its employee lines, which the pass hands to its consumers.
struct WorksheetFigures {
  std::string trade_name;            // the heading's second line; empty: no such line
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
  // name and the rates (the totals come with the pass's result).
  virtual void Start(const WorksheetFigures& figures) { (void)figures; }
  // Every employee of the index, in index order, with its worksheet line (null: it has none).
  // Both are valid during the call only.
  virtual void OnEmployee(const Employee& employee, const WorksheetLine* line) = 0;
};

// Reads the formula, client, rates and employee files of ctx.state.DataDir (ctx.missing says
// what a missing file is) and hands each employee to `sinks`. Sets EmployerName and PayrollDate
// from the client file, PayrollDate "013192" when the client gives none, and ReportDate as the
// heading shows it (ReportDateShown) before the first employee line reaches a sink (a pass that
// then fails to read puts the date back). When CancelRequested is set, clears it and returns
// nothing before any sink is started. Throws RunError; a sink's own failures are its business.
std::optional<WorksheetFigures> ComputeWorksheet(RunContext& ctx, std::span<WorksheetSink* const> sinks = {});

// The printed worksheet as a consumer of the pass: the report (a new file) is opened when the
// pass starts, which sets PrintDevice to "P", and the lines are printed as they come; Finish
// prints the totals and the recap. A write failure is kept, the pass goes on, and Finish throws
// it. Past the first few hundred, the lines are formatted and written on a thread of their own
// (LinePrinter), so that the report is written while the pass reads and computes the next
// employees; the pages are the same bytes either way, and with no thread to be had they are
// printed in the pass itself.
class WorksheetPrinting final : public WorksheetSink {
 public:
  WorksheetPrinting(RunState& state, std::filesystem::path report);
  ~WorksheetPrinting() override;

  void Start(const WorksheetFigures& figures) override;
  void OnEmployee(const Employee& employee, const WorksheetLine* line) override;
  // The totals and the recap, then the file is closed. Throws RunError (WriteError).
  void Finish(const WorksheetFigures& figures);
  // For a pass that failed to read: empties the report again, as though the worksheet had never
  // been started. False when that fails too (the report then holds a part of the worksheet).
  bool Discard();

  // The lines printed in the pass itself before the rest go to a thread of their own (a client of
  // a few hundred employees, as nearly all are, never starts one), which is handed them in
  // batches of kBatchLines and is never more than kBatchesAhead batches behind.
  static constexpr int kLinesBeforeThread = 256;
  static constexpr std::size_t kBatchLines = 1024;
  static constexpr std::size_t kBatchesAhead = 4;
  // The most lines handed to the printing and not printed yet, at any moment: the batches
  // waiting, the one being printed and the one being filled.
  static constexpr int kMostLinesUnprinted = static_cast<int>((kBatchesAhead + 2) * kBatchLines);

  class LinePrinter;

 private:
  void Fail(const RunError& error);
  // The printer of the pages, made when the first line comes (the heading's report date is set
  // by then) or at Finish; null after a failure.
  void MakePrinter();
  // Waits for the line printer to print what it was given (or, with `discard`, to stop) and ends
  // it; its failure becomes this printing's failure. Throws what else it threw.
  void EndLinePrinter(bool discard);

  RunState& state_;
  std::filesystem::path report_;
  std::string trade_name_;
  std::unique_ptr<ReportWriter> out_;
  // The run state as the first line found it: what the page headings show. The line printer
  // reads only this copy, never the run's own state.
  std::unique_ptr<RunState> heading_state_;
  std::unique_ptr<WorksheetPrinter> printer_;
  std::unique_ptr<LinePrinter> lines_;
  int lines_in_pass_ = 0;  // printed here, before any line printer
  std::optional<int> write_error_;
};

// The report run's worksheet step: computes, writes the run's report (ReportOutputPath), hands
// the employees to `sinks` as well, leaves the plan totals in the context and returns the
// figures (none when the dialog was cancelled). Throws RunError.
std::optional<WorksheetFigures> RunQuarterlyWorksheet(RunContext& ctx, std::span<WorksheetSink* const> sinks = {});

}  // namespace qreport
