// The hand-off of a finished report to the print utility: the printer picker's reply is read,
// and the command text for the print utility is built from it.
//
// The picker answers with four fields separated by "*": field 1 must not be empty (its content
// is not used), field 2 is the printer or port (one trailing ":" is dropped), field 3 names the
// kind of destination and is passed on as it is (the picker and the utility agree on its
// values), and field 4 "N" asks for the option "/NP" (anything else "/ZM"). The command is
// the report path, the printer, the kind of destination and the option joined by commas, with
// "/FP" appended on the short route: "C:\DATA\report.txt,LPT1,X,/NP".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qreport {

struct PrinterChoice {
  std::string printer;  // field 2 without its trailing ":"
  std::string destination_kind;  // field 3, as the picker wrote it
  std::string option;   // "/NP" or "/ZM"
};

// The printer chosen by a picker reply, or nullopt when nothing is to be printed: an empty
// reply, no "*", no second "*", or an empty first field. With only two "*" field 3 runs to the
// end of the reply, and the option is read from the whole reply.
std::optional<PrinterChoice> ParsePrinterReply(std::string_view reply);

// The print utility's command for `report_path` and the choice; "/FP" is appended on the short
// path.
std::string BuildPrintCommand(std::string_view report_path, const PrinterChoice& choice, bool short_route);

}  // namespace qreport
