#include "data/saved_entries_text.h"

#include "platform/dialog.h"
#include "text/ascii.h"

namespace qreport {
namespace {

// The saved text of lines 1 to 3 without the blank that saving appended.
std::string WithoutSavedBlank(std::string_view line) {
  if (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  return std::string(line);
}

}  // namespace

SavedEntries ParseSavedEntries(std::string_view bytes) {
  SavedEntries e;
  std::string* texts[] = {&e.designee_name, &e.designee_phone, &e.preparer_codes, &e.state_code};
  while (!bytes.empty() && e.lines < 4) {
    std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    *texts[e.lines] = WithinTextBoxLimit(e.lines < 3 ? WithoutSavedBlank(line) : Trim(line));
    ++e.lines;
  }
  return e;
}

std::string SavedEntriesText(const SavedEntries& entries) {
  return entries.designee_name + " \r\n" + entries.designee_phone + " \r\n" + entries.preparer_codes + " \r\n" + entries.state_code + "  \r\n";
}

}  // namespace qreport
