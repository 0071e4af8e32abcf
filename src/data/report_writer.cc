#include "data/report_writer.h"

#include "data/bytes.h"
#include "data/record_file.h"
#include "text/masks.h"

namespace qreport {
namespace {
constexpr std::size_t kFlushBytes = 64 * 1024;
}  // namespace

ReportWriter::ReportWriter(const std::filesystem::path& path, bool append)
    : file_(std::make_unique<OutputFile>(path, append)) {
  buffer_.reserve(kFlushBytes + 1024);
}

ReportWriter::~ReportWriter() {
  // An unwinding writer keeps what it could write; errors here have nowhere to go.
  try {
    FlushBuffer();
  } catch (...) {
  }
}

void ReportWriter::FlushBuffer() {
  if (buffer_.empty() || !file_) return;
  // Emptied after the write whether it succeeded or not, so that the destructor never writes the
  // same bytes again; the buffer keeps its room for the next piece.
  std::string_view pending = buffer_;
  struct Clear {
    std::string& buffer;
    ~Clear() { buffer.clear(); }
  } clear{buffer_};
  file_->Write(pending);
}

void ReportWriter::Text(std::string_view bytes) {
  buffer_.append(bytes);
  column_ += static_cast<int>(bytes.size());
  if (buffer_.size() >= kFlushBytes) FlushBuffer();
}

void ReportWriter::Amount(std::string_view mask, double value) { Amount(NumberMask(mask), value); }

void ReportWriter::Amount(const NumberMask& mask, double value) {
  const std::size_t before = buffer_.size();
  mask.AppendTo(buffer_, value);
  column_ += static_cast<int>(buffer_.size() - before);
  if (buffer_.size() >= kFlushBytes) FlushBuffer();
}

void ReportWriter::DataText(std::string_view text) {
  const std::size_t before = buffer_.size();
  buffer_.resize(before + text.size());
  for (std::size_t i = 0; i < text.size(); ++i) buffer_[before + i] = qreport::DataByte(text[i]);
  column_ += static_cast<int>(text.size());
  if (buffer_.size() >= kFlushBytes) FlushBuffer();
}

void ReportWriter::Repeat(char c, int count) {
  if (count <= 0) return;
  buffer_.append(static_cast<std::size_t>(count), c);
  column_ += count;
  if (buffer_.size() >= kFlushBytes) FlushBuffer();
}

void ReportWriter::LineEnd() {
  buffer_ += "\r\n";
  column_ = 1;
  if (buffer_.size() >= kFlushBytes) FlushBuffer();
}

void ReportWriter::TabTo(int column) {
  if (column < 1) column = 1;
  if (column_ > column) LineEnd();
  Repeat(' ', column - column_);
}

void ReportWriter::Close() {
  FlushBuffer();
  if (file_) file_->Close();
}

}  // namespace qreport
