// Little-endian integers and fixed-width text taken from a record, by offset, after a length
// check. Nothing is ever cast over a buffer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qreport {

using Bytes = std::span<const std::uint8_t>;

// The `width` bytes at `offset` as text (bytes past the end of the record read as zero).
std::string TextAt(Bytes record, std::size_t offset, std::size_t width);

// Byte at `offset`, or 0 past the end.
inline std::uint8_t ByteAt(Bytes record, std::size_t offset) { return offset < record.size() ? record[offset] : 0; }

// Signed little-endian integers at `offset`; bytes past the end read as zero.
inline std::int16_t Int16At(Bytes record, std::size_t offset) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(ByteAt(record, offset) | (ByteAt(record, offset + 1) << 8)));
}
inline std::int32_t Int32At(Bytes record, std::size_t offset) {
  std::uint32_t v = static_cast<std::uint32_t>(ByteAt(record, offset)) |
                    (static_cast<std::uint32_t>(ByteAt(record, offset + 1)) << 8) |
                    (static_cast<std::uint32_t>(ByteAt(record, offset + 2)) << 16) |
                    (static_cast<std::uint32_t>(ByteAt(record, offset + 3)) << 24);
  return static_cast<std::int32_t>(v);
}

// Text from the record files, the letterhead or the dialogs as it goes into the report: data,
// never printer commands, so bytes 0x01 to 0x1F and 0x7F become blanks (NUL is left to the
// caller, whose rule for it differs between the worksheet and the forms).
std::string DataText(std::string_view text);
// One byte of DataText.
inline char DataByte(char c) {
  auto b = static_cast<unsigned char>(c);
  return (b >= 0x01 && b <= 0x1F) || b == 0x7F ? ' ' : c;
}

// TextAt into `out`, reusing its room: a walk that decodes record after record into the same
// string allocates nothing once the string has grown to the width.
void AssignTextAt(Bytes record, std::size_t offset, std::size_t width, std::string& out);

}  // namespace qreport
