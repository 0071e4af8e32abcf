#include "cli/run_command.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/command.h"
#include "run/report_run.h"
#ifndef QREPORT_NO_RENDER
#include "escp/cairo/render.h"
#endif

namespace qreport::cli {
namespace {

struct RunOptions {
  RunRequest request;
  std::string answers_file;
  std::string printer_reply;
  bool has_printer_reply = false;
};

int RunFromOptions(RunOptions& options) {
  RunRequest request = options.request;
  request.platform = PlatformOptionsFromEnvironment();
  if (!options.answers_file.empty()) request.platform.answers_file = options.answers_file;
  if (options.has_printer_reply) {
    request.platform.printer_reply = options.printer_reply;
    request.platform.has_printer_reply = true;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(request.data_dir, ec)) {
    std::cerr << "qreport: no such client folder: " << request.data_dir << "\n";
    return kCouldNotStart;
  }
  if (!request.rates_dir.empty() && !std::filesystem::is_directory(request.rates_dir, ec)) {
    std::cerr << "qreport: no such rates folder: " << request.rates_dir << "\n";
    return kCouldNotStart;
  }
  const std::string& answers = request.platform.answers_file;
  if (!answers.empty() && !std::filesystem::is_regular_file(answers, ec)) {
    std::cerr << "qreport: cannot read the answers file " << answers << "\n";
    return kCouldNotStart;
  }
  return RunClientReport(request);
}

}  // namespace

int RunClientReport(const RunRequest& request) {
  PlatformOptions options = request.platform;
  options.command_line = true;
#ifndef QREPORT_NO_RENDER
  options.render_pdf = &escp::RenderReportForPrinting;
#endif
  auto platform = MakePlatform(options);
  std::string device = request.device;
  RunReport(request.data_dir, device, request.kind, *platform, request.rates_dir);
  std::cout << "device code: " << device << std::endl;
  return kDone;
}

void AddRunCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<RunOptions>();
  CLI::App* sub = app.add_subcommand("run", "runs the quarterly report for a client folder as the host program would");
  sub->footer(
      "The report is written to DATADIR/report.txt; the rates file FICA.RAT and the letterhead file\n"
      "prep are read from the rates folder (--rates-dir, default: the current folder, as the host\n"
      "does). A payroll year after 04 takes the form path (options dialog, worksheet, Form 941 or\n"
      "944, payment voucher); 00 to 04 the short path (report date dialog and, for --kind 941, the\n"
      "worksheet). Ends with the line 'device code: <value>'.\n"
      "The dialog is played from the answers FILE (or $QREPORT_ANSWERS), else shown in the\n"
      "terminal, else closed at once with the values it showed first. The printer picker's reply\n"
      "is REPLY (NAME*PRINTER*FIELD3*FLAG; or $QREPORT_PRINTER_REPLY), else asked in the terminal\n"
      "when no answers file is given; a run played from answers asks nothing.");
  sub->add_option("DATADIR", options->request.data_dir, "the client folder")->required()->type_name("");
  sub->add_option("--kind", options->request.kind, "the report kind the host passes (default 941)")
      ->type_name("KIND");
  sub->add_option("--device", options->request.device, "the device code the host passes (default P)")
      ->type_name("CODE");
  sub->add_option("--answers", options->answers_file, "plays the dialogs from this answers file")->type_name("FILE");
  sub->add_option("--printer-reply", options->printer_reply, "the printer picker's reply")
      ->type_name("REPLY")
      ->each([options](const std::string&) { options->has_printer_reply = true; });
  sub->add_option("--rates-dir", options->request.rates_dir, "the folder of FICA.RAT and prep (default: .)")
      ->type_name("DIR");
  sub->callback([options, &exit_status] { exit_status = RunFromOptions(*options); });
}

}  // namespace qreport::cli
