// qreport run: one report for a client folder, as a host's call makes it, told to the user as an
// exit status and, when it is not 0, one line saying why.
#pragma once

#include <string>

#include "platform/platform.h"

namespace CLI {
class App;
}

namespace qreport::cli {

// One report run as the command makes it.
struct RunRequest {
  std::string data_dir;
  std::string kind = "941";
  std::string device = "P";
  std::string rates_dir;  // the folder of FICA.RAT and prep; empty: the current folder
  bool schedule_b = false;  // also write DATADIR/scheduleb.txt for a semiweekly depositor
  int form = 0;             // --form: 941 or 944, or 0 for the dialog's choice
  bool allow_zero_rates = false;  // run the form route without usable rates
  PlatformOptions platform;
};

// Runs the report of `request`; prints "device code: <value>" on standard output and, when
// Schedule B was asked for, where it went or on standard error why it was not written. Returns
// the command's exit status.
int RunClientReport(const RunRequest& request);

// Registers `run DATADIR [--kind K] [--device CODE] [--answers FILE] [--printer-reply TEXT]
// [--rates-dir DIR] [--form 941|944] [--allow-zero-rates] [--schedule-b]`.
void AddRunCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
