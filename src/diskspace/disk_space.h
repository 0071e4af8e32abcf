// The disk space service the host calls besides the report: the free or total bytes of a drive
// (DVDISKFREE) and a message box showing both (SHOWFREESP). Drives are named by letter as on
// Windows; platform/disk.h says which folder a letter stands for on this platform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qreport {

class Platform;

// The caption of the free space message box.
inline constexpr std::string_view kFreeSpaceCaption = "Drive Space";

// The pause before the free space message box is shown, in milliseconds.
inline constexpr int kFreeSpacePauseMs = 500;

// The folder a drive text measures. Only the first character counts, taken in upper case: "A"
// to "Z" names that drive (nullopt when the machine has no such drive); anything else, empty
// text, a digit or a path that starts with "\", names the current directory's drive.
std::optional<std::string> DriveFolderFor(std::string_view drive_text);

// True only for the one-character mode text "F" (free bytes); "f", "FREE" or any other text
// ask for the total size.
bool AsksForFreeBytes(std::string_view mode_text);

// The bytes free to the caller (mode "F") or the total size (any other mode) of the drive the
// drive text names; 0 for a missing drive or one that cannot be measured. A count beyond the
// signed range comes back with the same 64 bits, as the host reads the result.
std::int64_t DiskBytes(std::string_view drive_text, std::string_view mode_text);

// The free space message: "Free Space on ", the drive text as given, a tab, the free bytes by
// the mask "##,###,###,###" and " bytes"; then, unless the total is 0, CR LF, "Out of:", two
// tabs and the total the same way. Counts wider than the mask widen it.
std::string FreeSpaceMessage(std::string_view drive_text, std::int64_t free_bytes, std::int64_t total_bytes);

// Measures the drive, waits kFreeSpacePauseMs and shows the free space message in a message
// box captioned kFreeSpaceCaption. An empty drive text returns at once and shows nothing.
void ShowFreeSpace(std::string_view drive_text, Platform& platform);

}  // namespace qreport
