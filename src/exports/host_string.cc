#include "exports/host_string.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace qreport {

char* HostStringAlloc(std::string_view bytes) {
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max() - 8) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(4 + bytes.size() + 1));
  if (block == nullptr) return nullptr;
  std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
  for (int i = 0; i < 4; ++i) block[i] = static_cast<unsigned char>(length >> (8 * i));
  if (!bytes.empty()) std::memcpy(block + 4, bytes.data(), bytes.size());
  block[4 + bytes.size()] = 0;
  return reinterpret_cast<char*>(block + 4);
}

void HostStringFree(char* handle) {
  if (handle != nullptr) std::free(handle - 4);
}

std::string HostStringRead(const char* handle) {
  if (handle == nullptr) return {};
  auto* length_bytes = reinterpret_cast<const unsigned char*>(handle) - 4;
  std::uint32_t length = 0;
  for (int i = 0; i < 4; ++i) length |= static_cast<std::uint32_t>(length_bytes[i]) << (8 * i);
  return std::string(handle, length);
}

void HostStringReplace(char** slot, std::string_view bytes) {
  if (slot == nullptr) return;
  char* fresh = HostStringAlloc(bytes);
  if (fresh == nullptr) return;  // keep the old text rather than lose the handle
  HostStringFree(*slot);
  *slot = fresh;
}

}  // namespace qreport
