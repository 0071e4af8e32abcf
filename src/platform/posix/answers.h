// Scripted dialogs: an answers file lists what a user does in a dialog, one event a line, and
// the dialog is played from it without a screen.
//
// Format (bytes; a line ends at LF, a CR just before the LF is dropped; empty lines and lines
// starting with "#" are skipped):
//   ID=TEXT  sets control ID's text to TEXT (everything after the first "=") and notifies; a
//            check box is checked by "1" and unchecked by any other text; a push button is
//            pressed.
//   ID       notifies without a change: a push button is pressed, a check box toggles, a text
//            box gets the focus and loses it (re-storing what it shows).
// Ids of labels, frames or controls the dialog does not have do nothing when played; the qreport
// command refuses such a file before its run (CheckAnswers in platform.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"

namespace qreport {

struct Answer {
  int line = 0;  // where it stands in the file, from 1
  int id = 0;
  bool known_id = false;  // false: the id was not a number, so the event does nothing
  bool has_text = false;  // "ID=TEXT" rather than "ID"
  std::string text;       // at most kTextBoxLimit bytes
  bool text_cut = false;  // the line's text was longer: the rest was dropped
};

// The events of an answers file, in order.
std::vector<Answer> ParseAnswers(std::string_view bytes);

// The whole content of the answers file `path`, or empty when it cannot be read.
std::string ReadAnswersFile(const std::string& path);

class DialogState;

// Applies one event to the open dialog `dialog` as a user's action: the control's text or mark
// changes and the control notifies `handler`. Events for ids the dialog lacks, labels and frames
// do nothing. A front end that receives its user's actions one at a time (the web pages) plays
// each through this, so it acts exactly as an answers file does.
void PlayAnswer(const Answer& answer, DialogState& dialog, DialogHandler& handler);

// Plays `answers` from index `next` on in the dialog of `table` until the handler ends it;
// `next` is left after the last event used. Returns the handler's result, or kDialogClosed
// when the events ran out first (the dialog closes in no button's way).
int PlayAnswers(const DialogTable& table, DialogHandler& handler, const std::vector<Answer>& answers,
                std::size_t& next);

}  // namespace qreport
