// Stand-ins for the outside printer picker and print utility on Linux.
//
// The picker's reply names a destination in its second field and the kind of destination in its
// third: "CUPS" for a CUPS destination (the report is submitted to it), anything else
// for the PDF file alone. The interactive picker answers "QREPORT*<destination>*CUPS*<flag>" or
// "QREPORT*PDF*FILE*<flag>", the flag "N" for no preview and "Y" for a preview.
//
// The print utility takes the command "<report path>,<printer>,<kind>,<options>": it renders
// the report to a PDF file beside it ("report.pdf"), submits that file to the destination when
// the kind is "CUPS", and with "/ZM" in the options also opens it with the desktop's viewer when
// there is one. "/NP" prints without the preview; "/FP" (the short route's worksheet alone)
// changes nothing here.
//
// The destinations and the submission go through the CUPS library, which reaches the server
// named by CUPS_SERVER (or the client configuration) the way every CUPS client does: a test
// points it at a print server of its own, and a user at another server. The module needs the
// library to load; it needs no server: without one the picker lists no printer and a print says
// why it failed in the library's own words.
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

// The CUPS destinations of this machine in the server's order, an instance as "NAME/INSTANCE"
// (empty when there is no server or it has none).
std::vector<std::string> ListCupsDestinations();

// The picker's reply for a destination chosen interactively (an empty `cups_destination` is the
// PDF file).
std::string InteractivePickerReply(std::string_view cups_destination, bool preview);

// The PDF file that belongs to a report: the report's path with the extension ".pdf".
std::string PdfPathFor(std::string_view report_path);

// Submits a PDF file to a CUPS destination ("NAME" or "NAME/INSTANCE", the instance's saved
// options applied), the job titled with the file's name. Returns "" when the server took the
// job, otherwise the library's reason.
std::string SubmitToCups(const std::string& destination, const std::string& pdf);

// What the print utility needs from outside: the renderer (absent until one is linked), the
// print server, the programs it starts, and where it says what went wrong.
struct PrintServices {
  // Renders printer text to a PDF file; returns false, with a reason, when it could not.
  std::function<bool(const std::string& report, const std::string& pdf, std::string& error)> render_pdf;
  // The destinations the picker offers, in the order it shows them.
  std::function<std::vector<std::string>()> list_destinations;
  // Hands a PDF file to a destination; returns "" when it was taken, otherwise why not.
  std::function<std::string(const std::string& destination, const std::string& pdf)> submit;
  // Starts a program without waiting for it.
  std::function<void(const std::vector<std::string>& argv)> start;
  // Whether a desktop viewer can be opened (a display and xdg-open).
  std::function<bool()> has_viewer;
  std::function<void(const std::string& line)> note;  // one line for the user
};

// Carries out a print command. Returns "" when it was carried out, otherwise why not, in plain
// words ("CUPS could not print to office: ..."); what it did is told through `services.note`.
std::string RunPrintUtility(std::string_view command, const PrintServices& services);

// The services of this machine: the CUPS library for the destinations and the submission,
// programs started with posix_spawn, the viewer when a display and xdg-open are there, notes on
// standard error, and `render_pdf` (may be empty).
PrintServices SystemPrintServices(
    std::function<bool(const std::string& report, const std::string& pdf, std::string& error)> render_pdf);

}  // namespace qreport
