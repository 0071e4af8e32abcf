// The call of an export on 32-bit Windows, where a host and a module that disagree on the calling
// convention or the size of the arguments unbalance the stack: the thunk measures it.
#include <vector>

#include "support/host_module.h"

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

CallResult CallExport(void* fn, std::initializer_list<std::uintptr_t> args) {
  std::vector<std::uint32_t> words;
  for (std::uintptr_t a : args) words.push_back(static_cast<std::uint32_t>(a));
  std::uint64_t value = 0;
  CallResult result;
  result.stack_moved = qr_call_measured(fn, words.data(), static_cast<int>(words.size()), &value);
  result.value = static_cast<std::int64_t>(value);
  return result;
}

}  // namespace qreport::wintest
