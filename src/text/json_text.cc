#include "text/json_text.h"

namespace qreport {

std::string BytesToJsonText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::optional<std::string> JsonTextToBytes(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
      ++i;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace qreport
