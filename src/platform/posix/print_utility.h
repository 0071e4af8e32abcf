// Stand-ins for the outside printer picker and print utility on Linux.
//
// The picker's reply names a destination in its second field and the kind of destination in its
// third: "CUPS" for a CUPS destination (the report is submitted to it with lp), anything else
// for the PDF file alone. The interactive picker answers "QREPORT*<destination>*CUPS*<flag>" or
// "QREPORT*PDF*FILE*<flag>", the flag "N" for no preview and "Y" for a preview.
//
// The print utility takes the command "<report path>,<printer>,<kind>,<options>": it renders
// the report to a PDF file beside it ("report.pdf"), submits that file to the destination when
// the kind is "CUPS", and with "/ZM" in the options also opens it with the desktop's viewer when
// there is one. "/NP" prints without the preview; "/FP" (the short path's worksheet alone)
// changes nothing here.
//
// The CUPS programs (lpstat, lp) are run rather than the CUPS library linked: the module then
// loads on a machine without CUPS, says in plain words when lp is missing, and the tests and a
// user's own scripts can stand in for the programs on the PATH.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qreport {

inline constexpr std::string_view kCupsDestination = "CUPS";
inline constexpr std::string_view kPdfFileDestination = "FILE";

struct PrintCommand {
  std::string report_path, printer, destination_kind, options;
  bool ok = false;  // false: the text has fewer than three commas
};

// Splits a print command from the right, so a report path may itself hold commas.
PrintCommand ParsePrintCommand(std::string_view command);

// The destination names of `lpstat -e` output, one a line, in order.
std::vector<std::string> ParseDestinationList(std::string_view lpstat_output);

// The CUPS destinations of this machine (empty when lpstat is missing or fails).
std::vector<std::string> ListCupsDestinations();

// The picker's reply for a destination chosen interactively (an empty `cups_destination` is the
// PDF file).
std::string InteractivePickerReply(std::string_view cups_destination, bool preview);

// The PDF file that belongs to a report: the report's path with the extension ".pdf".
std::string PdfPathFor(std::string_view report_path);

// What the print utility needs from outside: the renderer (absent until one is linked), the
// programs it starts, and where it says what went wrong.
struct PrintServices {
  // Renders printer text to a PDF file; returns false, with a reason, when it could not.
  std::function<bool(const std::string& report, const std::string& pdf, std::string& error)> render_pdf;
  // Runs a program with arguments and waits; returns its exit status (127 when it cannot start).
  std::function<int(const std::vector<std::string>& argv)> run;
  // Starts a program without waiting for it.
  std::function<void(const std::vector<std::string>& argv)> start;
  // Whether a desktop viewer can be opened (a display and xdg-open).
  std::function<bool()> has_viewer;
  // Whether a program can be found on the PATH.
  std::function<bool(const std::string& program)> installed;
  std::function<void(const std::string& line)> note;  // one line for the user
};

// Carries out a print command. Returns "" when it was carried out, otherwise why not, in plain
// words ("lp is not installed (install cups-client)"); what it did is told through
// `services.note`.
std::string RunPrintUtility(std::string_view command, const PrintServices& services);

// The services of this machine: programs started with posix_spawn, the viewer when a display
// and xdg-open are there, notes on standard error, and `render_pdf` (may be empty).
PrintServices SystemPrintServices(
    std::function<bool(const std::string& report, const std::string& pdf, std::string& error)> render_pdf);

}  // namespace qreport
