// The outside printer picker and print utility, looked up at run time: GETTHEPRINTER in
// GPRINTER.DLL and DLLPrint in DLLPRINT.DLL, both with the standard calling convention. Either
// may be missing on a machine; the report file then simply stays where it was written.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32/windows_api.h"

namespace qreport {

inline constexpr char kPickerLibrary[] = "GPRINTER.DLL";
inline constexpr char kPickerFunction[] = "GETTHEPRINTER";
inline constexpr char kPrintLibrary[] = "DLLPRINT.DLL";
inline constexpr char kPrintFunction[] = "DLLPrint";

// GETTHEPRINTER: six string handles by reference, returns a new handle the caller frees.
using GetThePrinterFn = BSTR(__stdcall*)(BSTR*, BSTR*, BSTR*, BSTR*, BSTR*, BSTR*);
// DLLPrint: 0 and the address of the NUL-terminated command text; the result is not used.
using DllPrintFn = LONG(__stdcall*)(LONG, const char*);

// The message shown when a library or its function is missing: names what is missing and the
// report file.
std::string NotInstalledMessage(std::string_view missing, std::string_view report_path);

// Both libraries, loaded for one hand-off and released with the object.
class OutsidePrinting {
 public:
  OutsidePrinting() = default;
  ~OutsidePrinting();
  OutsidePrinting(const OutsidePrinting&) = delete;
  OutsidePrinting& operator=(const OutsidePrinting&) = delete;

  // Loads both libraries and finds both functions; returns "" when all are there, otherwise
  // the name of the first that is missing ("GPRINTER.DLL", "DLLPRINT.DLL", or
  // "GETTHEPRINTER in GPRINTER.DLL", ...).
  std::string Load();

  // Calls the picker with the report path as its second argument and empty texts for the
  // other five; returns its reply ("" for a null reply). Frees every handle it made, and any
  // the picker put in their place. Requires a successful Load().
  std::string PickPrinter(std::string_view report_path);

  // Calls the print utility with 0 and `command`. Requires a successful Load().
  void Print(std::string_view command);

 private:
  HMODULE picker_library_ = nullptr;
  HMODULE print_library_ = nullptr;
  GetThePrinterFn picker_ = nullptr;
  DllPrintFn print_ = nullptr;
};

}  // namespace qreport
