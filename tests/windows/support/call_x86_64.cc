// The call of an export on 64-bit Windows. x86-64 has one calling convention, in which the caller
// reserves and releases the stack, so a callee cannot unbalance it: stack_moved is 0 by
// construction, and the test of the balance belongs to the 32-bit suite.
#include <stdexcept>

#include "support/host_module.h"

namespace qreport::wintest {

CallResult CallExport(void* fn, std::initializer_list<std::uintptr_t> args) {
  const std::uintptr_t* a = args.begin();
  CallResult result;
  switch (args.size()) {
    case 1:
      result.value = reinterpret_cast<std::int64_t (*)(std::uintptr_t)>(fn)(a[0]);
      break;
    case 2:
      result.value = reinterpret_cast<std::int64_t (*)(std::uintptr_t, std::uintptr_t)>(fn)(a[0], a[1]);
      break;
    case 3:
      result.value =
          reinterpret_cast<std::int64_t (*)(std::uintptr_t, std::uintptr_t, std::uintptr_t)>(fn)(a[0], a[1], a[2]);
      break;
    default:
      throw std::logic_error("no export takes that many arguments");
  }
  return result;
}

}  // namespace qreport::wintest
