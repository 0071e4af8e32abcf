#include "support/host_module.h"

#include <stdexcept>

namespace qreport::wintest {

BSTR Bstr(std::string_view bytes) { return SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size())); }

std::string Bytes(BSTR text) {
  if (text == nullptr) return "(null)";
  return std::string(reinterpret_cast<const char*>(text), SysStringByteLen(text));
}

std::string WinePath(std::string_view unix_path) {
  std::string path = "Z:";
  for (char c : unix_path) path += c == '/' ? '\\' : c;
  return path;
}

std::string HostModule::Path() { return WinePath(QREPORT_DLL_UNIX_PATH); }

HostModule::HostModule() {
  module_ = LoadLibraryA(Path().c_str());
  if (module_ == nullptr) throw std::runtime_error("cannot load " + Path());
}

HostModule::~HostModule() {
  if (module_ != nullptr) FreeLibrary(module_);
}

CallResult HostModule::Call(const char* name, std::initializer_list<std::uintptr_t> args) const {
  void* fn = reinterpret_cast<void*>(GetProcAddress(module_, name));
  if (fn == nullptr) throw std::runtime_error(std::string("QREPORT.DLL does not export ") + name);
  return CallExport(fn, args);
}

CallResult HostModule::QreportProc(BSTR* data_dir, BSTR* device_code, BSTR* report_kind) const {
  return Call("QREPORTPROC", {reinterpret_cast<std::uintptr_t>(data_dir), reinterpret_cast<std::uintptr_t>(device_code),
                              reinterpret_cast<std::uintptr_t>(report_kind)});
}

CallResult HostModule::DvDiskFree(BSTR drive, BSTR* mode) const {
  return Call("DVDISKFREE", {reinterpret_cast<std::uintptr_t>(drive), reinterpret_cast<std::uintptr_t>(mode)});
}

CallResult HostModule::ShowFreeSp(BSTR* drive) const {
  return Call("SHOWFREESP", {reinterpret_cast<std::uintptr_t>(drive)});
}

}  // namespace qreport::wintest
