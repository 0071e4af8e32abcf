// The saved entries file's text: the four texts of the options dialog that a report carries to
// the next one for the same client, and their bytes (the file's layout is in run/saved_entries.h,
// which loads and saves the file).
#pragma once

#include <string>
#include <string_view>

namespace qreport {

inline constexpr std::string_view kSavedEntriesFileName = "\\save941.info";

struct SavedEntries {
  std::string designee_name, designee_phone, preparer_codes, state_code;
  int lines = 0;  // how many of the four lines the file held (0 to 4)
};

// The texts of a saved entries file's bytes; a file with fewer than four lines fills the texts
// it has and leaves the others empty.
SavedEntries ParseSavedEntries(std::string_view bytes);

// The bytes of a saved entries file for these texts.
std::string SavedEntriesText(const SavedEntries& entries);

}  // namespace qreport
