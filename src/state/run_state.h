// The values of one report run: what the client file and the dialogs fill in and the printers
// read. One RunContext per call holds everything the call needs, so runs are re-entrant.
//
// This header is plain data: the report run fills it from the client file, the saved entries and
// the dialogs, and the worksheet and the forms read it. It sits below everything that computes or
// prints, so those folders depend on it and never on the run. The module's own names for these
// values, and its "Y"/"N" flags, live where its files and its caller need them (the saved
// entries, the dialog's controls, the caller's device code), not here.
#pragma once

#include <array>
#include <string>

#include "data/record_file.h"
#include "text/numbers.h"

namespace qreport {

class Platform;

struct RunState {
  std::string data_dir;             // the client folder
  std::string employer_name;        // 35 bytes with padding
  std::string employer_trade_name;  // without trailing blanks
  std::string employer_address;     // 35 bytes with padding
  std::string employer_city_line;   // 30 bytes
  std::string payroll_date;         // MMDDYY
  std::string report_date;          // as the report-date dialog shows and takes it
  // The caller's device code: "P" print, "S" screen, "V" view (the short route's dialog may
  // change it). It stays a code because the caller passes it so and the print hand-off reads it.
  std::string device_code = "P";

  // The Form 941/944 dialog's adjustments 7a to 7g, deposits and month liabilities.
  Cents adjustment_7a = 0, adjustment_7b = 0, adjustment_7c = 0, adjustment_7d = 0, adjustment_7e = 0,
        adjustment_7f = 0, adjustment_7g = 0;
  Cents deposits = 0;
  std::array<Cents, 13> month_liability{};  // months 1 to 12; [0] is unused

  std::string designee_name, designee_phone, preparer_codes, state_code;
  bool monthly_depositor = false, semiweekly_depositor = false;
  bool print_941 = true, print_944 = false;

  // The short route's dialog: its three texts as typed.
  std::string federal_withholding_text, fica_withholding_text, total_payments_text;
  bool cancel_requested = false;
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
// port to the user interface and printers.
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
