// The names of the module's temporary files, the same on every system: each platform's
// CreateTemporaryIn makes its names from these parts, and IsLeftoverTemporary (files.h), which
// decides what a run may remove from a client folder, is this one rule on both.
#pragma once

#include <string_view>

namespace qreport {

// A temporary file's name is the prefix, a few characters that make it unique (the system
// picks them) and the suffix, compared without regard to case: Windows writes ".TMP".
inline constexpr std::string_view kTemporaryPrefix = "~qr";
inline constexpr std::string_view kTemporarySuffix = ".tmp";

// What earlier versions named the saved entries' temporary file, and left behind when killed.
inline constexpr std::string_view kOldSavedEntriesTemporary = "save941.info.tmp";

}  // namespace qreport
