// Process-wide state a test changes for a while: environment variables, the current directory,
// and the disk statistics that other processes keep changing.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qreport::testing {

// Sets or removes environment variables; puts back what was there when it goes.
class ScopedEnv {
 public:
  ScopedEnv() = default;
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
      else ::unsetenv(it->first.c_str());
    }
  }
  void Set(const std::string& name, const std::string& value) {
    Remember(name);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  void Unset(const std::string& name) {
    Remember(name);
    ::unsetenv(name.c_str());
  }

 private:
  void Remember(const std::string& name) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Makes `folder` the current directory; goes back when it goes.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::filesystem::path& folder) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ScopedCurrentDir(const ScopedCurrentDir&) = delete;
  ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;
  ~ScopedCurrentDir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
  }

 private:
  std::filesystem::path old_;
};

// What the code under test read, and the still disk's count it was compared with.
struct StillMeasure {
  bool matched = false;
  std::uintmax_t got = 0, want = 0;
};

// Runs `measure` (which returns the byte count the code under test read) between two readings of
// the file system holding `folder`, with `pick` choosing the count of a reading (available or
// capacity). Other processes write to the disk meanwhile (the suite runs tests side by side, and
// a busy machine may never hold still), so the count read matches when it lies between the two
// readings taken around it; a mismatch is tried again after a short pause. A wrong count (another
// disk's, free space instead of available, a unit off, zero) lies outside that narrow window in
// every one of 200 attempts.
template <class Measure>
StillMeasure MeasureWhileStill(const std::filesystem::path& folder, Measure measure,
                               std::uintmax_t std::filesystem::space_info::*pick) {
  StillMeasure last;
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(attempt < 20 ? 5 : 25));
    std::uintmax_t before = std::filesystem::space(folder).*pick;
    std::uintmax_t got = measure();
    std::uintmax_t after = std::filesystem::space(folder).*pick;
    last = {std::min(before, after) <= got && got <= std::max(before, after), got, after};
    if (last.matched) break;
  }
  return last;
}

// The user a permission case runs as when the tests run as the superuser, who may write anywhere.
inline constexpr uid_t kNobody = 65534;

// Runs `body` (which returns 0 when its case holds) so that permissions apply to it: as the
// superuser, in a child process that has become kNobody first; as anyone else, right here.
// Files the case needs to own must be handed to kNobody by the caller before. Returns body's
// result, or 2 when the child could not drop its privileges.
template <class Body>
int RunWithoutPrivileges(Body body) {
  if (::geteuid() != 0) return body();
  pid_t child = ::fork();
  if (child < 0) return 2;
  if (child == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 2;
  return WEXITSTATUS(status);
}

}  // namespace qreport::testing
