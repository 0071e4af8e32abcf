// The module's exports with C linkage, as a host loads them from libqreport.so. String
// arguments are host string handles (see host_string.h). No exception, signal or abort ever
// crosses these functions: every failure ends as the module's own message and a normal return.
#pragma once

#include <cstdint>

#define QREPORT_EXPORT __attribute__((visibility("default")))

extern "C" {

// One report run for the client whose folder `*data_dir` names. `*device_code` is replaced on
// the short path ("P", or "X" when cancelled). `*report_kind` "941" asks for the quarterly report.
QREPORT_EXPORT void QREPORTPROC(char** data_dir, char** device_code, char** report_kind);

// The bytes free to the caller (`*mode` "F") or the total size (any other mode) of the drive
// whose letter starts `drive`; any other first character measures the current directory's
// drive. 0 for a missing drive or on any failure.
QREPORT_EXPORT long long DVDISKFREE(char* drive, char** mode);

// Shows the free and total bytes of the drive `*drive` names in a message box after a short
// pause; an empty text shows nothing. `*drive` is left as it is.
QREPORT_EXPORT void SHOWFREESP(char** drive);

// Creates a host string handle holding a copy of `length` bytes; null when memory runs out.
QREPORT_EXPORT char* QRSTRALLOC(const char* bytes, std::uint32_t length);

// Frees a handle made by QRSTRALLOC (or handed back by the module); null is allowed.
QREPORT_EXPORT void QRSTRFREE(char* handle);

}
