#include "data/report_writer.h"

#include <algorithm>
#include <cstring>

#include "data/bytes.h"
#include "data/record_file.h"
#include "text/masks.h"
#include "text/printer_text.h"

namespace qreport {
ReportWriter::ReportWriter(const std::filesystem::path& path, bool append)
    : file_(std::make_unique<OutputFile>(path, append)),
      buffer_(std::make_unique<char[]>(kFlushBytes + kPieceRoom)),
      capacity_(kFlushBytes + kPieceRoom) {}

ReportWriter::~ReportWriter() {
  // An unwinding writer keeps what it could write; errors here have nowhere to go.
  try {
    FlushBuffer();
  } catch (...) {
  }
}

void ReportWriter::FlushBuffer() {
  if (used_ == 0 || !file_) return;
  // Emptied before the write whether it succeeds or not, so that the destructor never writes
  // the same bytes again.
  const std::string_view pending(buffer_.get(), used_);
  used_ = 0;
  file_->Write(pending);
}

void ReportWriter::MakeRoom(std::size_t bytes) {
  FlushBuffer();
  if (bytes > capacity_) {
    buffer_ = std::make_unique<char[]>(bytes);
    capacity_ = bytes;
  }
}

void ReportWriter::Text(std::string_view bytes) {
  if (bytes.size() > kPieceRoom) {
    // A long piece goes out as it stands, after what is buffered.
    FlushBuffer();
    if (file_) file_->Write(bytes);
    column_ += static_cast<int>(bytes.size());
    return;
  }
  char* at = Room(bytes.size());
  if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
  Wrote(at + bytes.size());
}

void ReportWriter::Amount(std::string_view mask, double value) { Amount(NumberMask(mask), value); }

void ReportWriter::Amount(const NumberMask& mask, double value) {
  Wrote(mask.FormatTo(Room(mask.MaxBytes()), value));
}

void ReportWriter::DataText(std::string_view text) {
  if (text.size() > kPieceRoom) {
    Text(PrinterTextFromCp1252(qreport::DataText(text)));
    return;
  }
  Wrote(PutDataText(Room(text.size()), text));
}

void ReportWriter::Repeat(char c, int count) {
  if (count <= 0) return;
  auto left = static_cast<std::size_t>(count);
  while (left > 0) {
    const std::size_t piece = std::min(left, kPieceRoom);
    char* at = Room(piece);
    std::memset(at, c, piece);
    Wrote(at + piece);
    left -= piece;
  }
}

void ReportWriter::LineEnd() {
  char* at = Room(2);
  at[0] = '\r';
  at[1] = '\n';
  Wrote(at + 2);
  column_ = 1;
}

void ReportWriter::TabTo(int column) {
  const Tab tab = TabFrom(column_, column);
  if (tab.line_end) LineEnd();
  Repeat(' ', tab.blanks);
}

void ReportWriter::Close() {
  FlushBuffer();
  if (file_) file_->Close();
}

}  // namespace qreport
