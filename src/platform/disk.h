// Disk statistics: which folder stands for a drive letter, and the free and total bytes of the
// file system that holds a folder. One implementation per platform (posix/disk.cc uses the
// file system's statistics; the Windows build asks the drive itself).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qreport {

// The byte counts of one file system. `ok` is false when the folder could not be measured;
// the counts are then 0.
struct DiskSpace {
  std::uint64_t free_to_caller = 0;  // bytes the calling user may still write
  std::uint64_t total = 0;           // size of the file system
  bool ok = false;
};

// The folder that stands for drive `letter` ('A' to 'Z', upper case), or nullopt when this
// machine has no such drive.
std::optional<std::string> DriveFolder(char letter);

// The folder that stands for the drive of the process's current directory.
std::string CurrentDriveFolder();

// Measures the file system that holds `folder`; a folder that cannot be measured (missing,
// unreadable) gives ok false.
DiskSpace QueryDiskSpace(std::string_view folder);

}  // namespace qreport
