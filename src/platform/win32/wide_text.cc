#include "platform/win32/wide_text.h"

#include <climits>

#include "platform/win32/windows_api.h"

namespace qreport {

std::wstring WideFromBytes(std::string_view bytes, unsigned code_page) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  int size = static_cast<int>(bytes.size());
  int length = ::MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) {
    // A code page this system lacks: each byte as the code point of the same value.
    std::wstring text;
    for (char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return text;
  }
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(code_page, 0, bytes.data(), size, text.data(), length);
  return text;
}

}  // namespace qreport
