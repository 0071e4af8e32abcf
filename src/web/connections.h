// The HTTP server of `qreport serve` with its connections held to ConnectionLimits. The library
// serves a connection on a thread from start to end and waits for its bytes one read at a time,
// so a client that sends a byte now and then, or a body in chunks without end, would hold its
// thread and memory for as long as it likes. Here every connection has a thread of its own, is
// read through a stream that ends a request at its deadline and at its size limit, and is
// counted by the address it comes from; a new connection past a count takes the place of the
// connection that has waited longest for its request.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include <httplib.h>

#include "web/connection_limits.h"

namespace qreport::web {

class GuardedServer : public httplib::Server {
 public:
  explicit GuardedServer(ConnectionLimits limits);
  ~GuardedServer() override;
  GuardedServer(const GuardedServer&) = delete;
  GuardedServer& operator=(const GuardedServer&) = delete;

  // For the handlers: the calling thread's connection has its whole request and is being
  // answered, so it is not one to make room with until its next request begins.
  static void Answering();

  // For the error handler: whether the request on the calling thread's connection went past
  // the request size limit. Its body was not read to the end, and the connection is closed
  // after the answer.
  static bool RequestTooLarge();

  // For a handler that stops reading a body past its limit: the request counts as too large,
  // and the connection is closed once the answer is out, what the client still sends dropped.
  static void RefuseRestOfRequest();

  // For a handler whose request was not read to its end for another reason (a time-out, a
  // broken chunk): the connection is closed once the answer is out, what the client still sends
  // dropped, so that the rest of the body is never taken for a request.
  static void CloseAfterAnswer();

  // For the error handler: whether the connection on the calling thread is closed after the
  // answer (as the two above ask).
  static bool ClosingAfterAnswer();

  // Connections open now (for tests).
  std::size_t open_connections();

  const ConnectionLimits& limits() const { return limits_; }

  // Called on the accepting thread before each thread for connections is started; a hook that
  // throws std::system_error stands for a system out of threads (for tests).
  void SetThreadStartHookForTest(std::function<void()> hook);

  // Hangs up on every connection that is waiting for a request, and refuses new ones: for
  // stopping, so that it does not wait for their time-outs.
  void CloseWaiting();

 private:
  struct Open {
    int fd = -1;
    std::string address;
    bool waiting = true;  // for a request or its bytes; false while it is answered
    std::chrono::steady_clock::time_point since;
  };

  bool process_and_close_socket(socket_t sock) override;

  // Counts a new connection from `address`, making room as ConnectionLimits says; nullopt when
  // it is refused.
  std::optional<std::uint64_t> Admit(int fd, const std::string& address);
  void SetWaiting(std::uint64_t id, bool waiting);
  void Leave(std::uint64_t id);
  bool Stopping();

  ConnectionLimits limits_;
  std::mutex mutex_;
  std::map<std::uint64_t, Open> open_;
  std::uint64_t next_id_ = 0;
  bool stopping_ = false;
  std::function<void()> thread_start_hook_;  // guarded by mutex_
};

}  // namespace qreport::web
