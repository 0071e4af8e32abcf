// The checks a preparer makes before filing a client's return, over the report's computed
// figures (run/report_figures.h) and the client's record files as they stand. Every figure a
// check names comes from the figures: no check computes a line of the form again.
//
// Codes and severities:
//   liability-total    error    Form 941: the three months do not add up to line 10 (Form 944:
//                               the twelve months against line 9), when line 10 is $2,500 or more
//   depositor-none     error    line 10 is $2,500 or more and neither depositor box is checked
//   schedule-b         warning  a semiweekly depositor: Schedule B goes with the return
//   schedule-b-total   error    Schedule B's quarter total differs from line 10
//   balance-due        warning  deposits are below line 10, with the balance
//   overpayment        warning  deposits are above line 10, with the overpayment
//   rates-missing      error    no rates file
//   rates-zero         error    a zero social security or Medicare rate
//   unemployment-zero  warning  a zero (or unreadable) FUTA or SUTA rate or wage base
//   ytd-below-qtd      error    an employee's year-to-date wages are below the quarter's
//   negative-amount    error    negative wages, tips or withholding
//   over-wage-base     warning  an employee's year's wages and tips pass the social security base
//   preparer-empty     warning  a preparer code names a letterhead line that is empty
//   designee-phone     warning  a designee without a telephone number
//   client-file        error    no client file CLIENT, or one cut short of its two records
//   ein                error    the client file's EIN is not nine digits written NN-NNNNNNN
//   payroll-date       error    the payroll date is no real date MMDDYY
//   city-line          error    the city line has no comma before the state and ZIP, or no
//                               state or ZIP after it: the forms print them blank
//   fica-flag          warning  an employee with wages whose social security flag is not a
//                               capital Y: not subject to social security and Medicare
//   file-warning       warning  what inspect warns about in the files: a partial record, an
//                               index entry past the master file, skipped record numbers, text
//                               bytes outside the code page (control or undefined bytes)
//   cancelled          error    the dialog was cancelled (answers): nothing can be checked
//   unreadable         error    a record file cannot be read
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "check/findings.h"
#include "data/folder_inspection.h"
#include "run/report_figures.h"
#include "worksheet/worksheet_run.h"

namespace qreport {

// The checks that look at each employee (ytd-below-qtd, negative-amount, over-wage-base,
// fica-flag), as a consumer of the worksheet's pass: given to ComputeClientFigures, they see
// every employee of the index once, as the figures are computed, and keep a count and the first few of each.
class EmployeeChecks final : public WorksheetSink {
 public:
  EmployeeChecks();
  ~EmployeeChecks() override;
  void Start(const WorksheetFigures& figures) override;
  void OnEmployee(const Employee& employee, const WorksheetLine* line) override;
  // The pass reached its employees.
  bool started() const;
  void AddTo(std::vector<Finding>& out) const;
  // The folder inspection's view of the employee files, fed by the pass (CheckClient takes its
  // warnings instead of reading the files again).
  EmployeeEntryObserver* entry_observer() override;
  const EmployeeInspection& inspection() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Every finding for the client in `data_dir` whose figures are `figures`, computed with the rates
// and letterhead files of `rates_dir` (empty: the current directory). Reads the client's files,
// writes nothing.
// `employees` are the employee checks given to the computation of `figures`; without them, or
// when that pass never reached the employees, the employee files are read once more here.
std::vector<Finding> CheckClient(const ReportFigures& figures, std::string_view data_dir, std::string_view rates_dir,
                                 const EmployeeChecks* employees = nullptr);

// The checks of the figures alone (no files read), for the table tests.
std::vector<Finding> CheckFigures(const ReportFigures& figures);

}  // namespace qreport
