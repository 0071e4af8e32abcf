#include "data/paths.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

#include "text/ascii.h"

namespace qreport {
namespace {


std::string_view StripTrailingDotsAndBlanks(std::string_view name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  return name;
}

}  // namespace

std::filesystem::path ResolveHostPath(std::string_view folder, std::string_view name) {
  namespace fs = std::filesystem;
  bool rooted = !name.empty() && (name.front() == '\\' || name.front() == '/');
  if (rooted) name.remove_prefix(1);
  std::string_view leaf = StripTrailingDotsAndBlanks(name);

  fs::path dir;
  if (!folder.empty()) {
    dir = fs::path(std::string(folder));
  } else if (rooted) {
    dir = fs::path("/");
  }
  fs::path exact = dir.empty() ? fs::path(std::string(leaf)) : dir / std::string(leaf);

  std::error_code ec;
  if (fs::exists(fs::symlink_status(exact, ec)) || leaf.empty()) return exact;

  fs::path scan = dir.empty() ? fs::path(".") : dir;
  std::vector<std::string> matches;
  for (fs::directory_iterator it(scan, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (EqualIgnoringAsciiCase(StripTrailingDotsAndBlanks(entry), leaf)) matches.push_back(entry);
  }
  if (matches.empty()) return exact;
  std::sort(matches.begin(), matches.end());
  return dir.empty() ? fs::path(matches.front()) : dir / matches.front();
}

std::string FolderReadProblem(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator listing(folder, ec);
  // Listing needs read permission, looking a name up needs search permission: either may be
  // missing alone.
  if (!ec) static_cast<void>(fs::symlink_status(folder / "CLIENT", ec));
  if (!ec || ec == std::errc::no_such_file_or_directory) return {};
  return ec.message();
}

std::vector<std::string> LinksLeaving(const std::filesystem::path& folder, const std::filesystem::path& boundary) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_symlink(ec)) continue;
    // Where the link leads, through every link on the way; a part that is not there is taken
    // as written.
    std::error_code resolve;
    fs::path target = fs::read_symlink(it->path(), resolve);
    if (!resolve) target = fs::weakly_canonical(target.is_relative() ? folder / target : target, resolve);
    fs::path inside = target.lexically_relative(boundary);
    if (resolve || inside.empty() || *inside.begin() == "..") names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace qreport
