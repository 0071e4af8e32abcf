#include "data/record_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <system_error>

#include "data/errors.h"
#include "platform/files.h"
#include "text/read_to_end.h"

namespace qreport {
namespace {

constexpr std::size_t kWindowBytes = 64 * 1024;

std::FILE* OpenForReading(const std::filesystem::path& path) { return OpenRegularForReading(path); }

bool IsFolder(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

// A pipe, device or socket under a file's name: opening it could wait for ever.
bool IsSpecialFile(const std::filesystem::path& path) {
  std::error_code ec;
  auto status = std::filesystem::status(path, ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
         !std::filesystem::is_directory(status);
}

}  // namespace

int OpenErrorNumber(const std::filesystem::path& path, int error) {
  std::error_code ec;
  if (IsFolder(path)) return kErrPathFileAccess;
  std::filesystem::path parent = path.parent_path();
  if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) return kErrPathNotFound;
  return ErrorNumberFromErrno(error);
}

bool EnsureFileExists(const std::filesystem::path& path, MissingFile missing) {
  if (IsFolder(path) || IsSpecialFile(path)) {
    throw RunError(kErrPathFileAccess, "no plain file at " + path.string());
  }
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return true;
  if (missing == MissingFile::kReadAsEmpty) {
    std::filesystem::path parent = path.parent_path();
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) {
      throw RunError(kErrPathNotFound, "no folder for " + path.string());
    }
    return false;
  }
  // Only a missing file is created, never through a link that points nowhere yet.
  std::FILE* f = OpenRegularForWriting(path, WriteMode::kAppend);
  if (f == nullptr) {
    int error = errno;
    // A read-only file that exists is still there to be read.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) return true;
    throw RunError(OpenErrorNumber(path, error), "cannot create " + path.string());
  }
  std::fclose(f);
  return true;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  if (IsFolder(path) || IsSpecialFile(path)) return {};
  std::FILE* f = OpenForReading(path);
  if (f == nullptr) return {};
  std::string content = ReadToEnd(f);
  std::fclose(f);
  return content;
}

std::string ReadFilePrefix(const std::filesystem::path& path, int lines) {
  if (IsFolder(path) || IsSpecialFile(path)) throw RunError(kErrPathFileAccess, "no plain file at " + path.string());
  std::FILE* f = OpenForReading(path);
  if (f == nullptr) throw RunError(OpenErrorNumber(path, errno), "cannot open " + path.string());
  std::string content;
  int seen = 0;
  int c;
  while (seen < lines && (c = std::fgetc(f)) != EOF) {
    content += static_cast<char>(c);
    if (c == '\n') ++seen;
  }
  bool failed = std::ferror(f) != 0;
  int error = errno;
  std::fclose(f);
  if (failed) throw RunError(ErrorNumberFromErrno(error == 0 ? EIO : error), "cannot read " + path.string());
  return content;
}

RecordFile::RecordFile(const std::filesystem::path& path, std::size_t record_length, MissingFile missing)
    : record_length_(record_length == 0 ? 1 : record_length) {
  if (!EnsureFileExists(path, missing)) return;  // read as a file of no bytes
  file_ = OpenForReading(path);
  if (file_ == nullptr) throw RunError(OpenErrorNumber(path, errno), "cannot open " + path.string());
  // The window is the only buffer: a read of a window goes straight into it.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  std::error_code ec;
  std::uintmax_t length = std::filesystem::file_size(path, ec);
  size_ = ec ? 0 : static_cast<std::uint64_t>(length);
  whole_records_ = size_ / record_length_;
}

RecordFile::~RecordFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void RecordFile::Fill(std::uint64_t offset) {
  window_.resize(std::max(kWindowBytes, record_length_));
  // A walk in ascending order asks for the window that starts inside this one, at the record it
  // has only part of: that part moves to the front and the read goes on from where the last one
  // ended, with no seek and no byte read twice.
  const std::uint64_t window_end = window_start_ + window_used_;
  const bool goes_on = position_ == window_end && window_used_ > 0 && offset >= window_start_ && offset <= window_end;
  const std::size_t kept = goes_on ? static_cast<std::size_t>(window_end - offset) : 0;
  if (kept > 0) std::memmove(window_.data(), window_.data() + (offset - window_start_), kept);
  window_start_ = offset;
  window_used_ = kept;
  if (offset >= size_ || offset > static_cast<std::uint64_t>(LONG_MAX)) return;
  if (!goes_on) {
    position_.reset();
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
      throw RunError(ErrorNumberFromErrno(errno), "seek failed");
    }
  }
  std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(window_.size(), size_ - offset));
  if (want <= kept) return;
  const std::size_t got = std::fread(window_.data() + kept, 1, want - kept, file_);
  window_used_ = kept + got;
  if (window_used_ < want && std::ferror(file_)) {
    int error = errno;
    std::clearerr(file_);
    position_.reset();
    throw RunError(error == EISDIR ? kErrPathFileAccess : ErrorNumberFromErrno(error == 0 ? EIO : error),
                   "read failed");
  }
  position_ = offset + window_used_;
}

void RecordFile::Read(std::int64_t number, std::span<std::uint8_t> out) {
  // The bytes the file has are copied and only the rest is zeroed: a walk reads every record.
  const std::size_t present = CopyRecord(number, out);
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(present), out.end(), std::uint8_t{0});
}

std::size_t RecordFile::CopyRecord(std::int64_t number, std::span<std::uint8_t> out) {
  if (number < 1) return 0;
  std::uint64_t offset = static_cast<std::uint64_t>(number - 1) * record_length_;
  if (offset >= size_) return 0;
  std::size_t length = std::min(out.size(), record_length_);
  if (offset < window_start_ || offset + length > window_start_ + window_.size() || window_.empty()) {
    Fill(offset);
  }
  std::uint64_t from = offset - window_start_;
  if (from >= window_used_) return 0;
  std::size_t present = static_cast<std::size_t>(std::min<std::uint64_t>(length, window_used_ - from));
  std::memcpy(out.data(), window_.data() + from, present);
  return present;
}

std::span<const std::uint8_t> RecordFile::View(std::int64_t number, std::span<std::uint8_t> scratch) {
  if (number >= 1 && static_cast<std::uint64_t>(number - 1) < whole_records_) {
    const std::uint64_t offset = static_cast<std::uint64_t>(number - 1) * record_length_;
    if (offset < window_start_ || offset + record_length_ > window_start_ + window_used_) Fill(offset);
    if (offset + record_length_ <= window_start_ + window_used_) {
      return {window_.data() + (offset - window_start_), record_length_};
    }
  }
  Read(number, scratch);
  return scratch;
}

std::vector<std::uint8_t> RecordFile::Read(std::int64_t number) {
  std::vector<std::uint8_t> record(record_length_);
  Read(number, record);
  return record;
}

OutputFile::OutputFile(const std::filesystem::path& path, bool append) {
  file_ = OpenRegularForWriting(path, append ? WriteMode::kAppend : WriteMode::kReplace);
  if (file_ == nullptr) throw WriteError(OpenErrorNumber(path, errno), "cannot write " + path.string());
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void OutputFile::Write(std::string_view bytes) {
  if (file_ == nullptr) throw WriteError(kErrPathFileAccess, "write after close");
  if (bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    throw WriteError(ErrorNumberFromErrno(errno), "write failed");
  }
}

void OutputFile::Close(bool sync) {
  if (file_ == nullptr) return;
  std::FILE* f = file_;
  file_ = nullptr;
  bool flushed = sync ? SyncFile(f) : std::fflush(f) == 0;
  int error = errno;
  bool closed = std::fclose(f) == 0;
  if (!flushed || !closed) throw WriteError(ErrorNumberFromErrno(flushed ? errno : error), "write failed");
}

}  // namespace qreport
