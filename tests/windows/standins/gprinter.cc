// A stand-in for the outside printer picker GPRINTER.DLL. GETTHEPRINTER appends one line to the
// file that QREPORT_PICKER_LOG names: its six texts, each in brackets. It answers with the text of
// QREPORT_PRINTER_REPLY, or with a null string when that is not set.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace {

std::string Environment(const char* name, bool& present) {
  char value[4096];
  DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  present = length > 0 && length < sizeof value;
  return present ? std::string(value, length) : std::string();
}

std::string Text(BSTR* slot) {
  if (slot == nullptr) return "(null slot)";
  if (*slot == nullptr) return "(null)";
  return std::string(reinterpret_cast<const char*>(*slot), SysStringByteLen(*slot));
}

}  // namespace

extern "C" BSTR __stdcall GETTHEPRINTER(BSTR* a1, BSTR* a2, BSTR* a3, BSTR* a4, BSTR* a5, BSTR* a6) {
  bool present = false;
  std::string log = Environment("QREPORT_PICKER_LOG", present);
  if (present) {
    if (std::FILE* f = std::fopen(log.c_str(), "ab")) {
      for (BSTR* slot : {a1, a2, a3, a4, a5, a6}) std::fprintf(f, "[%s]", Text(slot).c_str());
      std::fputs("\n", f);
      std::fclose(f);
    }
  }
  std::string reply = Environment("QREPORT_PRINTER_REPLY", present);
  if (!present) return nullptr;
  return SysAllocStringByteLen(reply.data(), static_cast<UINT>(reply.size()));
}
