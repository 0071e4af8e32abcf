// Drive letters on Linux: a letter is whatever folder QREPORT_DRIVE_<LETTER> names, C is the
// root folder unless that says otherwise, and byte counts come from statvfs.
#include "platform/disk.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

#include <sys/statvfs.h>
#include <unistd.h>

namespace qreport {
namespace {

// blocks x block size, held at the largest count rather than wrapped.
std::uint64_t Bytes(std::uint64_t blocks, std::uint64_t block_size) {
  if (block_size != 0 && blocks > std::numeric_limits<std::uint64_t>::max() / block_size) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  return blocks * block_size;
}

}  // namespace

std::optional<std::string> DriveFolder(char letter) {
  if (letter < 'A' || letter > 'Z') return std::nullopt;
  std::string name = "QREPORT_DRIVE_";
  name += letter;
  if (const char* folder = std::getenv(name.c_str())) {
    // Set but empty takes the letter away, C included.
    if (*folder == '\0') return std::nullopt;
    return std::string(folder);
  }
  if (letter == 'C') return std::string("/");
  return std::nullopt;
}

std::string CurrentDriveFolder() {
  std::string path(256, '\0');
  for (;;) {
    if (::getcwd(path.data(), path.size()) != nullptr) {
      path.resize(path.find('\0'));
      return path;
    }
    if (errno != ERANGE || path.size() > (1u << 20)) break;
    path.resize(path.size() * 2);
  }
  // A current directory that has been removed still has its file system.
  return ".";
}

DiskSpace QueryDiskSpace(std::string_view folder) {
  DiskSpace space;
  struct statvfs stats {};
  if (::statvfs(std::string(folder).c_str(), &stats) != 0) return space;
  // Block counts are in fragment-size units; f_bsize is only the preferred I/O size.
  std::uint64_t unit = stats.f_frsize != 0 ? stats.f_frsize : stats.f_bsize;
  space.free_to_caller = Bytes(stats.f_bavail, unit);
  space.total = Bytes(stats.f_blocks, unit);
  space.ok = true;
  return space;
}

}  // namespace qreport
