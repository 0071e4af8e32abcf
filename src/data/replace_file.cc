#include "data/replace_file.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "data/errors.h"
#include "data/record_file.h"
#include "platform/files.h"

namespace qreport {

void ReplaceFile(const std::filesystem::path& target, std::string_view bytes) {
  std::error_code ec;
  auto status = std::filesystem::symlink_status(target, ec);
  bool exists = !ec && std::filesystem::exists(status);
  if (exists && !std::filesystem::is_regular_file(status)) {
    throw RunError(kErrPathFileAccess, "no plain file at " + target.string());
  }
  std::filesystem::path temp;
  std::FILE* file = CreateTemporaryIn(target.parent_path(), temp);
  if (file == nullptr) throw RunError(ErrorNumberFromErrno(errno), "cannot write beside " + target.string());
  try {
    OutputFile out(file);
    out.Write(bytes);
    out.Close(/*sync=*/true);
    if (exists) std::filesystem::permissions(temp, status.permissions(), ec);
    if (!RenameOver(temp, target)) throw RunError(ErrorNumberFromErrno(errno), "cannot replace " + target.string());
    SyncFolder(target.parent_path());
  } catch (...) {
    std::filesystem::remove(temp, ec);
    throw;
  }
}

}  // namespace qreport
