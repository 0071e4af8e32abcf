// Drive letters on Windows are the drives themselves: the root path is the letter, ":" and "\",
// and the byte counts come from GetDiskFreeSpaceExA, found at run time in KERNEL32.DLL, or from
// GetDiskFreeSpaceA where that lookup fails.
#include "platform/disk.h"

#include "platform/win32/windows_api.h"

namespace qreport {
namespace {

using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// A drive without its medium fails the call instead of asking the user to insert one.
class QuietDriveErrors {
 public:
  QuietDriveErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_); }
  ~QuietDriveErrors() { ::SetThreadErrorMode(old_, nullptr); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  DWORD old_ = 0;
};

}  // namespace

std::optional<std::string> DriveFolder(char letter) {
  if (letter < 'A' || letter > 'Z') return std::nullopt;
  return std::string{letter, ':', '\\'};
}

std::string CurrentDriveFolder() {
  char path[MAX_PATH + 1] = {};
  DWORD length = ::GetCurrentDirectoryA(sizeof path, path);
  if (length == 0 || length > MAX_PATH) return {};
  return std::string(path, length < 3 ? length : 3);
}

DiskSpace QueryDiskSpace(std::string_view folder) {
  DiskSpace space;
  std::string root(folder);
  QuietDriveErrors quiet;
  HMODULE kernel = ::LoadLibraryA("KERNEL32.DLL");
  auto ex = kernel == nullptr
                ? nullptr
                : reinterpret_cast<GetDiskFreeSpaceExFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
  if (ex != nullptr) {
    ULARGE_INTEGER to_caller{}, total{}, total_free{};
    space.ok = ex(root.c_str(), &to_caller, &total, &total_free) != FALSE;
    space.free_to_caller = to_caller.QuadPart;
    space.total = total.QuadPart;
    ::FreeLibrary(kernel);
    return space;
  }
  if (kernel != nullptr) ::FreeLibrary(kernel);
  DWORD sectors_per_cluster = 0, bytes_per_sector = 0, free_clusters = 0, total_clusters = 0;
  if (!::GetDiskFreeSpaceA(root.c_str(), &sectors_per_cluster, &bytes_per_sector, &free_clusters, &total_clusters)) {
    return space;
  }
  // In 64 bits: the product of three 32-bit counts passes 4 GiB on any disk of today.
  std::uint64_t cluster = std::uint64_t{bytes_per_sector} * sectors_per_cluster;
  space.free_to_caller = cluster * free_clusters;
  space.total = cluster * total_clusters;
  space.ok = true;
  return space;
}

}  // namespace qreport
