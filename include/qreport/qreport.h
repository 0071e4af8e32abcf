/*
 * qreport.h: the C interface of the quarterly payroll-tax report module, for host programs.
 *
 * On Linux the module is libqreport.so (link with `pkg-config --libs qreport`, or the CMake
 * target qreport::qreport); on Windows it is QREPORT.DLL, 32-bit or 64-bit as the host is, with
 * libqreport.dll.a (MinGW) or qreport.lib (MSVC-style linkers) as its import library. This
 * header is valid C99 and C++, and the module compiles its own exports against it.
 *
 * String handles. Every string crosses the interface as a qreport_string handle: a pointer to
 * the first byte of a byte string, with the string's length as a 32-bit little-endian number in
 * the four bytes before that byte and a NUL after the last byte. On Windows this is a BSTR
 * holding single-byte text (made with SysAllocStringByteLen, read with SysStringByteLen); on
 * Linux the module makes and frees such handles with QRSTRALLOC and QRSTRFREE. A plain C
 * string is not a handle: the length in front of it is missing.
 *
 * Most arguments are the ADDRESS of a handle variable (qreport_string*), not the handle: the
 * module may free the handle in that variable and store a new one there. A null address or a
 * null handle reads as empty text. The handles stay the host's: it frees what it made and what
 * the module stored in its variables.
 *
 * No exception, signal or abort ever leaves these functions: every failure ends as the module's
 * own message (a message box, or on Linux a line on standard error when the dialogs are
 * played from a file) and a normal return. Each call works on state of its own; nothing but the
 * client's saved entries outlives a call.
 */
#ifndef QREPORT_QREPORT_H
#define QREPORT_QREPORT_H

#include <stddef.h>
#include <stdint.h>

/* The calling convention of the exports: the standard one of 32-bit Windows, the platform's
 * C convention everywhere else. */
#if defined(_WIN32) && !defined(_WIN64)
#define QREPORT_CALL __stdcall
#else
#define QREPORT_CALL
#endif

/* QREPORT.DLL exports by plain name through its .def file; libqreport.so exports these names
 * only. */
#if !defined(_WIN32) && defined(__GNUC__)
#define QREPORT_API __attribute__((visibility("default")))
#else
#define QREPORT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#ifdef _WIN32
typedef wchar_t* qreport_string; /* a BSTR */
#else
typedef char* qreport_string;
#endif

/*
 * Runs the report for one client, as the host's menu does.
 *   data_dir     the client's folder. The rates file FICA.RAT and the letterhead file prep are
 *                read from the current directory; the report is written to report.txt in the
 *                client's folder.
 *   device_code  the device code; "P" prints. The module may free the handle and store a new
 *                one ("X" when the user cancels the report date dialog).
 *   report_kind  "941" asks for the quarterly report.
 * On Linux the dialogs are played from the answers file that the environment variable
 * QREPORT_ANSWERS names, and the printer picker's reply is QREPORT_PRINTER_REPLY.
 */
QREPORT_API void QREPORT_CALL QREPORTPROC(qreport_string* data_dir, qreport_string* device_code,
                                          qreport_string* report_kind);

/*
 * The bytes free to the caller (`*mode` is "F") or the total size (any other mode) of the drive
 * whose letter starts `drive`; any other first character measures the drive of the current
 * directory. 0 for a missing drive and on any failure. Note: `drive` is the handle itself,
 * `mode` the address of one. On Linux the environment variable QREPORT_DRIVE_<LETTER> names
 * the folder a drive letter stands for; C is / unless it is set.
 */
QREPORT_API long long QREPORT_CALL DVDISKFREE(qreport_string drive, qreport_string* mode);

/*
 * Shows the free and total bytes of the drive `*drive` names in a message, after a short
 * pause; an empty text shows nothing. `*drive` is left as it is.
 */
QREPORT_API void QREPORT_CALL SHOWFREESP(qreport_string* drive);

#ifndef _WIN32
/*
 * A new handle holding a copy of the `length` bytes at `bytes` (which need not end in a NUL and
 * may hold NULs); a null `bytes` makes an empty text. Null when memory runs out. The caller
 * frees it with QRSTRFREE. (A Windows host makes its BSTRs itself.)
 */
QREPORT_API char* QRSTRALLOC(const char* bytes, uint32_t length);

/* Frees a handle made by QRSTRALLOC or stored by the module; null is allowed. */
QREPORT_API void QRSTRFREE(char* handle);
#endif

#ifdef __cplusplus
}
#endif

#endif /* QREPORT_QREPORT_H */
