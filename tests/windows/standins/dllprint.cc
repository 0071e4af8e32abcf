// A stand-in for the outside print utility DLLPRINT.DLL. DLLPrint appends its command text as
// one line to the file that QREPORT_PRINT_LOG names, as the Linux print utility substitute
// does; a first argument other than 0 is written in front of it as "first argument N: ".
#include <windows.h>

#include <cstdio>

extern "C" LONG __stdcall DLLPrint(LONG first, const char* command) {
  char log[4096];
  DWORD length = GetEnvironmentVariableA("QREPORT_PRINT_LOG", log, sizeof log);
  if (length == 0 || length >= sizeof log) return 0;
  if (std::FILE* f = std::fopen(log, "ab")) {
    if (first != 0) std::fprintf(f, "first argument %ld: ", static_cast<long>(first));
    std::fprintf(f, "%s\n", command == nullptr ? "(null)" : command);
    std::fclose(f);
  }
  return 1;
}
