// The values of one report run: what the client file and the dialogs fill in and the printers
// read. One RunContext per call holds everything the call needs, so runs are re-entrant.
//
// This header is plain data: the worksheet and the forms read it (and the forms write back the
// line 7a adjustment); the report run fills it. It sits below everything that computes or
// prints, so those folders depend on it and never on the run.
#pragma once

#include <array>
#include <string>

#include "data/record_file.h"
#include "text/numbers.h"

namespace qreport {

class Platform;

struct RunState {
  std::string DataDir;
  std::string EmployerName;       // 35 bytes with padding
  std::string EmployerTradeName;  // without trailing blanks
  std::string EmployerAddress;    // 35 bytes with padding
  std::string EmployerCityLine;   // 30 bytes
  std::string PayrollDate;        // MMDDYY
  std::string ReportDate;
  std::string PrintDevice = "P";

  Cents Adjust7a = 0, Adjust7b = 0, Adjust7c = 0, Adjust7d = 0, Adjust7e = 0, Adjust7f = 0, Adjust7g = 0;
  Cents Line11Deposits = 0;
  std::array<Cents, 13> MonthLiability{};  // months 1 to 12; [0] is unused

  std::string DesigneeName, DesigneePhone, PreparerCodes, StateCode;
  std::string MonthlyDepositor = "N", SemiweeklyDepositor = "N";
  int Print941 = 1, Print944 = 0;

  std::string FederalWithholdingAdjust, FicaWithholdingAdjust, TotalPaymentsText;  // short-path dialog
  int CancelRequested = 0;
};

// What a run did about Schedule B, the page a semiweekly depositor adds to Form 941 when the
// caller asks for it (run/stages.h, WriteScheduleB).
enum class ScheduleBOutcome {
  kNotAsked,       // the caller did not ask for it
  kNoForms,        // the run took the short route: no forms at all
  kCancelled,      // the options dialog was cancelled
  kNotSemiweekly,  // the semiweekly depositor box was not checked
  kNotForm941,     // Form 944 was chosen: Schedule B goes with Form 941 only
  kWritten,
  kFailed,         // it could not be written; the run showed why
};

// Plan totals of plans 1 to 3 in cents, left by the worksheet's employee pass for the forms.
using PlanTotals = std::array<Cents, 4>;  // [0] is unused

// Everything one report run needs: its state, what the worksheet leaves for the forms, and the
// port to the user interface and printers. The run state's members keep the names the module's
// own documents give the run's values (DataDir, Adjust7a, MonthLiability); the context's own
// plumbing is named as the rest of the code is.
struct RunContext {
  explicit RunContext(Platform& p) : platform(p) {}
  RunState state;
  // Where the rates file and the letterhead file are looked up; empty: the current directory.
  std::string rates_dir;
  PlanTotals plan_totals{};
  // Set once a run-time error has been shown, so that one failing report file gives one message.
  // Such a report is incomplete: it is never handed on.
  bool error_shown = false;
  // The file the printing steps write this run's report into: a temporary file beside the
  // report file, which replaces it when the printing ends. Empty: the report file itself.
  std::string report_path;
  // Set when a write of the report failed (full disk, I/O error): the report file is kept.
  bool report_write_failed = false;
  // Set when the printing could not read what a part of the report is made from (the employee
  // pass failed): the report is wrong as it stands, so it does not replace the report file but
  // goes to the side file "\report.incomplete.txt". The path it went to is incomplete_report.
  bool report_read_failed = false;
  std::string incomplete_report;
  // What the readers do with a missing file: a report run creates it empty as the host does; a
  // run that only computes the figures (`lines`) creates nothing.
  MissingFile missing = MissingFile::kCreate;
  // Schedule B: asked for by the caller, and what came of it.
  bool want_schedule_b = false;
  ScheduleBOutcome schedule_b_result = ScheduleBOutcome::kNotAsked;
  Platform& platform;
};

}  // namespace qreport
