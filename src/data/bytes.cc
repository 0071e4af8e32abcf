#include "data/bytes.h"

namespace qreport {

std::string TextAt(Bytes record, std::size_t offset, std::size_t width) {
  std::string text(width, '\0');
  for (std::size_t i = 0; i < width; ++i) text[i] = static_cast<char>(ByteAt(record, offset + i));
  return text;
}

void AssignTextAt(Bytes record, std::size_t offset, std::size_t width, std::string& out) {
  if (offset < record.size() && record.size() - offset >= width) {
    out.assign(reinterpret_cast<const char*>(record.data() + offset), width);
    return;
  }
  out.resize(width);
  for (std::size_t i = 0; i < width; ++i) out[i] = static_cast<char>(ByteAt(record, offset + i));
}

std::string DataText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = DataByte(c);
  return out;
}

}  // namespace qreport
