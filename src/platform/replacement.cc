// Replacing a whole file through a temporary beside it, the same steps on every platform: each
// step is one of the platform's own file calls (posix/files.cc, win32/files.cc).
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "platform/files.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;

// The errno value for what stands at `target` when it is present but not a regular file: a
// symbolic link, a folder or anything else. 0 when it is missing or a regular file.
int NotRegularError(const fs::path& target) {
  if (!IsPresentButNotRegular(target)) return 0;
  std::error_code ec;
  auto status = fs::symlink_status(target, ec);
  if (fs::is_symlink(status)) return ELOOP;
  return fs::is_directory(status) ? EISDIR : ENXIO;
}

// Removes `temporary` and sets errno to `error` again (the removal may have changed it).
bool RemoveAndFail(const fs::path& temporary, int error) {
  std::error_code ec;
  fs::remove(temporary, ec);
  errno = error;
  return false;
}

// Renames the synced `temporary` over `target` with an old regular target's permissions, then
// syncs the folder. On failure the temporary is removed and errno says why.
bool MoveIntoPlace(const fs::path& temporary, const fs::path& target) {
  if (int error = NotRegularError(target)) return RemoveAndFail(temporary, error);
  std::error_code ec;
  auto status = fs::symlink_status(target, ec);
  if (!ec && fs::is_regular_file(status)) fs::permissions(temporary, status.permissions(), ec);
  if (!RenameOver(temporary, target)) return RemoveAndFail(temporary, errno);
  SyncFolder(target.parent_path());
  return true;
}

// Flushes, syncs and closes `file`; false with errno set when any of it fails.
bool SyncAndClose(std::FILE* file) {
  bool synced = SyncFile(file);
  int error = errno;
  bool closed = std::fclose(file) == 0;
  if (!synced) errno = error;
  return synced && closed;
}

}  // namespace

std::FILE* CreateReplacementFor(const fs::path& target, fs::path& temporary) {
  if (int error = NotRegularError(target)) {
    errno = error;
    return nullptr;
  }
  return CreateTemporaryIn(target.parent_path(), temporary);
}

bool CommitReplacement(const fs::path& temporary, const fs::path& target) {
  std::FILE* file = OpenRegularForWriting(temporary, WriteMode::kAppend);
  if (file == nullptr || !SyncAndClose(file)) return RemoveAndFail(temporary, errno);
  return MoveIntoPlace(temporary, target);
}

FileReplacement::FileReplacement(fs::path target) : target_(std::move(target)) {
  file_ = CreateReplacementFor(target_, temporary_);
  if (file_ == nullptr) error_ = errno;
}

FileReplacement::FileReplacement(fs::path target, fs::path temporary)
    : target_(std::move(target)), temporary_(std::move(temporary)) {
  if (int error = NotRegularError(target_)) {
    error_ = error;
    temporary_.clear();
    return;
  }
  file_ = OpenRegularForWriting(temporary_, WriteMode::kReplace);
  if (file_ == nullptr) {
    error_ = errno;
    temporary_.clear();  // not ours: whatever stands there was not opened
  }
}

FileReplacement::~FileReplacement() { Abandon(); }

bool FileReplacement::Fail(int error) {
  Abandon();
  error_ = error;
  errno = error;
  return false;
}

bool FileReplacement::Write(std::string_view bytes) {
  if (file_ == nullptr) return Fail(error_ != 0 ? error_ : EBADF);
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) return Fail(errno);
  return true;
}

bool FileReplacement::Commit() {
  if (file_ == nullptr) return Fail(error_ != 0 ? error_ : EBADF);
  std::FILE* file = file_;
  file_ = nullptr;
  if (!SyncAndClose(file) || !MoveIntoPlace(temporary_, target_)) return Fail(errno);
  temporary_.clear();
  return true;
}

void FileReplacement::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) {
    std::error_code ec;
    fs::remove(temporary_, ec);
    temporary_.clear();
  }
}

bool ReplaceFileWith(const fs::path& target, std::string_view bytes) {
  FileReplacement replacement(target);
  if (!replacement.is_open()) {
    errno = replacement.error();
    return false;
  }
  return replacement.Write(bytes) && replacement.Commit();
}

}  // namespace qreport
