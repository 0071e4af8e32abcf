// Printer text written to the report file: pieces of text and line ends (CR LF), with the
// current column kept so that a piece can be placed at a column ("tab to column n").
#pragma once

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "data/bytes.h"
#include "text/masks.h"
#include "text/printer_text.h"

namespace qreport {

// The report file in the client folder, named as the host names it.
inline constexpr std::string_view kReportFileName = "\\report.txt";
// Where a report that a failed read left incomplete goes, so that the last good report stays.
inline constexpr std::string_view kIncompleteReportFileName = "\\report.incomplete.txt";

class OutputFile;

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
  // Writes a text from the data without a string of its own: control bytes print as blanks
  // (DataText) and the bytes above 0x7F as the printer's character set has them
  // (PrinterByteFromCp1252).
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

  class Line;
  // Writes out what is buffered and closes the file; throws RunError when it cannot.
  void Close();

 private:
  void FlushBuffer();
  // The rules by which the writer and a Line alike place their pieces. Data text: control bytes
  // print as blanks, the rest in the printer's character set; returns the end of what was put at
  // `at`.
  static char* PutDataText(char* at, std::string_view text) {
    for (char c : text) *at++ = PrinterByteFromCp1252(DataByte(c));
    return at;
  }
  // A tab from column `from` to `column` (below 1 counts as 1): a line end first when the line is
  // already past it, then blanks up to it.
  struct Tab {
    bool line_end;
    int blanks;
  };
  static Tab TabFrom(int from, int column) {
    if (column < 1) column = 1;
    if (from > column) return {true, column - 1};
    return {false, column - from};
  }
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

// A line written in one piece straight into the writer's buffer, for the places that print many
// alike (the worksheet's employee lines): room for `most_bytes` is made once, and the pieces are
// placed by the same rules as the writer's own. End writes the line end and counts the bytes;
// nothing else may be written to the writer while a Line is open.
class ReportWriter::Line {
 public:
  Line(ReportWriter& out, std::size_t most_bytes) : out_(out), p_(out.Room(most_bytes)), column_(out.column_) {}
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  // Data text, as ReportWriter::DataText.
  void DataText(std::string_view text) {
    p_ = PutDataText(p_, text);
    column_ += static_cast<int>(text.size());
  }
  void Blanks(std::size_t count) {
    std::memset(p_, ' ', count);
    p_ += count;
    column_ += static_cast<int>(count);
  }
  // As ReportWriter::TabTo: blanks up to `column`, after a line end when the line is already past
  // it. The room must allow for that line end and the blanks.
  void TabTo(int column) {
    const Tab tab = TabFrom(column_, column);
    if (tab.line_end) {
      *p_++ = '\r';
      *p_++ = '\n';
      column_ = 1;
    }
    Blanks(static_cast<std::size_t>(tab.blanks));
  }
  // An amount by its mask; the room must allow mask.MaxBytes().
  void Amount(const NumberMask& mask, double value) {
    char* const end = mask.FormatTo(p_, value);
    column_ += static_cast<int>(end - p_);
    p_ = end;
  }
  // CR LF, and the line is counted into the writer (which may write out its buffer).
  void End() {
    *p_++ = '\r';
    *p_++ = '\n';
    out_.Wrote(p_);
    out_.column_ = 1;
  }

 private:
  ReportWriter& out_;
  char* p_;
  int column_;
};

}  // namespace qreport
