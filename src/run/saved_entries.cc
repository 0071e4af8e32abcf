#include "run/saved_entries.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "data/errors.h"
#include "data/paths.h"
#include "data/record_file.h"
#include "platform/files.h"
#include "platform/dialog.h"
#include "platform/platform.h"
#include "text/ascii.h"

namespace qreport {
namespace {

// The first four lines of the saved entries file at `path`, each cut at kTextBoxLimit bytes and a
// few more (the saved blank and a CR, which parsing drops), with their line ends: the bytes
// ParseSavedEntries reads, in memory of their size however long a line of the file is. The state
// code's line is trimmed at both ends when parsed, so its leading blanks are dropped here and do
// not count. A file that cannot be opened reads as empty.
std::string SavedLinesWithinLimit(const std::filesystem::path& path) {
  constexpr std::size_t kLineBytes = kTextBoxLimit + 2;
  std::FILE* file = OpenRegularForReading(path);
  if (file == nullptr) return {};
  std::string kept;
  std::size_t line_bytes = 0;
  int lines = 0;
  char buffer[8192];
  std::size_t n;
  while (lines < 4 && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    for (std::size_t i = 0; i < n && lines < 4; ++i) {
      if (buffer[i] == '\n') {
        kept += '\n';
        ++lines;
        line_bytes = 0;
      } else if (lines == 3 && line_bytes == 0 && kBlanks.find(buffer[i]) != std::string_view::npos) {
        continue;  // a leading blank of the state code
      } else if (line_bytes++ < kLineBytes) {
        kept += buffer[i];
      }
    }
  }
  std::fclose(file);
  return kept;
}

}  // namespace

SavedEntries LoadSavedEntriesFile(std::string_view folder, Platform& platform, MissingFile missing) {
  std::filesystem::path path = ResolveHostPath(folder, kSavedEntriesFileName);
  try {
    if (!EnsureFileExists(path, missing)) return {};
  } catch (const RunError&) {
    return {};
  }
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size == 0) return {};
  platform.Sleep(0);
  return ParseSavedEntries(SavedLinesWithinLimit(path));
}

int WriteSavedEntriesFile(std::string_view folder, const SavedEntries& entries) {
  std::filesystem::path target = ResolveHostPath(folder, kSavedEntriesFileName);
  std::error_code ec;
  auto status = std::filesystem::symlink_status(target, ec);
  bool exists = std::filesystem::exists(status);
  if (exists) {
    // Never replaced through a link, and never when this user may not rewrite it in place.
    if (!std::filesystem::is_regular_file(status)) return kErrPathFileAccess;
    std::FILE* check = OpenRegularForWriting(target, WriteMode::kAppend);
    if (check == nullptr) return OpenErrorNumber(target, errno);
    std::fclose(check);
  }
  FileReplacement replacement(target);
  if (!replacement.is_open()) return OpenErrorNumber(target, replacement.error());
  if (replacement.Write(SavedEntriesText(entries)) && replacement.Commit()) return 0;
  return ErrorNumberFromErrno(replacement.error());
}

}  // namespace qreport
