#include "cli/command.h"
#include "cli/check_command.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "check/checks.h"
#include "check/findings.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "run/run_session.h"

namespace qreport::cli {
namespace {

struct CheckOptions {
  std::string data_dir, answers, rates_dir;
  bool json = false;
};

int RunCheck(const CheckOptions& o) {
  if (!StartingPointsExist(o.data_dir, o.rates_dir, o.answers)) return kCheckCannotRead;
  PlatformOptions options;
  options.answers_file = AnswersFileFor(o.data_dir, o.answers);
  options.has_printer_reply = true;
  options.never_interactive = true;
  auto platform = MakePlatform(options);
  EmployeeChecks employees;
  WorksheetSink* const sinks[] = {&employees};
  ReportFigures figures = ComputeClientFigures(o.data_dir, o.rates_dir, "941", *platform, sinks);
  std::vector<Finding> findings = CheckClient(figures, o.data_dir, o.rates_dir, &employees);
  int status = CheckExitStatus(findings);
  if (o.json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Finding& f : findings) {
      list.push_back({{"code", f.code}, {"severity", SeverityName(f.severity)}, {"message", f.message}});
    }
    nlohmann::ordered_json j;
    j["findings"] = list;
    j["status"] = status;
    std::cout << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    std::cout << FindingsText(findings);
  }
  return status;
}

}  // namespace

void AddCheckCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<CheckOptions>();
  CLI::App* sub = app.add_subcommand("check", "checks a client's return before it is filed");
  sub->footer(
      "Computes the report's figures as 'qreport run' would (the dialog played from --answers,\n"
      "else from DATADIR/answers when there is one, else closed with its first values) without\n"
      "writing anything, and prints one line per\n"
      "finding: 'error CODE: ...' when the return is wrong as it stands, 'warning CODE: ...' when\n"
      "it is worth a look. docs/checks.md lists the codes.\n"
      "Exit status: 0 nothing found, 1 warnings only, 2 an error found; 64 wrong usage and 66 a\n"
      "folder or file that cannot be read, so that neither is taken for a finding.");
  sub->add_option("DATADIR", options->data_dir, "the client folder")->required()->type_name("");
  sub->add_option("--answers", options->answers, "plays the dialog from this answers file")->type_name("FILE");
  sub->add_option("--rates-dir", options->rates_dir, "the folder of FICA.RAT and prep (default: .)")
      ->type_name("DIR");
  sub->add_flag("--json", options->json, "prints the findings as JSON");
  sub->callback([options, &exit_status] { exit_status = RunCheck(*options); });
}

}  // namespace qreport::cli
