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
  int form = 0;
  bool json = false;
};

// The findings of the client: an answers file with errors is checked no further, since nothing
// can be computed from it; each of its errors is a finding.
std::vector<Finding> Findings(const CheckOptions& o) {
  RunSetup setup;
  setup.data_dir = o.data_dir;
  setup.rates_dir = ChooseRatesFolder(o.data_dir, o.rates_dir);
  setup.answers_file = AnswersFileOf(o.data_dir, o.answers);
  setup.form = o.form;
  PlatformOptions options;
  options.answers_file = setup.answers_file;
  options.has_printer_reply = true;
  options.never_interactive = true;
  auto platform = MakePlatform(options);
  EmployeeChecks employees;
  WorksheetSink* const sinks[] = {&employees};
  const std::string rates_dir = setup.rates_dir;
  ReportFigures figures = ComputeClientFigures(std::move(setup), *platform, sinks);
  if (!figures.answers_errors.empty()) {
    std::vector<Finding> findings;
    for (const std::string& error : figures.answers_errors) findings.push_back({"answers", Severity::kError, error});
    return findings;
  }
  return CheckClient(figures, o.data_dir, rates_dir, &employees);
}

int RunCheck(const CheckOptions& o) {
  if (!StartingPointsExist(o.data_dir, o.rates_dir, o.answers)) return kCheckCannotRead;
  std::vector<Finding> findings = Findings(o);
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
      "else $QREPORT_ANSWERS, else DATADIR/answers when there is one, else closed with its first\n"
      "values; the rates from --rates-dir, else DATADIR when it holds FICA.RAT, else the current\n"
      "folder; the form as --form sets it) without writing anything, and prints one line per\n"
      "finding: 'error CODE: ...' when the return is wrong as it stands, 'warning CODE: ...' when\n"
      "it is worth a look. docs/checks.md lists the codes. An answers file with errors gives one\n"
      "'error answers: FILE:LINE: ...' per error and nothing else; no rates file, or a rate of 0,\n"
      "is an error too.\n"
      "Exit status: 0 nothing found, 1 warnings only, 2 an error found; 64 wrong usage and 66 a\n"
      "folder or file that cannot be read, so that neither is taken for a finding.");
  sub->add_option("DATADIR", options->data_dir, "the client folder")->required()->type_name("");
  sub->add_option("--answers", options->answers, "plays the dialog from this answers file")->type_name("FILE");
  sub->add_option("--rates-dir", options->rates_dir,
                  "the folder of FICA.RAT and prep (default: DATADIR when it holds FICA.RAT, else .)")
      ->type_name("DIR");
  AddFormOption(*sub, options->form);
  sub->add_flag("--json", options->json, "prints the findings as JSON");
  sub->callback([options, &exit_status] { exit_status = RunCheck(*options); });
}

}  // namespace qreport::cli
