#include "cli/inspect_command.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command.h"
#include "data/errors.h"
#include "data/paths.h"
#include "json/client_document.h"
#include "json/json_stream.h"
#include "text/masks.h"

namespace qreport::cli {
namespace {

struct InspectOptions {
  std::string data_dir;
  std::string rates_dir;
  bool json = false;
};

bool IsMoneyKey(const std::string& key) {
  for (const char* part : {".qtd.", ".ytd.", ".other.", ".plans.", "misc_amount_1", "liability_months."}) {
    if (key.find(part) != std::string::npos) return true;
  }
  return false;
}

// The document as aligned "key value" rows, keys as JsonRows makes them; money in dollars. The
// warnings go to standard error instead.
void Row(const std::string& key, const nlohmann::ordered_json& j, std::ostream& out) {
  if (key == "warnings" || key.rfind("warnings.", 0) == 0) return;
  std::string value;
  if (j.is_string()) {
    value = "\"" + j.get<std::string>() + "\"";
  } else if (j.is_number_integer() && IsMoneyKey(key)) {
    value = FormatAmount("#,###,###,###.##", CentsValue(j.get<Cents>()));
    value.erase(0, value.find_first_not_of(' '));
  } else {
    value = j.dump();
  }
  std::string padded = key;
  if (padded.size() < 36) padded.resize(36, ' ');
  out << padded << " " << value << "\n";
}

// The document is written as the folder is read, one employee at a time.
int Inspect(const InspectOptions& o) {
  if (!StartingPointsExist(o.data_dir, o.rates_dir, "")) return kCouldNotStart;
  // A file of the folder that is a link to a place outside it is not read: what inspect shows is
  // the folder's own data, never the bytes of some other file.
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::canonical(o.data_dir, ec);
  std::vector<std::string> links = ec ? std::vector<std::string>() : LinksLeaving(folder, folder);
  if (!links.empty()) {
    std::cerr << "qreport: " << links.front() << " in " << o.data_dir
              << " is a link that leads out of the client folder; it is not read\n";
    return kCouldNotStart;
  }
  std::unique_ptr<JsonOut> out;
  if (o.json) {
    out = std::make_unique<JsonText>(std::cout);
  } else {
    // The heading comes with the first row, so that a folder that cannot be read prints none.
    out = std::make_unique<JsonRows>([headed = false](const std::string& key, const nlohmann::ordered_json& leaf) mutable {
      if (!headed) std::cout << "money in dollars; every key as in `qreport inspect --json` (docs/formats.md)\n";
      headed = true;
      Row(key, leaf, std::cout);
    });
  }
  Inspection inspection;
  try {
    inspection = WriteClientDocumentJson(o.data_dir, o.rates_dir, *out);
  } catch (const RunError& e) {
    std::cout << std::flush;
    std::cerr << "qreport: cannot read the client folder (error " << e.number() << "): " << e.what() << "\n";
    return kCouldNotStart;
  }
  if (o.json) {
    std::cout << "\n";
  } else {
    for (const std::string& w : inspection.warnings) std::cerr << "warning: " << w << "\n";
  }
  return kDone;
}

}  // namespace

void AddInspectCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<InspectOptions>();
  CLI::App* sub = app.add_subcommand("inspect", "shows everything a report run would read from a client folder");
  sub->footer(
      "Decodes the client file (both records), every employee of the index in index order with its\n"
      "record number, the plans, the liability file, the rates file FICA.RAT and letterhead file\n"
      "prep of the rates folder, the formula file and the saved entries. Warns (standard error, or\n"
      "the \"warnings\" list with --json) of what the run would silently read as zero or skip.\n"
      "Writes nothing, not even the empty files a run would create. A folder with a file that is a\n"
      "link leading out of it is not read (exit 1). --json prints the client\n"
      "document that 'qreport import' reads (docs/formats.md, docs/client.schema.json).");
  sub->add_option("DATADIR", options->data_dir, "the client folder")->required()->type_name("");
  sub->add_option("--rates-dir", options->rates_dir, "the folder of FICA.RAT and prep (default: .)")->type_name("DIR");
  sub->add_flag("--json", options->json, "prints the client document as JSON");
  sub->callback([options, &exit_status] { exit_status = Inspect(*options); });
}

}  // namespace qreport::cli
