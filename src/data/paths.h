// Where a host file name lands on disk. The module names its files as the host does
// ("\CLIENT.", "\EMPLOYEE.idx", "prep."); they are resolved by Windows rules on every platform.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qreport {

// The file that `folder` + `name` names: a leading backslash in `name` is the directory
// separator, trailing dots and blanks are not part of the name ("\CLIENT." is the file CLIENT),
// and when no file has that exact spelling an entry that matches it without regard to ASCII case
// is taken (the first in name order). When nothing matches, the result has the module's own
// spelling, so a file created there gets it. An empty `folder` with a leading backslash names the
// root folder, as on Windows; an empty `folder` without one names the current directory.
std::filesystem::path ResolveHostPath(std::string_view folder, std::string_view name);

// Why the files of `folder` cannot be looked up, in the system's words ("Permission denied"), or
// empty when its entries can be listed and a name inside it can be looked up. A folder that
// cannot be searched reads, for ResolveHostPath and every reader, as one whose files are all
// missing; a front end asks this first so that it says so instead.
std::string FolderReadProblem(const std::filesystem::path& folder);

// The names of the entries of `folder` that are symbolic links leading outside `boundary` (both
// absolute and canonical): to a place outside it, to nowhere outside it, or round in a loop.
// Sorted. A folder that cannot be listed has none.
std::vector<std::string> LinksLeaving(const std::filesystem::path& folder, const std::filesystem::path& boundary);

}  // namespace qreport
