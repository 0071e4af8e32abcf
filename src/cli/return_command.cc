#include "cli/return_command.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/command.h"
#include "escp/cairo/filing_sheet.h"
#include "escp/cairo/fonts.h"
#include "escp/cairo/render.h"
#include "filing/return_outputs.h"
#include "json/return_json.h"
#include "platform/platform.h"
#include "run/current_return_figures.h"
#include "run/report_figures.h"
#include "run/run_session.h"
#include "text/masks.h"

namespace qreport::cli {
namespace {

struct ReturnOptions {
  std::string data_dir, answers, rates_dir, sheet;
  int form = 0;
  bool json = false;
  bool csv = false;
  bool allow_zero_rates = false;
};

// Money in the table: grouped dollars and cents, no padding.
std::string TableMoney(Cents cents) {
  std::string text = FormatAmount("#,###,###,###,###.##", CentsValue(cents));
  return text.erase(0, text.find_first_not_of(' '));
}

// Money in CSV: plain dollars and cents.
std::string CsvMoney(Cents cents) { return FormatAmount("0.00", CentsValue(cents)); }

std::string ValueText(const CurrentReturn& filed, const CurrentLine& line, bool csv) {
  const Cents value = filed[line.figure];
  switch (line.kind) {
    case LineKind::kBox: return value != 0 ? "X" : "";
    case LineKind::kCount: return std::to_string(value);
    case LineKind::kMoney: break;
  }
  return csv ? CsvMoney(value) : TableMoney(value);
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// One printed row: line, caption, column 1, column 2.
struct Row {
  std::string line, caption, column1, column2;
};

void PrintRow(const Row& row, bool csv) {
  if (csv) {
    std::cout << CsvField(row.line) << "," << CsvField(row.caption) << "," << row.column1 << "," << row.column2 << "\n";
    return;
  }
  std::string text = row.line;
  text.resize(6, ' ');
  text += row.caption;
  if (text.size() < 74) text.resize(74, ' ');
  std::string column1 = row.column1, column2 = row.column2;
  if (column1.size() < 15) column1.insert(0, 15 - column1.size(), ' ');
  if (column2.size() < 15) column2.insert(0, 15 - column2.size(), ' ');
  std::cout << text << " " << column1 << " " << column2 << "\n";
}

// The rows of the tax lines (a two-column line is one row) and of the schedule line.
void PrintLines(const CurrentReturn& filed, bool csv) {
  auto money = [csv](Cents cents) { return csv ? CsvMoney(cents) : TableMoney(cents); };
  PrintRow({"line", "caption", "column 1", "column 2"}, csv);
  for (const CurrentLine& line : filed.numbering()) {
    if (line.column == 2) continue;
    Row row{std::string(line.number), std::string(line.caption), "", ValueText(filed, line, csv)};
    if (line.column == 1) {
      const CurrentLine tax{line.number, 2, *FindLine(filed.numbering(), line.number, 2), line.caption, line.kind};
      row.column1 = row.column2;
      row.column2 = ValueText(filed, tax, csv);
    }
    PrintRow(row, csv);
  }
  const std::string schedule(filed.schedule_line());
  const bool quarterly = filed.form == FiledForm::k941;
  PrintRow({schedule, std::string("Deposit schedule: ") + DepositScheduleName(filed.schedule), "", ""}, csv);
  for (int month = 0; month < filed.month_count; ++month) {
    const std::string number = quarterly ? schedule : schedule + static_cast<char>('a' + month);
    PrintRow({number, "Tax liability, month " + std::to_string(month + 1), "",
              money(filed.months[static_cast<std::size_t>(month)])},
             csv);
  }
  PrintRow({quarterly ? schedule : schedule + "m", "Total liability (must equal line " + std::string(filed.total_line()) + ")",
            "", money(filed.months_total)},
           csv);
}

// Draws the filing sheet of `filed` into `path`; false, with the reason on standard error, when it
// cannot be drawn or written.
bool WriteSheet(const ReportFigures& figures, const CurrentReturn& filed, const std::string& path) {
  try {
    escp::FontSet fonts;
    for (const auto& line : fonts.Substitutions()) std::cerr << "qreport: warning: font " << line << "\n";
    escp::WriteFilingSheetPdfFile(CurrentReturnSheet(figures, filed), fonts, path);
  } catch (const escp::RenderError& e) {
    std::cerr << "qreport: the filing sheet was not written: " << e.what() << "\n";
    return false;
  }
  return true;
}

// The figures as every command computes them: the answers and rates by the one rule, the form as
// --form chose it; nothing is written.
ReportFigures ComputeFigures(const ReturnOptions& o) {
  RunSetup setup;
  setup.data_dir = o.data_dir;
  setup.rates_dir = o.rates_dir;  // chosen by the one rule (ChooseRatesFolder)
  setup.answers_file = AnswersFileOf(o.data_dir, o.answers);
  setup.form = o.form;
  PlatformOptions options;
  options.answers_file = setup.answers_file;
  options.has_printer_reply = true;
  options.never_interactive = true;
  auto platform = MakePlatform(options);
  return ComputeClientFigures(std::move(setup), *platform);
}

int PrintReturn(const ReturnOptions& o) {
  if (!StartingPointsExist(o.data_dir, o.rates_dir, o.answers)) return kCouldNotStart;
  ReturnOptions chosen = o;
  chosen.rates_dir = ChooseRatesFolder(o.data_dir, o.rates_dir);
  // A return with social security and Medicare of 0 is wrong whatever else it holds: refused as
  // `run` refuses it (the short route, which has no return, is refused below either way).
  if (!RatesUsable(o.data_dir, chosen.rates_dir, o.allow_zero_rates)) return kUsage;
  const ReportFigures figures = ComputeFigures(chosen);
  for (const std::string& error : figures.answers_errors) std::cerr << "qreport: " << error << "\n";
  if (!figures.answers_errors.empty()) return kUsage;
  if (figures.cancelled) {
    std::cerr << "qreport: the answers cancelled the dialog: no return\n";
    return kCancelled;
  }
  const std::optional<CurrentReturn> filed = CurrentReturnOf(figures);
  if (!filed) {
    std::cerr << "qreport: the client's payroll date takes the short route, which has no Form 941 or 944\n";
    return kCouldNotStart;
  }
  if (o.json) {
    std::cout << CurrentReturnJsonText(*filed);
  } else {
    PrintLines(*filed, o.csv);
  }
  if (!o.sheet.empty() && !WriteSheet(figures, *filed, o.sheet)) return kCouldNotStart;
  return kDone;
}

}  // namespace

void AddReturnCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<ReturnOptions>();
  CLI::App* sub = app.add_subcommand("return", "prints the current Form 941 or 944 a client files, line by line");
  sub->footer(
      "Computes the report's figures as 'qreport run' would (the dialog played from --answers, else\n"
      "from DATADIR/answers when there is one, else closed with its first values) without writing\n"
      "anything, then the return in use today from them: Form 941 lines 1 to 16 (Form 944 lines 1\n"
      "to 13), with Additional Medicare Tax on line 5d (4d). The printed Form 941 and 944 of\n"
      "'qreport run' are the revisions the host's module printed; these are the lines to file.\n"
      "--json prints money as integer cents keyed by line number (docs/formats.md); --csv prints\n"
      "one row per line. -o draws the filing sheet: the same lines, the deposit schedule and the\n"
      "designee on US Letter pages to transcribe from, with the current return's check findings as\n"
      "notes at its foot. --form 941|944 chooses the form as it does for lines and check. A missing or\n"
      "empty rates file, or a zero social security or Medicare rate, stops it (status 2) unless\n"
      "--allow-zero-rates is given.");
  sub->add_option("DATADIR", options->data_dir, "the client folder")->required()->type_name("");
  sub->add_option("--answers", options->answers, "plays the dialog from this answers file")->type_name("FILE");
  sub->add_option("--rates-dir", options->rates_dir,
                  "the folder of FICA.RAT and prep (default: DATADIR when it holds FICA.RAT, else .)")
      ->type_name("DIR");
  auto* json = sub->add_flag("--json", options->json, "prints the return as JSON");
  sub->add_flag("--csv", options->csv, "prints the return as CSV rows")->excludes(json);
  AddFormOption(*sub, options->form);
  sub->add_flag("--allow-zero-rates", options->allow_zero_rates,
                "computes the return even without usable rates (social security and Medicare as 0)");
  sub->add_option("-o", options->sheet, "draws the filing sheet into this PDF")->type_name("SHEET.pdf");
  sub->callback([options, &exit_status] { exit_status = PrintReturn(*options); });
}

}  // namespace qreport::cli
