// Host record files: fixed-length records numbered from 1, record n at byte (n - 1) x length.
// Opening a missing file creates it empty (as the host does), or for the commands that only look,
// reads it as empty and creates nothing; a read past the end yields zero bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qreport {

// What a reader does with a file that is not there: the report run creates it empty, as the
// host's own reads do; `inspect` and `lines` read it as empty and leave the folder as it was.
enum class MissingFile { kCreate, kReadAsEmpty };

// One open record file. Reads go through a window of the file kept in memory, so a walk in
// ascending record order costs one system read per window. Copying is deleted: one handle each.
class RecordFile {
 public:
  // Opens `path` for reading records of `record_length` bytes (> 0), creating it empty when it
  // does not exist. Throws RunError with the error number when it cannot be opened or created
  // (a folder in its place is error 75, a missing folder 76). With kReadAsEmpty a missing file
  // is not created and reads as a file of no bytes.
  RecordFile(const std::filesystem::path& path, std::size_t record_length, MissingFile missing = MissingFile::kCreate);
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // The file's length in bytes when it was opened.
  std::uint64_t byte_length() const { return size_; }
  std::size_t record_length() const { return record_length_; }

  // Reads record `number` (1-based) into `out`, which must hold record_length() bytes. Bytes past
  // the end of the file, and every byte of a record number below 1, read as zero. Throws
  // RunError when the system read fails.
  void Read(std::int64_t number, std::span<std::uint8_t> out);

  // Reads record `number` into a new buffer of record_length() bytes.
  std::vector<std::uint8_t> Read(std::int64_t number);

  // Record `number` as Read gives it, without copying it when it can: a view of the read buffer
  // when the whole record is in it, else `scratch` (record_length() bytes) filled by Read. Valid
  // until the next read of this file. Throws RunError as Read does.
  std::span<const std::uint8_t> View(std::int64_t number, std::span<std::uint8_t> scratch);

 private:
  void Fill(std::uint64_t offset);
  // Copies what the file has of record `number` to the start of `out`; returns how many bytes.
  std::size_t CopyRecord(std::int64_t number, std::span<std::uint8_t> out);

  std::FILE* file_ = nullptr;
  std::size_t record_length_;
  std::uint64_t size_ = 0;
  std::uint64_t whole_records_ = 0;  // size_ / record_length_
  std::vector<std::uint8_t> window_;
  std::uint64_t window_start_ = 0;
  std::size_t window_used_ = 0;
  // Where the file's next read starts, when it is known: after a read of the window that did not
  // fail, its end.
  std::optional<std::uint64_t> position_;
};

// Creates `path` empty when it does not exist, without touching an existing file. Throws
// RunError as RecordFile's constructor does. With kReadAsEmpty it creates nothing and returns
// false when there is no file; it returns true when a file is there to be read.
bool EnsureFileExists(const std::filesystem::path& path, MissingFile missing = MissingFile::kCreate);

// The whole content of a file, or empty when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);

// The start of a file up to and with its `lines`-th LF (or all of it when it has fewer). Throws
// RunError with the error number when the file cannot be opened or read.
std::string ReadFilePrefix(const std::filesystem::path& path, int lines);

// A file written from the start: created, or emptied when it exists (or appended to when
// `append` is set), only as a regular file: a symbolic link, folder, pipe or device in its place
// is error 75. Every write failure throws WriteError with the error number (61 disk full,
// 70 permission denied, ...).
class OutputFile {
 public:
  OutputFile(const std::filesystem::path& path, bool append = false);
  // Takes over a file already open for writing (a new temporary file).
  explicit OutputFile(std::FILE* file) : file_(file) {}
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::string_view bytes);
  // Flushes and closes; throws WriteError when the data could not be written out. With `sync`
  // the data is on disk when it returns, as a rename that replaces another file needs.
  void Close(bool sync = false);

 private:
  std::FILE* file_ = nullptr;
};

// The error number of a failed open of `path`: 76 when its folder is missing, 75 when a folder
// stands in its place, otherwise the number for errno `error`.
int OpenErrorNumber(const std::filesystem::path& path, int error);

}  // namespace qreport
