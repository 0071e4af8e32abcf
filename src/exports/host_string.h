// Host string handles: a pointer to the first byte of a byte string, with its 32-bit length in
// the four bytes before it and a NUL after the last byte (the layout of the host's strings).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qreport {

// A new handle holding a copy of `bytes`; null when memory runs out.
char* HostStringAlloc(std::string_view bytes);
// Frees a handle made by HostStringAlloc; null is allowed.
void HostStringFree(char* handle);
// The bytes a handle holds; a null handle is empty text.
std::string HostStringRead(const char* handle);
// Replaces the string `*slot` refers to by `bytes` (frees the old handle).
void HostStringReplace(char** slot, std::string_view bytes);

}  // namespace qreport
