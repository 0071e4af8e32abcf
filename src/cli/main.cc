// The qreport command: runs a report for a client folder as a host would, writes the demo client,
// renders printer text and answers disk space queries. Each subcommand registers itself (see
// cli/command.h); this file sets up the parser, the help texts and how usage errors are told.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/demo_command.h"
#include "cli/diskspace_command.h"
#include "cli/help_format.h"
#ifndef QREPORT_NO_RENDER
#include "cli/render_command.h"
#endif
#include "cli/run_command.h"
#ifdef QREPORT_WEB
#include "cli/serve_command.h"
#endif

#ifndef QREPORT_VERSION
#define QREPORT_VERSION "0"
#endif

namespace {

using qreport::cli::kDone;
using qreport::cli::kUsage;

// `qreport help [COMMAND]`: the help of one command, or of the whole command.
void AddHelpCommand(CLI::App& app, int& exit_status) {
  auto topic = std::make_shared<std::string>();
  CLI::App* sub = app.add_subcommand("help", "shows the help of a command");
  sub->add_option("COMMAND", *topic, "the command to explain (default: all of them)")->type_name("");
  sub->callback([&app, topic, &exit_status] {
    if (topic->empty()) {
      // Not app.help(), which would show the help of the command being run: this one.
      std::cout << app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal);
    } else {
      CLI::App* command = nullptr;
      for (CLI::App* candidate : app.get_subcommands([](CLI::App*) { return true; })) {
        if (candidate->get_name() == *topic) command = candidate;
      }
      if (command == nullptr) throw CLI::ValidationError("no command named '" + *topic + "'");
      std::cout << command->help(app.get_name(), CLI::AppFormatMode::Normal);
    }
    exit_status = kDone;
  });
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("the quarterly payroll-tax report from the command line", "qreport");
  app.formatter(std::make_shared<qreport::cli::HelpFormat>());
  app.set_help_flag("-h,--help", "prints this help and exits");
  app.set_version_flag("-V,--version", std::string("qreport ") + QREPORT_VERSION, "prints the version and exits");
  app.require_subcommand(1);
  int exit_status = kDone;
  qreport::cli::AddRunCommand(app, exit_status);
  qreport::cli::AddDemoCommand(app, exit_status);
#ifndef QREPORT_NO_RENDER
  qreport::cli::AddRenderCommand(app, exit_status);
#endif
  qreport::cli::AddDiskFreeCommand(app, exit_status);
  qreport::cli::AddShowFreeCommand(app, exit_status);
#ifdef QREPORT_WEB
  qreport::cli::AddServeCommand(app, exit_status);
#endif
  AddHelpCommand(app, exit_status);
  for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) command->group("Commands");
  // After the commands: a subcommand starts with its parent's footer.
  app.footer("'qreport help COMMAND' or 'qreport COMMAND --help' shows the help of one command.");


  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help("", CLI::AppFormatMode::Normal);
    return kDone;
  } catch (const CLI::CallForVersion& e) {
    std::cout << e.what() << "\n";
    return kDone;
  } catch (const CLI::ParseError& e) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::cerr << "qreport: " << qreport::cli::PlainUsageError(app, e, args) << "\n"
              << "Try '" << qreport::cli::HelpCommandFor(app) << "'.\n";
    return kUsage;
  }
  return exit_status;
}
