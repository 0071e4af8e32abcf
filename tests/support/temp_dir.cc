#include "support/temp_dir.h"

#include <stdexcept>
#include <system_error>

#include "platform/files.h"

namespace qreport::testing {

TempDir::TempDir() {
  path_ = CreateTemporaryFolderIn(std::filesystem::temp_directory_path(), "qreport-test-");
  if (path_.empty()) throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission that a test took away, so everything can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

}  // namespace qreport::testing
