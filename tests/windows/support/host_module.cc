#include "support/host_module.h"

#include <stdexcept>
#include <vector>

// Calls `fn` with `count` 32-bit arguments (pushed last to first, as both conventions do) and
// returns esp after the call minus esp before the arguments were pushed; EDX:EAX go to *result.
extern "C" int __cdecl qr_call_measured(void* fn, const std::uint32_t* args, int count, std::uint64_t* result);

asm(R"(
    .text
    .globl _qr_call_measured
_qr_call_measured:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl %esp, %esi
    movl 16(%ebp), %ecx
    movl 12(%ebp), %edx
1:
    testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%edx,%ecx,4)
    jmp 1b
2:
    call *8(%ebp)
    movl 20(%ebp), %ebx
    movl %eax, (%ebx)
    movl %edx, 4(%ebx)
    movl %esp, %eax
    subl %esi, %eax
    movl %esi, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

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
  std::vector<std::uint32_t> words;
  for (std::uintptr_t a : args) words.push_back(static_cast<std::uint32_t>(a));
  std::uint64_t value = 0;
  CallResult result;
  result.stack_moved = qr_call_measured(fn, words.data(), static_cast<int>(words.size()), &value);
  result.value = static_cast<std::int64_t>(value);
  return result;
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
