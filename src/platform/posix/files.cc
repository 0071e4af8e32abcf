// Files on Linux: open(2) with O_NOFOLLOW and O_NONBLOCK, checked with fstat before any byte
// moves; fsync of the file and of its folder around a rename; flock(2) on the folder itself, so
// that the lock needs no file of its own and ends with the process, however it ends.
#include "platform/files.h"
#include "platform/temporary_names.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace qreport {
namespace {

// Checks an open descriptor: a regular file stays open and loses O_NONBLOCK; anything else is
// closed with errno EISDIR (a folder) or ENXIO.
int KeepIfRegular(int fd) {
  if (fd < 0) return fd;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    int error = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
    ::close(fd);
    errno = error;
    return -1;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

// The mode that open(2) or mkdir(2) gives a new file or folder asked for with `mode`: the
// process's file mode creation mask cleared from it. The mask is read from /proc, because
// umask(2) can only read it by changing it, for a moment, for every thread of the process.
mode_t CreationMode(mode_t mode) {
  mode_t mask = 022;
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
      unsigned value = 0;
      if (std::sscanf(line, "Umask: %o", &value) == 1) {
        mask = static_cast<mode_t>(value);
        break;
      }
    }
    std::fclose(status);
  }
  return mode & ~mask;
}

std::FILE* AsStream(int fd, const char* mode) {
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, mode);
  if (f == nullptr) {
    int error = errno;
    ::close(fd);
    errno = error;
  }
  return f;
}

}  // namespace

std::FILE* OpenRegularForWriting(const std::filesystem::path& path, WriteMode mode) {
  // Opened without O_TRUNC, so that nothing but a regular file is ever emptied.
  int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  if (mode == WriteMode::kAppend) flags |= O_APPEND;
  int fd = KeepIfRegular(::open(path.c_str(), flags, 0666));
  if (fd >= 0 && mode == WriteMode::kReplace && ::ftruncate(fd, 0) != 0) {
    int error = errno;
    ::close(fd);
    errno = error;
    return nullptr;
  }
  return AsStream(fd, mode == WriteMode::kAppend ? "ab" : "wb");
}

std::FILE* OpenRegularForReading(const std::filesystem::path& path) {
  return AsStream(KeepIfRegular(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)), "rb");
}

bool IsPresentButNotRegular(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  return !S_ISREG(st.st_mode);
}

bool SyncFile(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  return ::fsync(::fileno(file)) == 0;
}

void SyncFolder(const std::filesystem::path& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::FILE* CreateTemporaryIn(const std::filesystem::path& folder, std::filesystem::path& created) {
  // The prefix, six characters mkostemps picks, the suffix.
  std::string name = (folder / (std::string(kTemporaryPrefix) + "XXXXXX" + std::string(kTemporarySuffix))).string();
  int fd = ::mkostemps(name.data(), static_cast<int>(kTemporarySuffix.size()), O_CLOEXEC);
  if (fd < 0) return nullptr;
  // mkostemps makes the file for its owner alone; renamed into place it is the user's file, so
  // it gets the mode a file created the usual way would have.
  if (::fchmod(fd, CreationMode(0666)) != 0) {
    int error = errno;
    ::close(fd);
    ::unlink(name.c_str());
    errno = error;
    return nullptr;
  }
  std::FILE* f = AsStream(fd, "wb");  // closes the descriptor when it fails
  if (f == nullptr) {
    int error = errno;
    ::unlink(name.c_str());
    errno = error;
    return nullptr;
  }
  created = name;
  return f;
}

std::filesystem::path CreateTemporaryFolderIn(const std::filesystem::path& parent, std::string_view prefix) {
  std::filesystem::path folder = parent.empty() ? std::filesystem::path(".") : parent;
  std::string name = (folder / (std::string(prefix) + "XXXXXX")).string();
  if (::mkdtemp(name.data()) == nullptr) return {};
  // mkdtemp makes the folder for its owner alone; a folder that takes the place of another is
  // made as mkdir makes one.
  if (::chmod(name.c_str(), CreationMode(0777)) != 0) {
    int error = errno;
    ::rmdir(name.c_str());
    errno = error;
    return {};
  }
  return name;
}

void RemoveLeftoverTemporaries(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::directory_iterator it(folder.empty() ? std::filesystem::path(".") : folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (!IsLeftoverTemporary(it->path().filename().string())) continue;
    // Only files: a folder of that name is not the module's.
    auto status = it->symlink_status(ec);
    if (ec || std::filesystem::is_directory(status)) {
      ec.clear();
      continue;
    }
    ::unlink(it->path().c_str());
  }
}

bool IsMountPoint(const std::filesystem::path& folder) {
#ifdef STATX_ATTR_MOUNT_ROOT
  // The system says so itself, bind mounts of a folder of the same file system included.
  struct statx sx {};
  if (::statx(AT_FDCWD, folder.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &sx) == 0 &&
      (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
    return (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  }
#endif
  // Otherwise: another device than the folder above it, or no folder above it (the root).
  struct stat self {}, above {};
  if (::lstat(folder.c_str(), &self) != 0 || ::stat((folder / "..").c_str(), &above) != 0) return false;
  return self.st_dev != above.st_dev || self.st_ino == above.st_ino;
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

FolderLock::FolderLock(const std::filesystem::path& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(fd);
      return;
    }
  }
  handle_ = fd;
  held_ = true;
}

FolderLock::~FolderLock() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));  // closing the folder ends its lock
}

void IgnoreBrokenPipes() { ::signal(SIGPIPE, SIG_IGN); }

}  // namespace qreport
