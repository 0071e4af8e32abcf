// qreport diskfree and qreport showfree: the disk space service from the command line, with the
// same drive and mode rules a host gets from DVDISKFREE and SHOWFREESP.
#pragma once

#include <string>
#include <vector>

namespace qreport {

// Reports wrong usage: prints `problem` and the usage text, returns the usage exit status.
using UsageReporter = int (*)(const std::string& problem);

// diskfree [DRIVE] [--mode M]: prints the byte count DVDISKFREE gives for DRIVE (default empty:
// the current directory's drive) and M (default "F"), then a newline. Returns 0.
int DiskFreeCommand(const std::vector<std::string>& args, UsageReporter usage);

// showfree DRIVE: shows the free space message as SHOWFREESP does (on standard error as
// "message: Drive Space: ..."). Returns 0.
int ShowFreeCommand(const std::vector<std::string>& args, UsageReporter usage);

}  // namespace qreport
