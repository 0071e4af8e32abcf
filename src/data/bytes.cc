#include "data/bytes.h"

namespace qreport {

std::string TextAt(Bytes record, std::size_t offset, std::size_t width) {
  std::string text(width, '\0');
  for (std::size_t i = 0; i < width; ++i) text[i] = static_cast<char>(ByteAt(record, offset + i));
  return text;
}

std::string DataText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    auto b = static_cast<unsigned char>(c);
    if ((b >= 0x01 && b <= 0x1F) || b == 0x7F) c = ' ';
  }
  return out;
}

}  // namespace qreport
