// The saved entries file "\save941.info": four texts of the options dialog carried from one
// report to the next for the same client. Plain single-byte text, exactly four lines, each
// ended by CR LF, in this order:
//   1  DesigneeName  + one blank
//   2  DesigneePhone + one blank
//   3  PreparerCodes + one blank
//   4  StateCode     + two blanks
// Loading drops the one blank that saving put after lines 1 to 3, so a text that is never
// edited keeps its value from report to report, and trims blanks around the state code. A line
// also ends at a lone LF (a lone CR stays in the text), and a last line without an ending is
// still a line.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "data/record_file.h"
#include "data/saved_entries_text.h"

namespace qreport {

class Platform;

// Loads `folder`'s saved entries file, creating it empty when it does not exist. A file that is
// empty, or cannot be created or read, gives no lines. Yields the processor once (through
// `platform`) before reading a file that has content.
SavedEntries LoadSavedEntriesFile(std::string_view folder, Platform& platform,
                                  MissingFile missing = MissingFile::kCreate);

// Replaces `folder`'s saved entries file with these texts: the new content goes to a temporary
// file in the same folder, which is then renamed over the old one, so the file is never left
// empty or half written. The temporary file has a short name, unique to the process, and is on
// disk before the rename. Returns 0, or the error number of what failed, with the old file
// whole (also when this user may not rewrite the file: replacing it through the folder would
// drop entries that could not even be read).
int WriteSavedEntriesFile(std::string_view folder, const SavedEntries& entries);

}  // namespace qreport
