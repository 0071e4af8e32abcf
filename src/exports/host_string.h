// Host string handles, the string type of the host's calls. On Windows a handle is a BSTR that
// holds single-byte text (its byte length is what counts, not its UTF-16 length). Elsewhere it is
// a pointer to the first byte of a byte string, with its 32-bit length in the four bytes before it
// and a NUL after the last byte: the same layout, allocated by this module.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <qreport/qreport.h>

namespace qreport {

// The handle type of the public header: a BSTR on Windows (without the whole of <windows.h> in
// every includer), a byte pointer elsewhere.
using HostString = qreport_string;

// A new handle holding a copy of `bytes`; null when memory runs out.
HostString HostStringAlloc(std::string_view bytes);
// Frees a handle made by HostStringAlloc (or by the host); null is allowed.
void HostStringFree(HostString handle);
// The bytes a handle holds; a null handle is empty text.
std::string HostStringRead(const HostString handle);
// The bytes of the handle `*slot` holds; a null slot or a null handle is empty text.
inline std::string HostStringReadAt(const HostString* slot) {
  return slot == nullptr ? std::string() : HostStringRead(*slot);
}
// Replaces the string `*slot` refers to by `bytes`: the new handle is made first and the old one
// freed after, so that when memory runs out the host keeps its old, valid handle. A null slot is
// left alone.
void HostStringReplace(HostString* slot, std::string_view bytes);

}  // namespace qreport
