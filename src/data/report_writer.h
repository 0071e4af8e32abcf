// Printer text written to the report file: pieces of text and line ends (CR LF), with the
// current column kept so that a piece can be placed at a column ("tab to column n").
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace qreport {

// The report file in the client folder, named as the host names it.
inline constexpr std::string_view kReportFileName = "\\report.txt";

class OutputFile;
class NumberMask;

// Writes printer text to a file through a buffer. Columns count from 1 and count every byte
// written since the last line end. Write failures throw RunError with their error number.
class ReportWriter {
 public:
  // Creates or empties `path` (or appends to it when `append` is set).
  explicit ReportWriter(const std::filesystem::path& path, bool append = false);
  ~ReportWriter();
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  // Writes bytes without a line end.
  void Text(std::string_view bytes);
  void Byte(char c) { Text(std::string_view(&c, 1)); }
  // Writes `value` formatted by the number mask `mask` (text/masks.h), formatted straight into
  // the buffer.
  void Amount(std::string_view mask, double value);
  void Amount(const NumberMask& mask, double value);
  // Writes data text (DataText: control bytes print as blanks) without a string of its own.
  void DataText(std::string_view text);
  // Writes `c` `count` times.
  void Repeat(char c, int count);
  // Writes CR LF.
  void LineEnd();
  // Pads with blanks to column `column`; when the line is already past it, a line end comes
  // first and the blanks follow on the new line. A column below 1 counts as 1.
  void TabTo(int column);
  // The column the next byte lands in.
  int column() const { return column_; }

  // A line written in one piece, for the places that print many alike: Reserve gives room for
  // `bytes` at the end of the buffer, the caller writes the line's bytes and its CR LF there, and
  // CommitLine counts them; the next byte starts a new line.
  char* Reserve(std::size_t bytes) { return Room(bytes); }
  void CommitLine(char* end) {
    Wrote(end);
    column_ = 1;
  }
  // Writes out what is buffered and closes the file; throws RunError when it cannot.
  void Close();

 private:
  void FlushBuffer();
  // Room for `bytes` more at the end of the buffer, flushing first when they would not fit.
  char* Room(std::size_t bytes) {
    if (used_ + bytes > capacity_) MakeRoom(bytes);
    return buffer_.get() + used_;
  }
  void MakeRoom(std::size_t bytes);
  // Counts the bytes written into the room up to `end` (and flushes a full buffer).
  void Wrote(char* end) {
    const auto bytes = static_cast<std::size_t>(end - (buffer_.get() + used_));
    used_ += bytes;
    column_ += static_cast<int>(bytes);
    if (used_ >= kFlushBytes) FlushBuffer();
  }

  // The buffer is written out once it holds this much; it has room for one more piece beyond it.
  static constexpr std::size_t kFlushBytes = 64 * 1024;
  static constexpr std::size_t kPieceRoom = 4 * 1024;

  std::unique_ptr<OutputFile> file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
  int column_ = 1;
};

}  // namespace qreport
