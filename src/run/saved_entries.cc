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

// The saved text of lines 1 to 3 without the blank that saving appended.
std::string WithoutSavedBlank(std::string_view line) {
  if (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  return std::string(line);
}

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

SavedEntries ParseSavedEntries(std::string_view bytes) {
  SavedEntries e;
  std::string* texts[] = {&e.designee_name, &e.designee_phone, &e.preparer_codes, &e.state_code};
  while (!bytes.empty() && e.lines < 4) {
    std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    *texts[e.lines] = WithinTextBoxLimit(e.lines < 3 ? WithoutSavedBlank(line) : Trim(line));
    ++e.lines;
  }
  return e;
}

std::string SavedEntriesText(const SavedEntries& e) {
  return e.designee_name + " \r\n" + e.designee_phone + " \r\n" + e.preparer_codes + " \r\n" + e.state_code + "  \r\n";
}

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
  std::filesystem::path temp;
  std::FILE* file = CreateTemporaryIn(target.parent_path(), temp);
  if (file == nullptr) return OpenErrorNumber(target, errno);
  int error = 0;
  try {
    OutputFile out(file);
    out.Write(SavedEntriesText(entries));
    out.Close(/*sync=*/true);
    if (exists) std::filesystem::permissions(temp, status.permissions(), ec);
    if (RenameOver(temp, target)) {
      SyncFolder(target.parent_path());
      return 0;
    }
    error = ErrorNumberFromErrno(errno);
  } catch (const RunError& e) {
    error = e.number();
  }
  std::filesystem::remove(temp, ec);
  return error;
}

}  // namespace qreport
