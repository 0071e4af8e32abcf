// QREPORT.DLL as the host loads it: by LoadLibraryA, the exports found by plain name, strings made
// with SysAllocStringByteLen, and every call made through a thunk that measures how far the stack
// pointer moved across it, so that a wrong calling convention or argument size shows as a number
// instead of a crash somewhere later.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#undef MessageBox

namespace qreport::wintest {

// A BSTR holding `bytes` (single-byte text); the caller frees it.
BSTR Bstr(std::string_view bytes);
// The bytes a BSTR holds; "(null)" for a null BSTR.
std::string Bytes(BSTR text);

// Owns one BSTR slot as a host variable does: freed at the end, whatever the module put there.
class HostString {
 public:
  HostString() = default;
  explicit HostString(std::string_view bytes) : value_(Bstr(bytes)) {}
  // A null string for nullopt.
  explicit HostString(const std::optional<std::string>& bytes) : value_(bytes ? Bstr(*bytes) : nullptr) {}
  ~HostString() { SysFreeString(value_); }
  HostString(const HostString&) = delete;
  HostString& operator=(const HostString&) = delete;
  BSTR* slot() { return &value_; }
  BSTR get() const { return value_; }
  std::string bytes() const { return Bytes(value_); }

 private:
  BSTR value_ = nullptr;
};

// The result of one call: how far the stack pointer moved (0 when the callee removed exactly its
// arguments; always 0 on x86-64) and the value it returned (EDX:EAX, or RAX).
struct CallResult {
  int stack_moved = 0;
  std::int64_t value = 0;
};

// The module under test, loaded from the build folder.
class HostModule {
 public:
  HostModule();
  ~HostModule();
  HostModule(const HostModule&) = delete;
  HostModule& operator=(const HostModule&) = delete;

  HMODULE handle() const { return module_; }
  // The Windows path the module was loaded from.
  static std::string Path();

  CallResult QreportProc(BSTR* data_dir, BSTR* device_code, BSTR* report_kind) const;
  CallResult DvDiskFree(BSTR drive, BSTR* mode) const;
  CallResult ShowFreeSp(BSTR* drive) const;

 private:
  CallResult Call(const char* name, std::initializer_list<std::uintptr_t> args) const;
  HMODULE module_ = nullptr;
};

// Calls the export at `fn` with `args` as a host of this build's width does (call_i686.cc or
// call_x86_64.cc): the void exports' value is whatever the register held.
CallResult CallExport(void* fn, std::initializer_list<std::uintptr_t> args);

// A path of this machine's file system as Windows names it under wine: Z: and backslashes.
std::string WinePath(std::string_view unix_path);

}  // namespace qreport::wintest
