// Files on Windows: CreateFileA that refuses reparse points (symbolic links and junctions) and
// anything that is not a disk file, FlushFileBuffers before MoveFileExA replaces a file, temporary
// names from GetTempFileNameA, and a named mutex per client folder made from its full path.
#include "platform/files.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include "platform/temporary_names.h"
#include "platform/win32/windows_api.h"
#include "text/ascii.h"

namespace qreport {
namespace {

bool IsReparsePoint(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::FILE* StreamOf(HANDLE handle, int flags, const char* mode) {
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    errno = ENXIO;
    return nullptr;
  }
  // Binary: the report's CR LF line ends are bytes of the file, never translated.
  int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(handle);
    return nullptr;
  }
  std::FILE* f = ::_fdopen(fd, mode);
  if (f == nullptr) ::_close(fd);
  return f;
}

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return ENOENT;
    case ERROR_PATH_NOT_FOUND: return ENOTDIR;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_EXISTS: case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    default: return EIO;
  }
}

HANDLE Open(const std::string& path, DWORD access, DWORD disposition) {
  HANDLE h = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) errno = ErrnoOf(::GetLastError());
  return h;
}

}  // namespace

std::FILE* OpenRegularForWriting(const std::filesystem::path& path, WriteMode mode) {
  std::string name = path.string();
  if (IsReparsePoint(name)) {
    errno = ELOOP;
    return nullptr;
  }
  DWORD attributes = ::GetFileAttributesA(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
    return nullptr;
  }
  HANDLE h = Open(name, GENERIC_WRITE, OPEN_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  if (::GetFileType(h) == FILE_TYPE_DISK) {
    if (mode == WriteMode::kReplace) {
      ::SetFilePointer(h, 0, nullptr, FILE_BEGIN);
      ::SetEndOfFile(h);
    } else {
      ::SetFilePointer(h, 0, nullptr, FILE_END);
    }
  }
  return StreamOf(h, mode == WriteMode::kAppend ? _O_APPEND : 0, mode == WriteMode::kAppend ? "ab" : "wb");
}

std::FILE* OpenRegularForReading(const std::filesystem::path& path) {
  std::string name = path.string();
  DWORD attributes = ::GetFileAttributesA(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
    return nullptr;
  }
  HANDLE h = ::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    errno = ErrnoOf(::GetLastError());
    return nullptr;
  }
  return StreamOf(h, _O_RDONLY, "rb");
}

bool IsPresentButNotRegular(const std::filesystem::path& path) {
  std::string name = path.string();
  DWORD attributes = ::GetFileAttributesA(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0;
}

bool SyncFile(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  if (::FlushFileBuffers(h) == 0) {
    errno = ErrnoOf(::GetLastError());
    return false;
  }
  return true;
}

// A folder's entries reach the disk with the rename itself (MOVEFILE_WRITE_THROUGH).
void SyncFolder(const std::filesystem::path&) {}

bool IsMountPoint(const std::filesystem::path& folder) {
  std::error_code ec;
  std::string name = std::filesystem::absolute(folder, ec).string();
  char volume[MAX_PATH + 1] = {};
  if (ec || !::GetVolumePathNameA(name.c_str(), volume, sizeof volume)) return false;
  std::string mount = volume;
  while (!name.empty() && (name.back() == '\\' || name.back() == '/')) name.pop_back();
  while (!mount.empty() && mount.back() == '\\') mount.pop_back();
  return _stricmp(name.c_str(), mount.c_str()) == 0;
}

std::FILE* CreateTemporaryIn(const std::filesystem::path& folder, std::filesystem::path& created) {
  char name[MAX_PATH + 1] = {};
  std::string dir = folder.empty() ? std::string(".") : folder.string();
  // GetTempFileNameA's names: the prefix, up to four hexadecimal digits and ".TMP".
  if (::GetTempFileNameA(dir.c_str(), std::string(kTemporaryPrefix).c_str(), 0, name) == 0) {
    errno = ErrnoOf(::GetLastError());
    return nullptr;
  }
  HANDLE h = Open(name, GENERIC_WRITE, TRUNCATE_EXISTING);
  if (h == INVALID_HANDLE_VALUE) {
    int error = errno;
    ::DeleteFileA(name);
    errno = error;
    return nullptr;
  }
  std::FILE* f = StreamOf(h, 0, "wb");
  if (f == nullptr) {
    ::DeleteFileA(name);
    return nullptr;
  }
  created = name;
  return f;
}

// As GetTempFileNameA makes a file name, for a folder: a number from the clock, tried and
// counted up until CreateDirectoryA makes a folder that was not there.
std::filesystem::path CreateTemporaryFolderIn(const std::filesystem::path& parent, std::string_view prefix) {
  std::string dir = parent.empty() ? std::string(".") : parent.string();
  DWORD start = ::GetTickCount() ^ (::GetCurrentProcessId() << 8);
  for (DWORD n = 0; n < 0x10000; ++n) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06lX", static_cast<unsigned long>((start + n) & 0xFFFFFF));
    std::string name = dir + "\\" + std::string(prefix) + digits;
    if (::CreateDirectoryA(name.c_str(), nullptr) != 0) return name;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  errno = ErrnoOf(::GetLastError());
  return {};
}

void RemoveLeftoverTemporaries(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::directory_iterator it(folder.empty() ? std::filesystem::path(".") : folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (!IsLeftoverTemporary(it->path().filename().string())) continue;
    if (it->is_directory(ec)) {
      ec.clear();
      continue;
    }
    ::DeleteFileA(it->path().string().c_str());
  }
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::MoveFileExA(from.string().c_str(), to.string().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  errno = ErrnoOf(::GetLastError());
  return false;
}

FolderLock::FolderLock(const std::filesystem::path& folder) {
  // The mutex is named after the folder's full path, upper-cased (Windows names match without
  // regard to case) and hashed, since a mutex name may not hold a backslash or run long.
  char full[MAX_PATH * 4] = {};
  std::string dir = folder.empty() ? std::string(".") : folder.string();
  DWORD n = ::GetFullPathNameA(dir.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return;
  std::string path(full, n);
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  std::uint64_t hash = 14695981039346656037ULL;
  for (char c : path) {
    c = UpperAscii(c);
    if (c == '/') c = '\\';
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  }
  char name[64];
  std::snprintf(name, sizeof name, "Local\\qreport-folder-%016llx", static_cast<unsigned long long>(hash));
  HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name);
  if (mutex == nullptr) return;
  DWORD waited = ::WaitForSingleObject(mutex, INFINITE);
  // An abandoned mutex (its holder ended without releasing it) is ours now.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    ::CloseHandle(mutex);
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(mutex);
  held_ = true;
}

FolderLock::~FolderLock() {
  if (!held_) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}

// Windows has no SIGPIPE: a write to a closed pipe fails with an error.
void IgnoreBrokenPipes() {}

}  // namespace qreport
