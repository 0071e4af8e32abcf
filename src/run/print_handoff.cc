#include "run/print_handoff.h"

namespace qreport {

std::optional<PrinterChoice> ParsePrinterReply(std::string_view reply) {
  if (reply.empty()) return std::nullopt;
  constexpr auto npos = std::string_view::npos;
  std::size_t p1 = reply.find('*');
  if (p1 == npos || p1 == 0) return std::nullopt;  // no "*", or an empty first field
  std::size_t p2 = reply.find('*', p1 + 1);
  if (p2 == npos) return std::nullopt;
  std::size_t p3 = reply.find('*', p2 + 1);

  PrinterChoice choice;
  std::string_view printer = reply.substr(p1 + 1, p2 - p1 - 1);
  if (!printer.empty() && printer.back() == ':') printer.remove_suffix(1);
  choice.printer = std::string(printer);
  choice.destination_kind = std::string(p3 == npos ? reply.substr(p2 + 1) : reply.substr(p2 + 1, p3 - p2 - 1));
  std::string_view flag = p3 == npos ? reply : reply.substr(p3 + 1);
  choice.option = flag == "N" ? "/NP" : "/ZM";
  return choice;
}

std::string BuildPrintCommand(std::string_view report_path, const PrinterChoice& choice, bool short_route) {
  std::string command(report_path);
  command += ',';
  command += choice.printer;
  command += ',';
  command += choice.destination_kind;
  command += ',';
  command += choice.option;
  if (short_route) command += "/FP";
  return command;
}

}  // namespace qreport
