// The one rule for what counts as a temporary file the module left behind, shared by both
// platforms' file code.
#include "platform/temporary_names.h"

#include "platform/files.h"
#include "text/ascii.h"

namespace qreport {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && EqualIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

bool IsLeftoverTemporary(std::string_view name) {
  if (StartsWithNoCase(name, kOldSavedEntriesTemporary)) return true;
  return name.size() > kTemporaryPrefix.size() + kTemporarySuffix.size() && StartsWithNoCase(name, kTemporaryPrefix) &&
         EndsWithNoCase(name, kTemporarySuffix);
}

}  // namespace qreport
