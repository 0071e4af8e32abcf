#include "data/replace_file.h"

#include <cerrno>
#include <string>

#include "data/errors.h"
#include "platform/files.h"

namespace qreport {

void ReplaceFile(const std::filesystem::path& target, std::string_view bytes) {
  if (IsPresentButNotRegular(target)) throw RunError(kErrPathFileAccess, "no plain file at " + target.string());
  FileReplacement replacement(target);
  if (!replacement.is_open()) {
    throw RunError(ErrorNumberFromErrno(replacement.error()), "cannot write beside " + target.string());
  }
  if (!replacement.Write(bytes)) throw WriteError(ErrorNumberFromErrno(replacement.error()), "write failed");
  if (!replacement.Commit()) throw RunError(ErrorNumberFromErrno(replacement.error()), "cannot replace " + target.string());
}

}  // namespace qreport
