// `qreport serve`: the local web front end. An HTTP server on 127.0.0.1 that lists the client
// folders under a root, shows a client's dialog in the page (played through the dialog's own
// tables and notify functions), runs the report and shows its pages, and prints it through the
// run's hand-off.
//
// Every request must carry the server's token: in the query (?token=) the first time, after that
// in the cookie the first answer sets. A request that changes anything is a POST with the token
// in the X-Qreport-Token header, which another site's page cannot send. A Host header other than
// 127.0.0.1:PORT or localhost:PORT is refused, so a name that resolves to this machine cannot
// reach it from a page of that name. Request bodies are at most 64 KiB, however they are sent;
// connections are held to the time-outs and counts of ConnectionLimits.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "web/connection_limits.h"

namespace qreport::web {

struct ServeOptions {
  std::filesystem::path root;  // the folder whose subfolders are the clients
  std::string rates_dir;       // the rates and letterhead files; empty: the current directory
  // Where the clients list is kept between runs; empty: a file in the root.
  std::filesystem::path cache_dir;
  unsigned list_threads = 0;   // the threads that compute the clients list; 0: one a core
  int port = 0;                // 0: a free port
  std::string token;           // empty: drawn from the system's random source
  std::string report_kind = "941";
  PlatformOptions print_options;  // the print utility stand-in's set-up
  ConnectionLimits connections;
  // The bytes of drawn report pages kept for the pages to show again: some 200 pages.
  std::size_t page_memory = 24 << 20;
};

inline constexpr std::string_view kTokenHeader = "X-Qreport-Token";
inline constexpr std::string_view kTokenCookie = "qreport_token";

// 32 hexadecimal digits from the system's random source; throws std::runtime_error when it
// cannot be read.
std::string RandomToken();

class WebServer {
 public:
  explicit WebServer(ServeOptions options);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds 127.0.0.1 and the port; false with the reason when it cannot (the root is not a
  // folder, the port is taken).
  bool Bind(std::string& error);
  int port() const;
  const std::string& token() const;
  // The address to open: http://127.0.0.1:PORT/?token=TOKEN
  std::string Url() const;

  // Serves until Stop() is called (from another thread or a signal's watcher).
  void Serve();
  void Stop();

  // Holds the report lock of the client folder `folder` until the returned object is gone, as a
  // running report does (for tests of what a second report of the same client meets).
  std::shared_ptr<void> HoldClientForTest(const std::filesystem::path& folder);
  // Called with a printer-text file's path each time one is read to be counted or drawn for
  // the pages, on the thread that draws it (for tests of what waits on a drawing).
  void SetDrawHookForTest(std::function<void(const std::filesystem::path&)> hook);
  // Called before each thread for a connection is started; one that throws std::system_error
  // stands for a system out of threads (for tests).
  void SetThreadStartHookForTest(std::function<void()> hook);
  // Waits until the clients list's pass over the folders has ended (for tests and the benchmark).
  void WaitForClientListForTest();
  // Called with a client folder each time its row of the list is computed rather than taken from
  // the cache, on the thread that computes it (for tests).
  void SetListComputeHookForTest(std::function<void(const std::filesystem::path&)> hook);
  // Connections open now (for tests).
  std::size_t OpenConnectionsForTest();
  // The bytes of drawn pages kept now (for tests).
  std::size_t CachedPageBytesForTest();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qreport::web
