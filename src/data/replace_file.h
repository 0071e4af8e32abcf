// Replacing a whole file the user keeps: the new bytes go to a temporary file in the same folder,
// which is then renamed over the old one, so a reader sees the old file or the new one and never
// a half-written one, and a failed write leaves the old file whole.
#pragma once

#include <filesystem>
#include <string_view>

namespace qreport {

// Replaces `target` with `bytes` through a temporary file beside it, synced before the rename. A symbolic link, folder or
// device at `target` is never written through or replaced (error 75); the new file keeps an old
// regular file's permissions. Throws RunError with the error number when it cannot, after
// removing the temporary file.
void ReplaceFile(const std::filesystem::path& target, std::string_view bytes);

}  // namespace qreport
