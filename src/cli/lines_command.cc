#include "cli/lines_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "cli/command.h"
#include "json/figures_json.h"
#include "json/json_stream.h"
#include "platform/platform.h"
#include "run/report_figures.h"
#include "run/run_session.h"
#include "text/masks.h"

namespace qreport::cli {
namespace {

struct LinesOptions {
  std::string data_dir;
  std::string answers_file;
  std::string rates_dir;
  std::string kind = "941";
  int form = 0;
  bool json = false;
  bool csv = false;
};

// The platform of a run that only looks: dialogs are played from the answers file or closed at
// once, messages go to standard error, nothing is ever printed or asked in a terminal.
class LookingPlatform final : public Platform {
 public:
  explicit LookingPlatform(const std::string& answers_file) {
    if (!answers_file.empty()) {
      PlatformOptions options;
      options.answers_file = answers_file;
      scripted_ = MakePlatform(options);
    }
  }
  void MessageBox(std::string_view caption, std::string_view text) override {
    std::string line = "message: " + std::string(caption) + ": ";
    for (char c : text) line += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    std::cerr << line << "\n";
  }
  int RunDialog(const DialogTable& table, DialogHandler& handler) override {
    return scripted_ ? scripted_->RunDialog(table, handler) : kDialogClosed;
  }
  std::string PickPrinter(std::string_view) override { return ""; }
  std::string Print(std::string_view) override { return "nothing is printed when the figures are only looked at"; }
  void Sleep(int) override {}

 private:
  std::unique_ptr<Platform> scripted_;
};

// The figures as "key,value" rows (or aligned columns for the table), keys as JsonRows makes
// them. In the table money shows in dollars.
bool IsCount(const std::string& key) {
  for (const char* count : {"lines.1", "quarter", "year", "worksheet.totals.employee_count", "worksheet_error"}) {
    if (key == count) return true;
  }
  return false;
}

void Row(const std::string& key, const nlohmann::ordered_json& j, bool table, std::ostream& out) {
  std::string value;
  if (j.is_string()) {
    value = j.get<std::string>();
    if (!table && (value.find_first_of(",\"\r\n") != std::string::npos)) {
      std::string quoted = "\"";
      for (char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
      value = quoted + "\"";
    }
  } else if (j.is_number_integer() && table && !IsCount(key)) {
    value = FormatAmount("#,###,###,###.##", CentsValue(j.get<Cents>()));
    value.erase(0, value.find_first_not_of(' '));
  } else {
    value = j.dump();
  }
  if (table) {
    std::string padded = key;
    if (padded.size() < 44) padded.resize(44, ' ');
    out << padded << " " << value << "\n";
  } else {
    out << key << "," << value << "\n";
  }
}

// The figures are written as they are made; the employees never all at once.
int Lines(const LinesOptions& o) {
  if (!StartingPointsExist(o.data_dir, o.rates_dir, o.answers_file)) return kCouldNotStart;
  RunSetup setup;
  setup.data_dir = o.data_dir;
  setup.rates_dir = ChooseRatesFolder(o.data_dir, o.rates_dir);
  setup.report_kind = o.kind;
  setup.answers_file = AnswersFileOf(o.data_dir, o.answers_file);
  setup.form = o.form;
  LookingPlatform platform(setup.answers_file);
  std::unique_ptr<JsonOut> out;
  if (o.json) {
    out = std::make_unique<JsonText>(std::cout);
  } else {
    // The heading goes out with the first row, so that an answers file with errors prints none.
    const bool table = !o.csv;
    out = std::make_unique<JsonRows>([table, headed = false](const std::string& key, const nlohmann::ordered_json& leaf) mutable {
      if (!headed) std::cout << (table ? "money in dollars; every key as in `qreport lines --json` (docs/formats.md)\n" : "key,value\n");
      headed = true;
      Row(key, leaf, table, std::cout);
    });
  }
  ReportFigures figures;
  try {
    figures = WriteClientFigures(std::move(setup), platform, *out);
  } catch (const std::runtime_error& e) {
    std::cout << std::flush;
    std::cerr << "qreport: " << e.what() << ": the figures are incomplete\n";
    return kCouldNotStart;
  }
  for (const std::string& error : figures.answers_errors) std::cerr << "qreport: " << error << "\n";
  if (!figures.answers_errors.empty()) return kUsage;
  if (o.json) std::cout << "\n";
  if (figures.cancelled) {
    std::cerr << "qreport: the answers cancelled the dialog: no figures\n";
    return kCancelled;
  }
  return kDone;
}

}  // namespace

void AddLinesCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<LinesOptions>();
  CLI::App* sub = app.add_subcommand("lines", "prints every figure of a client's report without writing anything");
  sub->footer(
      "Computes the report as 'qreport run' would, with the same rules: the dialog from the saved\n"
      "entries and the answers FILE (else $QREPORT_ANSWERS, else DATADIR/answers when there is\n"
      "one, else as it shows at first; a file with errors is refused, status 2, as run refuses\n"
      "it), the form as --form sets it, the rates from --rates-dir (else DATADIR when it holds\n"
      "FICA.RAT, else the current folder); the worksheet's lines, totals and\n"
      "recap, the lines of Form 941 or Form 944 with the monthly liabilities, the voucher's fields,\n"
      "the quarter and the year. Nothing is written into DATADIR or the rates folder: a missing file\n"
      "reads as empty. --json prints one object with money as integer cents (docs/formats.md);\n"
      "--csv prints key,value rows with the same keys.");
  sub->add_option("DATADIR", options->data_dir, "the client folder")->required()->type_name("");
  sub->add_option("--answers", options->answers_file, "plays the dialogs from this answers file")->type_name("FILE");
  sub->add_option("--rates-dir", options->rates_dir,
                  "the folder of FICA.RAT and prep (default: DATADIR when it holds FICA.RAT, else .)")
      ->type_name("DIR");
  AddKindOption(*sub, options->kind);
  AddFormOption(*sub, options->form);
  auto* json = sub->add_flag("--json", options->json, "prints the figures as JSON");
  sub->add_flag("--csv", options->csv, "prints the figures as key,value rows")->excludes(json);
  sub->callback([options, &exit_status] { exit_status = Lines(*options); });
}

}  // namespace qreport::cli
