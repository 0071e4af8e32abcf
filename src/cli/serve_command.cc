#include "cli/serve_command.h"

#include <CLI/CLI.hpp>
#include <pthread.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

#include "cli/command.h"
#include "escp/cairo/render.h"
#include "platform/posix/print_utility.h"
#include "web/server.h"

namespace qreport::cli {
namespace {

struct ServeArgs {
  std::string root;
  std::string rates_dir;
  std::string cache_dir;
  int port = 0;
};

int Serve(const ServeArgs& args) {
  std::error_code ec;
  if (!std::filesystem::is_directory(args.root, ec)) {
    std::cerr << "qreport: no such folder: " << args.root << "\n";
    return kCouldNotStart;
  }
  if (!args.rates_dir.empty() && !std::filesystem::is_directory(args.rates_dir, ec)) {
    std::cerr << "qreport: no such rates folder: " << args.rates_dir << "\n";
    return kCouldNotStart;
  }
  if (!args.cache_dir.empty() && !std::filesystem::is_directory(args.cache_dir, ec)) {
    std::cerr << "qreport: no such cache folder: " << args.cache_dir << "\n";
    return kCouldNotStart;
  }
  web::ServeOptions options;
  options.cache_dir = args.cache_dir;
  options.root = args.root;
  options.rates_dir = args.rates_dir;
  options.port = args.port;
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
    return kCouldNotStart;
  }
  std::cout << "qreport: serving " << args.root << " at " << server.Url() << std::endl;
  PrintServices desktop = SystemPrintServices(nullptr);
  if (desktop.has_viewer()) desktop.start({"xdg-open", server.Url()});

  std::thread watcher([&server, stop_signals] {
    int signal = 0;
    sigwait(&stop_signals, &signal);
    server.Stop();
  });
  server.Serve();
  // Serving also ends when the server fails; the watcher is then woken by a signal of our own.
  pthread_kill(watcher.native_handle(), SIGTERM);
  watcher.join();
  return kDone;
}

}  // namespace

void AddServeCommand(CLI::App& app, int& exit_status) {
  auto args = std::make_shared<ServeArgs>();
  CLI::App* sub = app.add_subcommand("serve", "serves the client folders under a root as local web pages");
  sub->footer(
      "Listens on 127.0.0.1 only (port N, default a free one) and prints one line with the address\n"
      "and its token; opens it with xdg-open when there is a display. The pages list the client\n"
      "folders under DIR (a folder counts when it holds a client file), show a client's dialog,\n"
      "run its report, show the pages, offer the PDF and report.txt, and print. The rates file\n"
      "FICA.RAT and the letterhead file prep are read from the rates folder (--rates-dir,\n"
      "default: the current folder). Stops on Ctrl-C.\n"
      "The clients list is computed on every core from the start and kept in .qreport-clients.cache\n"
      "in DIR (or in the folder --cache-dir names), so that a restart computes only the clients whose\n"
      "files, rates or answers changed; a damaged cache file is ignored and written anew.");
  sub->add_option("--root", args->root, "the folder whose subfolders are the clients")->required()->type_name("DIR");
  sub->add_option("--rates-dir", args->rates_dir, "the folder of FICA.RAT and prep (default: .)")->type_name("DIR");
  sub->add_option("--cache-dir", args->cache_dir, "where the clients list is kept between runs (default: DIR)")
      ->type_name("DIR");
  AddWholeNumberOption(*sub, "--port", args->port, 0, 65535, "the port to listen on (default: a free one)");
  sub->callback([args, &exit_status] { exit_status = Serve(*args); });
}

}  // namespace qreport::cli
