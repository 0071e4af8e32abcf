// The module's exports, as a host loads them: from QREPORT.DLL on Windows, with the standard
// calling convention and exported by plain name (exports.def), or from libqreport.so with C
// linkage. String arguments are host string handles (see host_string.h). No exception, signal or
// abort ever crosses these functions: every failure ends as the module's own message and a
// normal return.
#pragma once

#include <cstdint>

#include "exports/host_string.h"

#ifdef _WIN32
// Exported through exports.def, which binds each plain name to its decorated symbol, so an
// argument list of the wrong size fails at link time.
#define QREPORT_EXPORT
#define QREPORT_CALL __stdcall
#else
#define QREPORT_EXPORT __attribute__((visibility("default")))
#define QREPORT_CALL
#endif

extern "C" {

// One report run for the client whose folder `*data_dir` names. `*device_code` is replaced on
// the short path ("P", or "X" when cancelled). `*report_kind` "941" asks for the quarterly report.
// Null pointers and null handles read as empty text.
QREPORT_EXPORT void QREPORT_CALL QREPORTPROC(qreport::HostString* data_dir, qreport::HostString* device_code,
                                             qreport::HostString* report_kind);

// The bytes free to the caller (`*mode` "F") or the total size (any other mode) of the drive
// whose letter starts `drive`; any other first character measures the current directory's
// drive. 0 for a missing drive or on any failure.
QREPORT_EXPORT long long QREPORT_CALL DVDISKFREE(qreport::HostString drive, qreport::HostString* mode);

// Shows the free and total bytes of the drive `*drive` names in a message box after a short
// pause; an empty text shows nothing. `*drive` is left as it is.
QREPORT_EXPORT void QREPORT_CALL SHOWFREESP(qreport::HostString* drive);

#ifndef _WIN32
// Creates a host string handle holding a copy of `length` bytes; null when memory runs out. (A
// Windows host makes its BSTRs itself.)
QREPORT_EXPORT char* QRSTRALLOC(const char* bytes, std::uint32_t length);

// Frees a handle made by QRSTRALLOC (or handed back by the module); null is allowed.
QREPORT_EXPORT void QRSTRFREE(char* handle);
#endif

}
