#include "cli/serve_command.h"

#include <csignal>
#include <iostream>
#include <thread>

#include "escp/cairo/render.h"
#include "platform/posix/print_utility.h"
#include "web/server.h"

namespace qreport {
namespace {

bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& value) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) return false;
    value = args[++i];
    return true;
  }
  value = arg.substr(name.size() + 1);
  return true;
}

bool Is(const std::string& arg, const std::string& name) {
  return arg == name || arg.rfind(name + "=", 0) == 0;
}

}  // namespace

int ServeCommand(const std::vector<std::string>& args, ServeUsageReporter usage) {
  web::ServeOptions options;
  std::string root, port;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (Is(arg, "--root")) {
      if (!TakeValue(args, i, "--root", root)) return usage("--root needs a folder");
    } else if (Is(arg, "--rates-dir")) {
      if (!TakeValue(args, i, "--rates-dir", options.rates_dir)) return usage("--rates-dir needs a folder");
    } else if (Is(arg, "--port")) {
      if (!TakeValue(args, i, "--port", port)) return usage("--port needs a number");
    } else {
      return usage("serve: unexpected " + arg);
    }
  }
  if (root.empty()) return usage("serve needs --root DIR");
  if (!port.empty()) {
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos || std::stoi(port) > 65535) {
      return usage("--port takes a number from 0 to 65535");
    }
    options.port = std::stoi(port);
  }
  options.root = root;
  options.print_options.render_pdf = &escp::RenderReportForPrinting;

  // The interrupt is waited for on a thread of its own; every other thread has it blocked.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  web::WebServer server(options);
  std::string error;
  if (!server.Bind(error)) {
    std::cerr << "qreport: " << error << "\n";
    return 1;
  }
  std::cout << "qreport: serving " << root << " at " << server.Url() << std::endl;
  PrintServices desktop = SystemPrintServices(nullptr);
  if (desktop.has_viewer()) desktop.start({"xdg-open", server.Url()});

  std::thread watcher([&server, stop_signals] {
    int signal = 0;
    sigwait(&stop_signals, &signal);
    server.Stop();
  });
  server.Serve();
  // Serve also ends when the server fails; the watcher is then woken by a signal of our own.
  pthread_kill(watcher.native_handle(), SIGTERM);
  watcher.join();
  return 0;
}

}  // namespace qreport
