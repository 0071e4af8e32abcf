#include "cli/batch_command.h"

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "batch/batch_runner.h"
#include "batch/progress.h"
#include "batch/summary.h"
#include "cli/command.h"

namespace qreport::cli {
namespace {
namespace fs = std::filesystem;

// The summary's file name, without its extension, in the folder the summary goes to.
constexpr const char* kSummaryName = "batch-summary";

struct BatchCommandOptions {
  std::vector<std::string> clients;
  std::string root, out, rates_dir;
  int jobs = 0, form = 0;
  bool render = false, skip_done = false, schedule_b = false, allow_zero_rates = false, current_return = false;
};

// The batch the command line asks for, its folders checked (the output folder made); nullopt,
// with the reason printed, when one is missing or cannot be made.
std::optional<BatchOptions> BatchOptionsOf(const BatchCommandOptions& o, std::vector<fs::path>& not_clients) {
  std::error_code ec;
  BatchOptions options;
  options.out_dir = o.out;
  options.rates_dir = o.rates_dir;
  unsigned cores = std::thread::hardware_concurrency();
  options.jobs = o.jobs > 0 ? o.jobs : static_cast<int>(cores > 0 ? cores : 1);
  options.render = o.render;
  options.skip_done = o.skip_done;
  options.schedule_b = o.schedule_b;
  options.current_return = o.current_return;
  options.form = o.form;
  options.allow_zero_rates = o.allow_zero_rates;
  if (!o.root.empty()) {
    if (!fs::is_directory(o.root, ec)) {
      std::cerr << "qreport: no such folder: " << o.root << "\n";
      return std::nullopt;
    }
    options.clients = ClientFoldersOf(o.root, o.out, &not_clients);
  } else {
    for (const std::string& c : o.clients) options.clients.emplace_back(c);
  }
  if (!o.rates_dir.empty() && !fs::is_directory(o.rates_dir, ec)) {
    std::cerr << "qreport: no such rates folder: " << o.rates_dir << "\n";
    return std::nullopt;
  }
  if (!o.out.empty()) {
    fs::create_directories(o.out, ec);
    if (!fs::is_directory(o.out, ec)) {
      std::cerr << "qreport: cannot make the output folder " << o.out << "\n";
      return std::nullopt;
    }
  }
  return options;
}

// The end of a batch whose summary was written: the summary's CSV file on standard output, what
// was interrupted or failed on standard error, and the exit status that says so.
int BatchEnd(const BatchResult& result, const fs::path& summary) {
  std::size_t failed = 0, not_run = 0, with_errors = 0;
  for (const ClientRow& row : result.rows) {
    if (row.status == ClientStatus::kFailed) ++failed;
    if (row.status == ClientStatus::kNotRun) ++not_run;
    if (row.status != ClientStatus::kFailed && row.error_findings > 0) ++with_errors;
  }
  fs::path csv = summary;
  csv += ".csv";
  std::cout << csv.string() << std::endl;
  if (!result.not_clients.empty()) {
    std::cerr << "qreport: " << result.not_clients.size() << " folder" << (result.not_clients.size() == 1 ? "" : "s")
              << " without a CLIENT file left out (see not_clients in the summary)\n";
  }
  if (result.interrupted) {
    std::cerr << "qreport: interrupted; " << not_run << " of " << result.rows.size() << " clients not run\n";
    return kInterrupted;
  }
  if (failed > 0) {
    std::cerr << "qreport: " << failed << " of " << result.rows.size() << " clients failed\n";
    return kCouldNotStart;
  }
  if (with_errors > 0) {
    std::cerr << "qreport: " << with_errors << " of " << result.rows.size() << " clients ran but their check found"
              << " errors (see the errors column of the summary)\n";
    return kClientsHaveErrors;
  }
  return kDone;
}

int RunBatchCommand(const BatchCommandOptions& o) {
  if (o.clients.empty() == o.root.empty()) throw CLI::ValidationError("give client folders or --root DIR, not both");
  std::vector<fs::path> not_clients;
  std::optional<BatchOptions> options = BatchOptionsOf(o, not_clients);
  if (!options) return kCouldNotStart;
  fs::path summary_dir = !o.out.empty() ? fs::path(o.out) : !o.root.empty() ? fs::path(o.root) : fs::path(".");
  fs::path summary = summary_dir / kSummaryName;

  // The progress line only where someone watches it: standard error is a terminal.
  const bool terminal = ::isatty(2) == 1;
  std::function<void(const BatchProgress&)> progress;
  if (terminal) {
    progress = [](const BatchProgress& p) { std::cerr << ProgressRedraw(p) << std::flush; };
  }
  BatchResult result = RunBatch(*options, progress);
  if (terminal) std::cerr << "\r\x1b[K" << std::flush;
  for (const fs::path& folder : not_clients) result.not_clients.push_back(folder.string());

  std::string error;
  if (!WriteSummary(result, summary, error)) {
    std::cerr << "qreport: the summary cannot be written: " << error << "\n";
    return kCouldNotStart;
  }
  return BatchEnd(result, summary);
}

}  // namespace

void AddBatchCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<BatchCommandOptions>();
  CLI::App* sub = app.add_subcommand("batch", "runs the reports of many client folders and writes one summary");
  sub->footer(
      "Each client's report is run with the answers file CLIENT_DIR/answers when there is one, else\n"
      "with its saved entries and the dialog's first values; no dialog is shown and nothing is\n"
      "printed. An answers file with errors (as 'qreport run' refuses it) makes the client a failed\n"
      "row naming them. The rates are read from --rates-dir, else from each client's own folder\n"
      "when it holds FICA.RAT, else from the current folder; a form-path client without usable\n"
      "rates (no or an empty FICA.RAT, a social security or Medicare rate of 0) is a failed row\n"
      "unless --allow-zero-rates. --form 941|944 prints every client's return on that form.\n"
      "The summary counts each client's findings by severity (errors, warnings). Per client it writes <folder>-<year>Q<quarter>-<form>.txt (with --render also its\n"
      ".pdf) into the output folder (--out, default: beside the client folder). The summary\n"
      "batch-summary.csv and batch-summary.json go into --out, else --root, else the current\n"
      "folder; its path is printed. On a terminal a progress line shows how far the batch is.\n"
      "With --schedule-b a semiweekly depositor's Form 941 also gets Schedule B, as 'qreport run\n"
      "--schedule-b' writes it, as <folder>-<year>Q<quarter>-scheduleb.txt (and .pdf with --render);\n"
      "the summary's schedule_b column says whether it was written, and why not.\n"
      "With --return each Form 941 or 944 client also gets its current return, as 'qreport return'\n"
      "computes it, from the same run: <folder>-<year>Q<quarter>-<form>.return.json (as return\n"
      "--json prints it) and .return.pdf (its filing sheet, as return -o draws it). The summary\n"
      "always carries the current return's total taxes, deposits, balance due and overpayment\n"
      "(Form 941 lines 12 to 15, Form 944 lines 9 to 12) as return_total, return_deposits,\n"
      "return_balance_due and return_overpayment.\n"
      "With --root, a folder without a CLIENT file (an empty one, say) is no client: it is left out\n"
      "and listed under not_clients in the summary; given by name it is a failed row. A client whose\n"
      "record files are cut short (not a whole number of records) or are no files is a failed row\n"
      "naming them, and nothing is written for it; one whose files cannot be read is a failed row\n"
      "too, its run having stopped at the error as 'qreport run' does.\n"
      "A client that fails is a failed row with its reason; the others go on. Ctrl-C starts no\n"
      "new client, lets the running ones finish and writes the summary of what was done.\n"
      "Exit status: 0 every client done or skipped, 1 a client failed (or the batch could not\n"
      "start), 2 wrong usage, 3 every client ran but the check of some found errors (their\n"
      "returns are wrong as they stand), 130 interrupted.");
  sub->add_option("CLIENT_DIR", options->clients, "the client folders")->type_name("");
  sub->add_option("--root", options->root, "takes every folder in DIR as a client")->type_name("DIR");
  sub->add_option("--out", options->out, "the folder for the outputs and the summary")->type_name("DIR");
  sub->add_option("--rates-dir", options->rates_dir,
                  "the folder of FICA.RAT and prep (default: each client's folder when it holds FICA.RAT, else .)")
      ->type_name("DIR");
  AddFormOption(*sub, options->form);
  sub->add_flag("--allow-zero-rates", options->allow_zero_rates,
                "runs form-path clients even without usable rates (social security and Medicare print as 0)");
  AddWholeNumberOption(*sub, "-j,--jobs", options->jobs, 1, 256, "clients at a time (default: the number of cores)");
  sub->add_flag("--render", options->render, "also draws each report as a PDF");
  sub->add_flag("--skip-done", options->skip_done, "leaves clients whose outputs are newer than their inputs");
  sub->add_flag("--schedule-b", options->schedule_b,
                "also writes Schedule B of each semiweekly depositor, as run --schedule-b does");
  sub->add_flag("--return", options->current_return,
                "also writes each client's current return as JSON and its filing sheet as a PDF");
  sub->callback([options, &exit_status] { exit_status = RunBatchCommand(*options); });
}

}  // namespace qreport::cli
