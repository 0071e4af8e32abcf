#include "cli/demo_command.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "cli/command.h"
#include "cli/demo/demo_client.h"
#include "cli/run_command.h"

namespace qreport::cli {
namespace {

struct DemoOptions {
  std::string dir = "demo-client";
};

int RunDemo(const DemoOptions& options) {
  std::filesystem::path dir = options.dir;
  try {
    WriteDemoClient(dir);
  } catch (const std::exception& e) {
    std::cerr << "qreport: " << e.what() << "\n";
    return kCouldNotStart;
  }
  std::filesystem::path folder = std::filesystem::absolute(dir);
  RunRequest request;
  request.data_dir = folder.string();
  request.rates_dir = folder.string();
  request.platform = PlatformOptionsFromEnvironment();
  // The demo fills in its dialog from its own answers file and prints to the PDF file, unless
  // the environment says otherwise.
  if (request.platform.answers_file.empty()) request.platform.answers_file = (folder / kDemoAnswersFile).string();
  if (!request.platform.has_printer_reply) {
    request.platform.printer_reply = kDemoPrinterReply;
    request.platform.has_printer_reply = true;
  }
  std::cout << "demo client: " << folder.string() << "\n"
            << "report:      " << (folder / "report.txt").string() << std::endl;
  return RunClientReport(request);
}

}  // namespace

void AddDemoCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<DemoOptions>();
  CLI::App* sub = app.add_subcommand("demo", "writes the built-in demo client into DIR and runs its report");
  sub->footer(
      "The demo client's record files, its rates file FICA.RAT, its letterhead file prep and its\n"
      "answers file go into DIR; its report is run as\n"
      "  qreport run DIR --rates-dir DIR --answers DIR/answers --printer-reply DEMO*PDF*FILE*N\n"
      "and printed to the PDF file DIR/report.pdf.");
  sub->add_option("DIR", options->dir, "the folder to write (default demo-client)")->type_name("");
  sub->callback([options, &exit_status] { exit_status = RunDemo(*options); });
}

}  // namespace qreport::cli
