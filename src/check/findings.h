// What a pre-filing check reports: findings, each with a stable code, a severity and a plain
// sentence that names the figures it is about; how a list of them is shown and what exit status
// it gives. The checks themselves are in check/checks.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/numbers.h"

namespace qreport {

enum class Severity {
  kWarning,  // worth a look before filing
  kError,    // the return is wrong as it stands
};

struct Finding {
  std::string code;  // stable, lower case with dashes ("liability-total"); scripts match on it
  Severity severity = Severity::kWarning;
  std::string message;  // one sentence naming the figures
  bool operator==(const Finding&) const = default;
};

// "error" or "warning".
std::string_view SeverityName(Severity severity);

// The exit statuses of `qreport check`. The finding statuses are 0, 1 and 2 as a preparer's
// scripts expect them; the command's other outcomes take statuses that none of those can be
// mistaken for (64 and 66, as the system's usage and no-input codes have them).
inline constexpr int kCheckClean = 0;        // nothing found
inline constexpr int kCheckWarnings = 1;     // warnings only
inline constexpr int kCheckErrors = 2;       // at least one error
inline constexpr int kCheckUsage = 64;       // wrong usage of the command
inline constexpr int kCheckCannotRead = 66;  // the client folder (or a file given) cannot be read

// The exit status a list of findings gives: kCheckErrors when any is an error, else
// kCheckWarnings when there is any, else kCheckClean.
int CheckExitStatus(const std::vector<Finding>& findings);

// "$1,234.56" (or "-$1,234.56") for cents, as a finding's sentence names an amount.
std::string DollarText(Cents cents);

// One line per finding, "SEVERITY CODE: MESSAGE", errors first, in the order they were found
// within a severity; "no findings" when the list is empty.
std::string FindingsText(const std::vector<Finding>& findings);

}  // namespace qreport
