// A print server of the test's own: cupsd on a unix socket in a temporary folder, with its own
// configuration, spool, state and logs, and queues whose jobs land as files in that folder, so a
// test sees the exact bytes a print delivered. A child process reaches it through CUPS_SERVER.
//
// The queues are raw (the job's bytes go to the device untouched). A raw queue hands a single
// plain file to no filter at all, so a "file:" device would get nothing; each queue's device is
// instead a small backend of the server's own that copies the job to <queue>.prn, written beside
// and renamed so a file that is there is whole.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace qreport::testing {

class PrivatePrintServer {
 public:
  // Everything the server keeps goes under `dir`, which must outlive the server.
  explicit PrivatePrintServer(std::filesystem::path dir);
  ~PrivatePrintServer();  // stops the server, whatever the test did
  PrivatePrintServer(const PrivatePrintServer&) = delete;
  PrivatePrintServer& operator=(const PrivatePrintServer&) = delete;

  // Starts cupsd and waits until it answers; false, with the reason, when it cannot (cupsd not
  // installed, or it refuses to run for this user).
  bool Start(std::string& why);
  // Adds an enabled raw queue; false, with lpadmin's words, when the server refuses it.
  bool AddQueue(const std::string& name, std::string& why);

  // The value of CUPS_SERVER that reaches this server.
  std::string Socket() const { return (dir_ / "cups.sock").string(); }
  // Where a job printed on `queue` lands.
  std::filesystem::path Output(const std::string& queue) const { return dir_ / (queue + ".prn"); }
  // Polls for the queue's output with a budget generous enough for a loaded machine; the bytes,
  // or nothing when no job arrived.
  std::optional<std::string> WaitForOutput(const std::string& queue) const;
  // The end of the server's log, for a failure message.
  std::string LogTail() const;

 private:
  std::filesystem::path dir_;
  pid_t pid_ = -1;
};

// Whether a print server may be expected to start here: as root (as in CI) it must, and a
// failure to start is the test's failure; as another user cupsd may refuse, and the test skips.
bool PrintServerRequired();

// Starts `server` with the queues named in `queues` (a list of strings), or ends the test: skipped
// when the server may refuse to run for this user, failed when it must start.
#define QREPORT_START_PRINT_SERVER(server, queues)                                         \
  do {                                                                                     \
    std::string why_not_started;                                                           \
    bool started = (server).Start(why_not_started);                                        \
    for (const std::string& queue : (queues)) {                                            \
      started = started && (server).AddQueue(queue, why_not_started);                      \
    }                                                                                      \
    if (!started && !::qreport::testing::PrintServerRequired()) GTEST_SKIP() << why_not_started; \
    ASSERT_TRUE(started) << why_not_started;                                               \
  } while (false)

}  // namespace qreport::testing
