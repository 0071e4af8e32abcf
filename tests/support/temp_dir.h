// A fresh temporary folder per test. It needs only the platform's file calls, so that tests of
// every layer, the platform's own included, can use it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qreport::testing {

// A new empty folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::filesystem::path operator/(std::string_view name) const { return path_ / std::string(name); }

 private:
  std::filesystem::path path_;
};

}  // namespace qreport::testing
