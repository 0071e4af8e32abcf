// qreport diskfree and qreport showfree: the disk space service from the command line, with the
// same drive and mode rules a host gets from DVDISKFREE and SHOWFREESP.
#pragma once

namespace CLI {
class App;
}

namespace qreport::cli {

// Registers `diskfree [DRIVE] [--mode M]`: prints the byte count DVDISKFREE gives for DRIVE
// (default empty: the current directory's drive) and M (default "F"), then a newline.
void AddDiskFreeCommand(CLI::App& app, int& exit_status);

// Registers `showfree DRIVE`: shows the free space message as SHOWFREESP does (on standard error
// as "message: Drive Space: ..." when there is no terminal).
void AddShowFreeCommand(CLI::App& app, int& exit_status);

}  // namespace qreport::cli
