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

// Plan totals of plans 1 to 3 in cents, left by the worksheet's employee pass for the forms.
using PlanTotals = std::array<Cents, 4>;  // [0] is unused

// Everything one report run needs: its state, what the worksheet leaves for the forms, and the
// port to the user interface and printers.
struct RunContext {
  explicit RunContext(Platform& p) : platform(p) {}
  RunState state;
  // Where the rates file and the letterhead file are looked up; empty: the current directory.
  std::string WorkDir;
  PlanTotals PlanTotalA{};
  // Set once a run-time error has been shown, so that one failing report file gives one message.
  bool ErrorShown = false;
  // What the readers do with a missing file: a report run creates it empty as the host does; a
  // run that only computes the figures (`lines`) creates nothing.
  MissingFile Missing = MissingFile::kCreate;
  Platform& platform;
};

}  // namespace qreport
