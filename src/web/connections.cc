#include "web/connections.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace qreport::web {
namespace {

using Clock = std::chrono::steady_clock;

// After a request cut off at its size limit, or one whose body could not be read to its end,
// what the client still sends is read and dropped for this long at most, and this much at most,
// before the connection is closed: closing with unread bytes would reset the connection and
// could take the answer with it.
constexpr auto kLingerTime = std::chrono::seconds(1);
constexpr std::size_t kLingerBytes = 1 << 20;
constexpr std::size_t kReadBuffer = 16 * 1024;

// The answer to a connection that is refused because every connection is being answered.
constexpr std::string_view kBusy =
    "HTTP/1.1 503 Service Unavailable\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";

// Waits until `fd` is ready for `events` or hung up, at most until `deadline`. False when the
// deadline came first.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, events, 0};
    int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 60000)));
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return false;
  }
}

std::string AddressText(const sockaddr_storage& address, int* port) {
  char text[INET6_ADDRSTRLEN] = "";
  if (address.ss_family == AF_INET) {
    const auto& a = reinterpret_cast<const sockaddr_in&>(address);
    ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    if (port) *port = ntohs(a.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& a = reinterpret_cast<const sockaddr_in6&>(address);
    ::inet_ntop(AF_INET6, &a.sin6_addr, text, sizeof text);
    if (port) *port = ntohs(a.sin6_port);
  }
  return text;
}

std::string PeerAddress(int fd, int* port = nullptr) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return "";
  return AddressText(address, port);
}

// A connection's bytes as the library reads and writes them: requests end at their deadline
// and their size limit, answers at theirs. Bytes that come after a request are kept for the next.
class LimitedStream : public httplib::Stream {
 public:
  LimitedStream(int fd, const ConnectionLimits& limits) : fd_(fd), limits_(limits), buffer_(kReadBuffer) {}

  // Waits, at most the idle time, for the first byte of the next request and starts its clocks
  // and count. False when none came: the client hung up, was silent, or was hung up on.
  bool AwaitRequest() {
    requested_ = 0;
    too_large_ = false;
    closing_ = false;
    answering_ = false;
    if (begin_ == end_) {
      if (!WaitFor(fd_, POLLIN, Clock::now() + limits_.idle)) return false;
      request_deadline_ = Clock::now() + limits_.request;
      return Fill() > 0;
    }
    request_deadline_ = Clock::now() + limits_.request;
    return true;
  }

  bool too_large() const { return too_large_; }
  // Whether the connection is closed after this request's answer, its unread bytes dropped.
  bool closing() const { return too_large_ || closing_; }
  void RefuseRest() { too_large_ = true; }
  void CloseAfterAnswer() { closing_ = true; }

  bool is_readable() const override { return begin_ < end_ || WaitFor(fd_, POLLIN, request_deadline_); }
  bool is_writable() const override {
    return WaitFor(fd_, POLLOUT, answering_ ? answer_deadline_ : Clock::now() + limits_.answer);
  }

  ssize_t read(char* ptr, size_t size) override {
    if (too_large_) return -1;
    if (requested_ >= limits_.request_bytes) {
      too_large_ = true;
      return -1;
    }
    size = std::min(size, limits_.request_bytes - requested_);
    if (begin_ == end_) {
      ssize_t n = Fill();
      if (n <= 0) return n;
    }
    size = std::min(size, end_ - begin_);
    std::copy_n(buffer_.data() + begin_, size, ptr);
    begin_ += size;
    requested_ += size;
    return static_cast<ssize_t>(size);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!answering_) {
      answering_ = true;
      answer_deadline_ = Clock::now() + limits_.answer;
    }
    for (;;) {
      ssize_t n = ::send(fd_, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n >= 0) return n;
      if (errno == EINTR) continue;
      if ((errno != EAGAIN && errno != EWOULDBLOCK) || !WaitFor(fd_, POLLOUT, answer_deadline_)) return -1;
    }
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { ip = PeerAddress(fd_, &port); }

  void get_local_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) ip = AddressText(address, &port);
  }

  socket_t socket() const override { return fd_; }

 private:
  // Reads what the client has sent into the empty buffer, waiting until the request's deadline
  // at most. The bytes read, 0 when the client hung up, -1 on an error or at the deadline.
  ssize_t Fill() {
    begin_ = end_ = 0;
    for (;;) {
      ssize_t n = ::recv(fd_, buffer_.data(), buffer_.size(), MSG_DONTWAIT);
      if (n >= 0) {
        end_ = static_cast<std::size_t>(n);
        return n;
      }
      if (errno == EINTR) continue;
      if ((errno != EAGAIN && errno != EWOULDBLOCK) || !WaitFor(fd_, POLLIN, request_deadline_)) return -1;
    }
  }

  int fd_;
  const ConnectionLimits& limits_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0, end_ = 0;
  std::size_t requested_ = 0;  // bytes of the current request handed on
  bool too_large_ = false;
  bool closing_ = false;
  bool answering_ = false;
  Clock::time_point request_deadline_, answer_deadline_;
};

// Set on a thread that is to turn its connection away at once: no thread could be started to
// serve it.
thread_local bool refuse_connection = false;

// One thread for each connection, so that a connection waiting for its client never keeps
// another from being served. Past `max_threads` (connections that take another's place are
// still finishing) new connections wait for a thread. When the system has no thread to give,
// a new connection waits for one of the running threads, or is refused when none is running.
class ConnectionThreads : public httplib::TaskQueue {
 public:
  ConnectionThreads(GuardedServer& server, std::size_t max_threads, std::function<void()> starting)
      : server_(server), max_threads_(max_threads), starting_(std::move(starting)) {}

  void enqueue(std::function<void()> fn) override {
    std::unique_lock<std::mutex> lock(mutex_);
    // Threads that have finished are joined here, so that they do not pile up.
    for (auto it = workers_.begin(); it != workers_.end();) {
      if (!it->done) {
        ++it;
        continue;
      }
      it->thread.join();
      it = workers_.erase(it);
    }
    if (running_ >= max_threads_) {
      jobs_.push_back(std::move(fn));
      return;
    }
    ++running_;
    auto worker = workers_.emplace(workers_.end());
    // Held here as well as by the thread, so that it is still here when the thread is not.
    auto first = std::make_shared<std::function<void()>>(std::move(fn));
    try {
      if (starting_) starting_();
      worker->thread = std::thread([this, worker, first] {
        std::function<void()> fn = std::move(*first);
        for (;;) {
          fn();
          std::lock_guard<std::mutex> guard(mutex_);
          if (jobs_.empty()) {
            // Nothing here touches the queue after the lock is let go.
            worker->done = true;
            --running_;
            idle_.notify_all();
            return;
          }
          fn = std::move(jobs_.front());
          jobs_.pop_front();
        }
      });
    } catch (const std::system_error&) {
      workers_.erase(worker);
      --running_;
      if (running_ > 0) {
        // A running thread takes it when it is done with its connection.
        jobs_.push_back(std::move(*first));
        return;
      }
      idle_.notify_all();
      lock.unlock();
      // Served here, on the accepting thread, only to be told to come back: a few bytes sent
      // without waiting, and the socket closed.
      refuse_connection = true;
      (*first)();
      refuse_connection = false;
    }
  }

  void shutdown() override {
    server_.CloseWaiting();
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return running_ == 0; });
    std::list<Worker> workers = std::move(workers_);
    lock.unlock();
    for (Worker& w : workers) w.thread.join();
  }

 private:
  struct Worker {
    std::thread thread;
    bool done = false;
  };
  GuardedServer& server_;
  const std::size_t max_threads_;
  const std::function<void()> starting_;
  std::mutex mutex_;
  std::condition_variable idle_;
  std::list<Worker> workers_;
  std::deque<std::function<void()>> jobs_;
  std::size_t running_ = 0;
};

// The connection served on this thread.
struct Current {
  GuardedServer* server = nullptr;
  std::uint64_t id = 0;
  LimitedStream* stream = nullptr;
};
thread_local Current current;

}  // namespace

GuardedServer::GuardedServer(ConnectionLimits limits) : limits_(limits) {
  new_task_queue = [this] {
    return new ConnectionThreads(*this, limits_.total * 2, [this] {
      std::function<void()> hook;
      {
        std::lock_guard<std::mutex> guard(mutex_);
        hook = thread_start_hook_;
      }
      if (hook) hook();
    });
  };
}

GuardedServer::~GuardedServer() = default;

void GuardedServer::Answering() {
  if (current.server != nullptr) current.server->SetWaiting(current.id, false);
}

bool GuardedServer::RequestTooLarge() { return current.stream != nullptr && current.stream->too_large(); }

void GuardedServer::RefuseRestOfRequest() {
  if (current.stream != nullptr) current.stream->RefuseRest();
}

void GuardedServer::CloseAfterAnswer() {
  if (current.stream != nullptr) current.stream->CloseAfterAnswer();
}

bool GuardedServer::ClosingAfterAnswer() { return current.stream != nullptr && current.stream->closing(); }

void GuardedServer::SetThreadStartHookForTest(std::function<void()> hook) {
  std::lock_guard<std::mutex> guard(mutex_);
  thread_start_hook_ = std::move(hook);
}

std::size_t GuardedServer::open_connections() {
  std::lock_guard<std::mutex> guard(mutex_);
  return open_.size();
}

void GuardedServer::CloseWaiting() {
  std::lock_guard<std::mutex> guard(mutex_);
  stopping_ = true;
  for (auto& [id, open] : open_) {
    if (open.waiting) ::shutdown(open.fd, SHUT_RDWR);
  }
}

bool GuardedServer::Stopping() {
  std::lock_guard<std::mutex> guard(mutex_);
  return stopping_ || svr_sock_ == INVALID_SOCKET;
}

std::optional<std::uint64_t> GuardedServer::Admit(int fd, const std::string& address) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (stopping_) return std::nullopt;
  std::size_t from_address = std::count_if(open_.begin(), open_.end(), [&](const auto& e) { return e.second.address == address; });
  bool address_full = from_address >= limits_.per_address;
  if (address_full || open_.size() >= limits_.total) {
    // Room is made by the connection that has waited longest for its request, from the same
    // address when that address is the one at its limit.
    auto oldest = open_.end();
    for (auto it = open_.begin(); it != open_.end(); ++it) {
      if (!it->second.waiting || (address_full && it->second.address != address)) continue;
      if (oldest == open_.end() || it->second.since < oldest->second.since) oldest = it;
    }
    if (oldest == open_.end()) return std::nullopt;
    // Its thread sees the connection end; the descriptor stays open until that thread closes it,
    // after it has left this map.
    ::shutdown(oldest->second.fd, SHUT_RDWR);
    open_.erase(oldest);
  }
  std::uint64_t id = next_id_++;
  open_[id] = {fd, address, true, Clock::now()};
  return id;
}

void GuardedServer::SetWaiting(std::uint64_t id, bool waiting) {
  std::lock_guard<std::mutex> guard(mutex_);
  auto it = open_.find(id);
  if (it == open_.end()) return;
  // Its wait starts when it is admitted and each time its answer is done, never later: a
  // thread slow to get here must not make its connection look newer than it is.
  if (waiting && !it->second.waiting) it->second.since = Clock::now();
  it->second.waiting = waiting;
}

void GuardedServer::Leave(std::uint64_t id) {
  std::lock_guard<std::mutex> guard(mutex_);
  open_.erase(id);
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
  std::optional<std::uint64_t> id;
  if (!refuse_connection) id = Admit(sock, PeerAddress(sock));
  if (!id) {
    (void)!::send(sock, kBusy.data(), kBusy.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::close(sock);
    return false;
  }
  LimitedStream stream(sock, limits_);
  current = {this, *id, &stream};
  bool served = true;
  for (std::size_t n = 1; n <= limits_.requests_per_connection; ++n) {
    SetWaiting(*id, true);
    if (Stopping() || !stream.AwaitRequest()) break;
    bool closed = false;
    served = process_request(stream, n == limits_.requests_per_connection, closed, nullptr);
    if (!served || closed || stream.closing()) break;
  }
  current = {};
  Leave(*id);
  if (stream.closing()) {
    // The answer is on its way; what the client still sends is dropped, for a while.
    ::shutdown(sock, SHUT_WR);
    auto until = Clock::now() + kLingerTime;
    char drop[16 * 1024];
    std::size_t dropped = 0;
    while (dropped < kLingerBytes && WaitFor(sock, POLLIN, until)) {
      ssize_t n = ::recv(sock, drop, sizeof drop, MSG_DONTWAIT);
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) break;
      if (n > 0) dropped += static_cast<std::size_t>(n);
    }
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
  return served;
}

}  // namespace qreport::web
