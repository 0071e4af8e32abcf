#include "data/bytes.h"

namespace qreport {

std::uint8_t ByteAt(Bytes record, std::size_t offset) { return offset < record.size() ? record[offset] : 0; }

std::string TextAt(Bytes record, std::size_t offset, std::size_t width) {
  std::string text(width, '\0');
  for (std::size_t i = 0; i < width; ++i) text[i] = static_cast<char>(ByteAt(record, offset + i));
  return text;
}

std::int16_t Int16At(Bytes record, std::size_t offset) {
  std::uint16_t v = static_cast<std::uint16_t>(ByteAt(record, offset) | (ByteAt(record, offset + 1) << 8));
  return static_cast<std::int16_t>(v);
}

std::int32_t Int32At(Bytes record, std::size_t offset) {
  std::uint32_t v = static_cast<std::uint32_t>(ByteAt(record, offset)) |
                    (static_cast<std::uint32_t>(ByteAt(record, offset + 1)) << 8) |
                    (static_cast<std::uint32_t>(ByteAt(record, offset + 2)) << 16) |
                    (static_cast<std::uint32_t>(ByteAt(record, offset + 3)) << 24);
  return static_cast<std::int32_t>(v);
}

std::string TrimRight(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

std::string Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return TrimRight(text);
}

}  // namespace qreport
