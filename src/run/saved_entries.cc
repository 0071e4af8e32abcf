#include "run/saved_entries.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <system_error>

#include "data/bytes.h"
#include "data/errors.h"
#include "data/paths.h"
#include "data/record_file.h"
#include "platform/platform.h"

namespace qreport {
namespace {

// The saved text of lines 1 to 3 without the blank that saving appended.
std::string WithoutSavedBlank(std::string_view line) {
  if (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  return std::string(line);
}

// A name for the temporary file beside `target` that no other run picks at the same moment.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  auto now = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::string suffix = ".tmp" + std::to_string(random()) + "-" + std::to_string(now % 1000000007ULL) + "-" +
                       std::to_string(counter++);
  std::filesystem::path temp = target;
  temp += suffix;
  return temp;
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
    *texts[e.lines] = e.lines < 3 ? WithoutSavedBlank(line) : Trim(line);
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
  return ParseSavedEntries(ReadWholeFile(path));
}

bool WriteSavedEntriesFile(std::string_view folder, const SavedEntries& entries) {
  std::filesystem::path target = ResolveHostPath(folder, kSavedEntriesFileName);
  std::filesystem::path temp;
  std::error_code ec;
  try {
    // A saved file this user may not rewrite in place is kept as it is: replacing it through the
    // folder would drop entries that could not even be read.
    auto status = std::filesystem::status(target, ec);
    bool exists = std::filesystem::exists(status);
    if (exists) {
      if (!std::filesystem::is_regular_file(status)) return false;
      std::FILE* check = std::fopen(target.string().c_str(), "r+b");
      if (check == nullptr) return false;
      std::fclose(check);
    }
    temp = TemporaryBeside(target);
    OutputFile out(temp);
    out.Write(SavedEntriesText(entries));
    out.Close();
    if (exists) std::filesystem::permissions(temp, status.permissions(), ec);
    std::filesystem::rename(temp, target, ec);
    if (!ec) return true;
  } catch (...) {
  }
  if (!temp.empty()) std::filesystem::remove(temp, ec);
  return false;
}

}  // namespace qreport
