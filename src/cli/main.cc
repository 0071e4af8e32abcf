// The qreport command: runs a report for a client folder as a host would, writes the demo client,
// renders printer text and answers disk space queries. Each subcommand registers itself (see
// cli/command.h); this file sets up the parser, the help texts and how usage errors are told.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#ifdef QREPORT_BATCH
#include "cli/batch_command.h"
#endif
#ifdef QREPORT_JSON
#include "check/findings.h"
#include "cli/check_command.h"
#endif
#include "cli/command.h"
#include "cli/demo_command.h"
#include "cli/diskspace_command.h"
#include "cli/help_format.h"
#ifdef QREPORT_JSON
#include "cli/import_command.h"
#include "cli/inspect_command.h"
#include "cli/lines_command.h"
#include "cli/return_command.h"
#endif
#ifdef QREPORT_RENDERER
#include "cli/render_command.h"
#endif
#include "cli/run_command.h"
#include "platform/files.h"
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
  sub->add_option("CMD", *topic, "the command to explain (default: all of them)")->type_name("");
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

// The status of a usage error: kUsage, except for `check`, whose 1 and 2 tell its findings (see
// check/findings.h).
int UsageStatusFor([[maybe_unused]] const CLI::App& app) {
#ifdef QREPORT_JSON
  if (!app.get_subcommands().empty() && app.get_subcommands().back()->get_name() == "check") {
    return qreport::kCheckUsage;
  }
#endif
  return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away (`qreport run ... | head`) must not end a run half way: writes of
  // the command's own output then fail, and the run goes on.
  qreport::IgnoreBrokenPipes();
  CLI::App app("the quarterly payroll-tax report from the command line", "qreport");
  app.formatter(std::make_shared<qreport::cli::HelpFormat>());
  app.set_help_flag("-h,--help", "prints this help and exits");
  app.set_version_flag("-V,--version", std::string("qreport ") + QREPORT_VERSION, "prints the version and exits");
  app.require_subcommand(1);
  int exit_status = kDone;
  qreport::cli::AddRunCommand(app, exit_status);
  qreport::cli::AddDemoCommand(app, exit_status);
#ifdef QREPORT_RENDERER
  qreport::cli::AddRenderCommand(app, exit_status);
#endif
#ifdef QREPORT_JSON
  qreport::cli::AddInspectCommand(app, exit_status);
  qreport::cli::AddImportCommand(app, exit_status);
  qreport::cli::AddLinesCommand(app, exit_status);
  qreport::cli::AddCheckCommand(app, exit_status);
  qreport::cli::AddReturnCommand(app, exit_status);
#endif
#ifdef QREPORT_BATCH
  qreport::cli::AddBatchCommand(app, exit_status);
#endif
  qreport::cli::AddDiskFreeCommand(app, exit_status);
  qreport::cli::AddShowFreeCommand(app, exit_status);
#ifdef QREPORT_WEB
  qreport::cli::AddServeCommand(app, exit_status);
#endif
  AddHelpCommand(app, exit_status);
  for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) command->group("Commands");
  // After the commands: a subcommand starts with its parent's footer.
  app.footer(
      "'qreport help CMD' or 'qreport CMD --help' shows the help of one command; -- ends the options.\n"
      "Exit status of run: 0 written and handed on (or nothing to print), 1 could not start, 2 wrong\n"
      "usage (a bad answers file included), 3 cancelled, 4 incomplete (an error message was shown),\n"
      "5 written but not printed, 6 written from record files cut short, 130 interrupted. Warnings\n"
      "go to standard error as 'warning: ...'.");


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
    return UsageStatusFor(app);
  }
  return exit_status;
}
