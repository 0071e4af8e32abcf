// Counts the opens of the files of one folder through inotify: the kernel queues the events
// while the watch lives and they are read afterwards, so the program watched needs no hooks.
#pragma once

#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qreport::testing {

class OpenCounter {
 public:
  explicit OpenCounter(const std::filesystem::path& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0 && ::inotify_add_watch(fd_, folder.c_str(), IN_OPEN) < 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~OpenCounter() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenCounter(const OpenCounter&) = delete;
  OpenCounter& operator=(const OpenCounter&) = delete;

  bool watching() const { return fd_ >= 0; }
  // The kernel's queue overflowed at some point: counts taken since may be short.
  bool overflowed() const { return overflowed_; }

  // The opens of files (not of the folder itself) since the last call, by file name.
  std::map<std::string, int> Take() {
    std::map<std::string, int> opens;
    if (fd_ < 0) return opens;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
      ssize_t got = ::read(fd_, buffer.data(), buffer.size());
      if (got <= 0) break;
      // Each event: its fixed part, then `len` bytes of name padded with NULs.
      for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(got);) {
        inotify_event event;
        std::memcpy(&event, buffer.data() + at, sizeof event);
        const char* name = buffer.data() + at + sizeof event;
        if ((event.mask & IN_Q_OVERFLOW) != 0) overflowed_ = true;
        if (event.len > 0 && (event.mask & IN_ISDIR) == 0) ++opens[std::string(name, ::strnlen(name, event.len))];
        at += sizeof event + event.len;
      }
    }
    return opens;
  }

 private:
  int fd_;
  bool overflowed_ = false;
};

}  // namespace qreport::testing
