// The stages of the report run that talk to the user: saved entries, the dialogs and the hand-off
// to the print utility. Not built yet: each does nothing, and the run calls each in its place.
#include "run/stages.h"

namespace qreport {

void LoadSavedEntries(RunContext&) {}
void SaveEntries(RunContext&) {}
void ShowOptionsDialog(RunContext&) {}
void ShowShortDialog(RunContext&, std::string_view) {}
void HandOffToPrinter(RunContext&, bool) {}

}  // namespace qreport
