// The file operations that keep what the module writes safe: files opened only when they are
// regular files (never through a symbolic link, never a pipe or device that could block),
// temporary files beside their target with short names, data synced before a rename replaces
// a file, and the lock that keeps two runs out of one client folder. One implementation per
// platform (posix/files.cc, win32/files.cc).
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

namespace qreport {

enum class WriteMode {
  kReplace,  // created, or emptied when it exists
  kAppend,   // created, or written after what it holds
};

// Opens `path` for writing, only as a regular file: a symbolic link in its place (the last
// component) fails with ELOOP, a folder with EISDIR, and a pipe, device or socket with
// ENXIO, without waiting on it. Returns null with errno set when it cannot.
std::FILE* OpenRegularForWriting(const std::filesystem::path& path, WriteMode mode);

// Opens `path` for reading only when it is a regular file (a link to one is followed); a pipe,
// device or folder fails with errno ENXIO or EISDIR without waiting on it.
std::FILE* OpenRegularForReading(const std::filesystem::path& path);

// True when `path` names something other than a regular file, a symbolic link included (a
// missing file is not).
bool IsPresentButNotRegular(const std::filesystem::path& path);

// Writes out `file`'s buffer and asks the system to put its data on disk. False with errno
// set when either fails.
bool SyncFile(std::FILE* file);

// Asks the system to put `folder`'s entries (a rename into it) on disk; where the system has no
// such call this does nothing. Failures are ignored: the data itself was synced before.
void SyncFolder(const std::filesystem::path& folder);

// Creates a new, empty file in `folder` with a short name that no other file there has, whose
// name IsLeftoverTemporary recognises, and opens it for writing. Returns null with errno set
// when it cannot; `created` is the file's path otherwise.
std::FILE* CreateTemporaryIn(const std::filesystem::path& folder, std::filesystem::path& created);

// Creates a new, empty folder in `parent` named `prefix` and six characters that make the name
// unique there, with the permissions a folder made by the usual means would have. Returns its
// path, or an empty path with errno set when it cannot.
std::filesystem::path CreateTemporaryFolderIn(const std::filesystem::path& parent, std::string_view prefix);

// True for the name of a file that CreateTemporaryIn makes (or that an earlier version of the
// module left when it was killed while replacing the saved entries).
bool IsLeftoverTemporary(std::string_view file_name);

// Removes from `folder` every file IsLeftoverTemporary recognises. For a run that holds the
// folder's lock: such a file is then what a killed run left behind.
void RemoveLeftoverTemporaries(const std::filesystem::path& folder);

// True when the folder `folder` is where a file system is mounted (the root folder included):
// such a folder cannot be renamed or replaced, only what is inside it. False when it cannot tell.
bool IsMountPoint(const std::filesystem::path& folder);

// Renames `from` over `to` in one step (an existing `to` is replaced, never left missing).
// False with errno set when it fails.
bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

// Replacing a whole file through a temporary beside it: the new bytes go to the temporary, which
// is synced and then renamed over the target, and the target's folder is synced after the
// rename. A reader sees the old file or the whole new one, never a part; a failure leaves the old
// file whole and removes the temporary. A symbolic link, folder, pipe or device at the target is
// never written through or replaced (errno ELOOP, EISDIR or ENXIO), and the new file keeps an old
// regular file's permissions. The mechanics are shared by both platforms (replacement.cc), on
// top of each one's CreateTemporaryIn, SyncFile, RenameOver and SyncFolder.

// Creates the temporary for replacing `target` (a new file of CreateTemporaryIn's names in its
// folder) and opens it for writing; `temporary` is its path. Returns null with errno set when
// `target` is present but not a regular file or the temporary cannot be created.
std::FILE* CreateReplacementFor(const std::filesystem::path& target, std::filesystem::path& temporary);

// Puts the temporary `temporary` (written and closed by its writers) on disk and renames it over
// `target`, a file of the same folder. False with errno set when it cannot, after removing the
// temporary; the target is then as it was.
bool CommitReplacement(const std::filesystem::path& temporary, const std::filesystem::path& target);

// One replacement of a file written in one go: open the temporary, write, then Commit or let it go
// (Abandon, or the destructor) and the target stays as it was.
class FileReplacement {
 public:
  // Opens a new temporary of CreateTemporaryIn's names beside `target`. is_open() is false, with
  // the cause in error(), when CreateReplacementFor fails.
  explicit FileReplacement(std::filesystem::path target);
  // Opens the temporary at `temporary`, a fixed name beside `target` that the next replacement
  // reuses (and so empties whatever an interrupted one left there); it is opened only as a
  // regular file, as OpenRegularForWriting does.
  FileReplacement(std::filesystem::path target, std::filesystem::path temporary);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  bool is_open() const { return file_ != nullptr; }
  // The errno value of the last failure, 0 before any.
  int error() const { return error_; }

  // Appends `bytes` to the temporary. False with error() set when the write fails or nothing is
  // open; the replacement is then abandoned.
  bool Write(std::string_view bytes);
  // Syncs and closes the temporary and renames it over the target (CommitReplacement). False
  // with error() set when any step fails; the target is then as it was and the temporary gone.
  bool Commit();
  // Closes and removes the temporary; the target stays as it was.
  void Abandon();

 private:
  bool Fail(int error);

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  int error_ = 0;
};

// Replaces `target` with `bytes` through FileReplacement. False with errno set when it cannot.
bool ReplaceFileWith(const std::filesystem::path& target, std::string_view bytes);

// Holds the exclusive lock of one client folder: an advisory lock on the folder itself on
// Linux, a named mutex made from the folder's full path on Windows. Every run of a client takes
// it for its whole length, so a second run of the same folder waits for the first.
class FolderLock {
 public:
  // Waits until the lock of `folder` is free and takes it. A folder that cannot be locked (it
  // does not exist, or the system refuses) is not waited for: held() is then false.
  explicit FolderLock(const std::filesystem::path& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return held_; }

 private:
  bool held_ = false;
  std::intptr_t handle_ = -1;
};

// Makes a write to a closed pipe or socket fail with EPIPE instead of ending the process.
void IgnoreBrokenPipes();

}  // namespace qreport
