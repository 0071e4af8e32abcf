#include "diskspace/disk_space.h"

#include "platform/disk.h"
#include "platform/platform.h"
#include "text/ascii.h"
#include "text/masks.h"
#include "text/numbers.h"

namespace qreport {
namespace {

constexpr std::string_view kBytesMask = "##,###,###,###";
constexpr std::string_view kZeroTestMask = "###########";

}  // namespace

std::optional<std::string> DriveFolderFor(std::string_view drive_text) {
  char letter = drive_text.empty() ? '\0' : UpperAscii(drive_text.front());
  if (letter >= 'A' && letter <= 'Z') return DriveFolder(letter);
  return CurrentDriveFolder();
}

bool AsksForFreeBytes(std::string_view mode_text) { return mode_text == "F"; }

std::int64_t DiskBytes(std::string_view drive_text, std::string_view mode_text) {
  std::optional<std::string> folder = DriveFolderFor(drive_text);
  if (!folder) return 0;
  DiskSpace space = QueryDiskSpace(*folder);
  if (!space.ok) return 0;
  return static_cast<std::int64_t>(AsksForFreeBytes(mode_text) ? space.free_to_caller : space.total);
}

std::string FreeSpaceMessage(std::string_view drive_text, std::int64_t free_bytes, std::int64_t total_bytes) {
  // Counts go to the masks as doubles, exact up to 2^53 bytes (8 PiB).
  const double free_value = static_cast<double>(free_bytes);
  const double total_value = static_cast<double>(total_bytes);
  std::string text = "Free Space on ";
  text += drive_text;
  text += '\t';
  text += FormatAmount(kBytesMask, free_value);
  text += " bytes";
  // The total counts as 0 when its whole-number text reads back as 0.
  if (ParseDecimal(FormatAmount(kZeroTestMask, total_value)) != 0) {
    text += "\r\nOut of:\t\t";
    text += FormatAmount(kBytesMask, total_value);
    text += " bytes";
  }
  return text;
}

void ShowFreeSpace(std::string_view drive_text, Platform& platform) {
  if (drive_text.empty()) return;
  std::int64_t free_bytes = DiskBytes(drive_text, "F");
  std::int64_t total_bytes = DiskBytes(drive_text, "T");
  std::string message = FreeSpaceMessage(drive_text, free_bytes, total_bytes);
  platform.Sleep(kFreeSpacePauseMs);
  platform.MessageBox(kFreeSpaceCaption, message);
}

}  // namespace qreport
