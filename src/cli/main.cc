// The qreport command: runs a report for a client folder as a host would, writes the demo client,
// and (as they come) renders printer text and answers disk space queries.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/demo/demo_client.h"
#include "cli/diskspace_command.h"
#ifndef QREPORT_NO_RENDER
#include "cli/render_command.h"
#include "escp/cairo/render.h"
#endif
#ifdef QREPORT_WEB
#include "cli/serve_command.h"
#endif
#include "platform/platform.h"
#include "run/report_run.h"

#ifndef QREPORT_VERSION
#define QREPORT_VERSION "0"
#endif

namespace {

constexpr int kDone = 0;
constexpr int kCouldNotStart = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage:\n"
    "  qreport run DATADIR [--kind 941] [--device CODE] [--answers FILE] [--printer-reply TEXT]\n"
#ifndef QREPORT_NO_RENDER
    "  qreport render REPORT.txt [-o OUT.pdf] [--png DIR] [--dpi N] [--strict]\n"
#endif
    "  qreport demo [DIR]\n"
    "  qreport diskfree [DRIVE] [--mode F|T]\n"
    "  qreport showfree DRIVE\n"
#ifdef QREPORT_WEB
    "  qreport serve --root DIR [--rates-dir DIR] [--port N]\n"
#endif
    "  qreport --help | --version\n"
    "\n"
    "run   runs the quarterly report for the client folder DATADIR as the host program would:\n"
    "      the rates file FICA.RAT and the letterhead file prep are taken from the current\n"
    "      directory; the report is written to DATADIR/report.txt. Ends with the line\n"
    "      'device code: <value>'. The dialog is played from the answers FILE (or\n"
    "      $QREPORT_ANSWERS), else shown in the terminal, else closed at once. The printer\n"
    "      picker's reply is TEXT (or $QREPORT_PRINTER_REPLY), else asked in the terminal\n"
    "      when no answers file is given; a run played from answers asks nothing.\n"
    "demo  writes the built-in demo client into DIR (default demo-client) and runs its report\n"
    "      with the demo's answers file.\n"
#ifndef QREPORT_NO_RENDER
    "render  draws printer text as the print utility shows it: a PDF (default REPORT.pdf;\n"
    "      - for standard input and output) and with --png one PNG a page in DIR (page-01.png,\n"
    "      ..., at N dots per inch, default 150). --strict lists every byte sequence it does\n"
    "      not act on, with its offset, and then exits 1.\n"
#endif
    "diskfree  prints the bytes free (mode F, the default) or in all (any other mode) on DRIVE.\n"
    "showfree  shows the free and total bytes of DRIVE as a message.\n"
    "      DRIVE is a drive letter (QREPORT_DRIVE_<LETTER> names its folder; C is / unless\n"
    "      set); any other text measures the current directory.\n"
#ifdef QREPORT_WEB
    "serve  serves the client folders under DIR as web pages on 127.0.0.1 (port N, default a\n"
    "      free one): a client's dialog, its report's pages, downloads and printing. Prints the\n"
    "      address with its token and opens it when there is a display; stops on Ctrl+C.\n"
#endif
    ;

int Usage(const std::string& problem) {
  std::cerr << "qreport: " << problem << "\n" << kUsageText;
  return kUsage;
}

struct RunArgs {
  std::string data_dir;
  std::string kind = "941";
  std::string device = "P";
  qreport::PlatformOptions platform;
};

// Reads "--name VALUE" and "--name=VALUE"; returns false on a missing value.
bool TakeOption(const std::vector<std::string>& args, std::size_t& i, std::string_view name, std::string& value) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) return false;
    value = args[++i];
    return true;
  }
  if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
    return true;
  }
  return false;
}

bool IsOption(const std::string& arg, std::string_view name) {
  return arg == name || (arg.size() > name.size() && arg.compare(0, name.size() + 1, std::string(name) + "=") == 0);
}

int RunCommand(const std::vector<std::string>& args) {
  RunArgs run;
  run.platform = qreport::PlatformOptionsFromEnvironment();
  run.platform.command_line = true;
#ifndef QREPORT_NO_RENDER
  run.platform.render_pdf = &qreport::escp::RenderReportForPrinting;
#endif
  bool have_dir = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (IsOption(arg, "--kind")) {
      if (!TakeOption(args, i, "--kind", run.kind)) return Usage("--kind needs a value");
    } else if (IsOption(arg, "--device")) {
      if (!TakeOption(args, i, "--device", run.device)) return Usage("--device needs a value");
    } else if (IsOption(arg, "--answers")) {
      if (!TakeOption(args, i, "--answers", run.platform.answers_file)) return Usage("--answers needs a file");
    } else if (IsOption(arg, "--printer-reply")) {
      if (!TakeOption(args, i, "--printer-reply", run.platform.printer_reply)) {
        return Usage("--printer-reply needs a text");
      }
      run.platform.has_printer_reply = true;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      return Usage("unknown option " + arg);
    } else if (!have_dir) {
      run.data_dir = arg;
      have_dir = true;
    } else {
      return Usage("one DATADIR only");
    }
  }
  if (!have_dir) return Usage("run needs a DATADIR");
  std::error_code ec;
  if (!std::filesystem::is_directory(run.data_dir, ec)) {
    std::cerr << "qreport: no such client folder: " << run.data_dir << "\n";
    return kCouldNotStart;
  }
  if (!run.platform.answers_file.empty() && !std::filesystem::is_regular_file(run.platform.answers_file, ec)) {
    std::cerr << "qreport: cannot read the answers file " << run.platform.answers_file << "\n";
    return kCouldNotStart;
  }
  auto platform = qreport::MakePlatform(run.platform);
  std::string device = run.device;
  qreport::RunReport(run.data_dir, device, run.kind, *platform);
  std::cout << "device code: " << device << std::endl;
  return kDone;
}

int DemoCommand(const std::vector<std::string>& args) {
  if (args.size() > 1) return Usage("demo takes one DIR at most");
  std::filesystem::path dir = args.empty() ? "demo-client" : args[0];
  try {
    qreport::WriteDemoClient(dir);
  } catch (const std::exception& e) {
    std::cerr << "qreport: " << e.what() << "\n";
    return kCouldNotStart;
  }
  std::filesystem::path folder = std::filesystem::absolute(dir);
  qreport::PlatformOptions options = qreport::PlatformOptionsFromEnvironment();
  options.command_line = true;
#ifndef QREPORT_NO_RENDER
  options.render_pdf = &qreport::escp::RenderReportForPrinting;
#endif
  // The demo fills in its dialog from its own answers file and prints to the PDF file, unless
  // the environment says otherwise.
  if (options.answers_file.empty()) options.answers_file = (folder / qreport::kDemoAnswersFile).string();
  if (!options.has_printer_reply) {
    options.printer_reply = qreport::kDemoPrinterReply;
    options.has_printer_reply = true;
  }
  auto platform = qreport::MakePlatform(options);
  std::string device = "P";
  qreport::RunReport(folder.string(), device, "941", *platform, folder.string());
  std::cout << "demo client: " << folder.string() << "\n"
            << "report:      " << (folder / "report.txt").string() << "\n"
            << "device code: " << device << std::endl;
  return kDone;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command given");
  std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsageText;
    return kDone;
  }
  if (command == "--version") {
    std::cout << "qreport " << QREPORT_VERSION << "\n";
    return kDone;
  }
  if (command == "run") return RunCommand(args);
  if (command == "demo") return DemoCommand(args);
#ifndef QREPORT_NO_RENDER
  if (command == "render") return qreport::RenderCommand(args, Usage);
#endif
#ifdef QREPORT_WEB
  if (command == "serve") return qreport::ServeCommand(args, Usage);
#endif
  if (command == "diskfree") return qreport::DiskFreeCommand(args, Usage);
  if (command == "showfree") return qreport::ShowFreeCommand(args, Usage);
  return Usage("unknown command " + command);
}
