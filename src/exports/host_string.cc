#include "exports/host_string.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#ifdef _WIN32
#include <windows.h>
#include <oleauto.h>
#endif

namespace qreport {

#ifdef _WIN32

// The text is bytes, so a BSTR is made and read by its byte length; a host's byte string may
// have an odd length, which its UTF-16 length would lose.
HostString HostStringAlloc(std::string_view bytes) {
  if (bytes.size() > std::numeric_limits<UINT>::max() / 2) return nullptr;
  return ::SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size()));
}

void HostStringFree(HostString handle) {
  if (handle != nullptr) ::SysFreeString(handle);
}

std::string HostStringRead(const HostString handle) {
  if (handle == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(handle), ::SysStringByteLen(handle));
}

#else

HostString HostStringAlloc(std::string_view bytes) {
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max() - 8) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(4 + bytes.size() + 1));
  if (block == nullptr) return nullptr;
  std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
  for (int i = 0; i < 4; ++i) block[i] = static_cast<unsigned char>(length >> (8 * i));
  if (!bytes.empty()) std::memcpy(block + 4, bytes.data(), bytes.size());
  block[4 + bytes.size()] = 0;
  return reinterpret_cast<char*>(block + 4);
}

void HostStringFree(HostString handle) {
  if (handle != nullptr) std::free(handle - 4);
}

std::string HostStringRead(const HostString handle) {
  if (handle == nullptr) return {};
  auto* length_bytes = reinterpret_cast<const unsigned char*>(handle) - 4;
  std::uint32_t length = 0;
  for (int i = 0; i < 4; ++i) length |= static_cast<std::uint32_t>(length_bytes[i]) << (8 * i);
  return std::string(handle, length);
}

#endif

void HostStringReplace(HostString* slot, std::string_view bytes) {
  if (slot == nullptr) return;
  HostString fresh = HostStringAlloc(bytes);
  if (fresh == nullptr) return;  // keep the old text rather than lose the handle
  HostStringFree(*slot);
  *slot = fresh;
}

}  // namespace qreport
