#include "check/findings.h"

#include <cstdlib>

#include "text/masks.h"

namespace qreport {

std::string_view SeverityName(Severity severity) { return severity == Severity::kError ? "error" : "warning"; }

int CheckExitStatus(const std::vector<Finding>& findings) {
  int status = kCheckClean;
  for (const Finding& f : findings) {
    if (f.severity == Severity::kError) return kCheckErrors;
    status = kCheckWarnings;
  }
  return status;
}

std::string DollarText(Cents cents) {
  // The magnitude goes through the mask as dollars of whole cents, so nothing rounds; a zero
  // whole part shows as one "0".
  std::string text = FormatAmount("#,###,###,###,###.##", CentsValue(cents < 0 ? -cents : cents));
  std::size_t first = text.find_first_not_of(' ');
  return (cents < 0 ? "-$" : "$") + text.substr(first == std::string::npos ? 0 : first);
}

std::string FindingsText(const std::vector<Finding>& findings) {
  if (findings.empty()) return "no findings\n";
  std::string text;
  for (Severity severity : {Severity::kError, Severity::kWarning}) {
    for (const Finding& f : findings) {
      if (f.severity != severity) continue;
      text += SeverityName(f.severity);
      text += ' ';
      text += f.code;
      text += ": ";
      text += f.message;
      text += '\n';
    }
  }
  return text;
}

}  // namespace qreport
