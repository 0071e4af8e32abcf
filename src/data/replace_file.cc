#include "data/replace_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <random>
#include <string>
#include <system_error>

#include "data/errors.h"
#include "data/record_file.h"

namespace qreport {

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

void ReplaceFile(const std::filesystem::path& target, std::string_view bytes) {
  std::error_code ec;
  auto status = std::filesystem::symlink_status(target, ec);
  bool exists = !ec && std::filesystem::exists(status);
  if (exists && !std::filesystem::is_regular_file(status)) {
    throw RunError(kErrPathFileAccess, "no plain file at " + target.string());
  }
  std::filesystem::path temp = TemporaryBeside(target);
  try {
    OutputFile out(temp);
    out.Write(bytes);
    out.Close();
    if (exists) std::filesystem::permissions(temp, status.permissions(), ec);
    std::filesystem::rename(temp, target, ec);
    if (ec) throw RunError(ErrorNumberFromErrno(ec.value()), "cannot replace " + target.string());
  } catch (...) {
    std::filesystem::remove(temp, ec);
    throw;
  }
}

}  // namespace qreport
