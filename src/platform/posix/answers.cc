#include "platform/posix/answers.h"

#include <algorithm>
#include <cstdio>

#include "platform/platform.h"
#include "platform/posix/dialog_state.h"
#include "text/read_to_end.h"

namespace qreport {

std::string ReadAnswersFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return {};
  std::string bytes = ReadToEnd(f);
  std::fclose(f);
  return bytes;
}

namespace {

// An answer's text as a message quotes it: a long one only by its first characters.
std::string Quoted(const std::string& text) {
  constexpr std::size_t kShown = 40;
  return "'" + (text.size() > kShown ? text.substr(0, kShown) + "...' (" + std::to_string(text.size()) + " bytes)"
                                     : text + "'");
}

// A control id: decimal digits with optional blanks (or a stray CR) around them.
bool ParseId(std::string_view text, int& id) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  if (text.empty() || text.size() > 9) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  id = value;
  return true;
}

// A money box's text that an answers file may hold: blank (0), or an amount with an optional
// sign, dollar sign and thousands commas: "-$1,234.56", "1234.5", ".75". The dialog's own
// reading is more lenient (it takes the digits it finds); a file is held to what a person means.
bool IsMoneyText(std::string_view text) {
  std::string kept;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '$' && c != ',') kept += c;
  }
  if (kept.empty()) return true;
  std::size_t at = kept.front() == '-' ? 1 : 0;
  bool digits = false, point = false;
  for (; at < kept.size(); ++at) {
    if (kept[at] >= '0' && kept[at] <= '9') {
      digits = true;
    } else if (kept[at] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

}  // namespace

std::vector<Answer> ParseAnswers(std::string_view bytes) {
  std::vector<Answer> answers;
  int line_number = 0;
  while (!bytes.empty()) {
    ++line_number;
    std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    Answer a;
    a.line = line_number;
    std::size_t eq = line.find('=');
    a.known_id = ParseId(line.substr(0, eq), a.id);
    if (eq != std::string_view::npos) {
      a.has_text = true;
      std::string_view text = line.substr(eq + 1);
      a.text_cut = text.size() > kTextBoxLimit;
      a.text = WithinTextBoxLimit(text);
    }
    answers.push_back(std::move(a));
  }
  return answers;
}

void PlayAnswer(const Answer& a, DialogState& dialog, DialogHandler& handler) {
  const DialogControl* control = a.known_id ? dialog.Control(a.id) : nullptr;
  if (control == nullptr) return;
  switch (control->kind) {
    case ControlKind::kTextBox:
      if (a.has_text) {
        dialog.SetText(a.id, a.text);
        handler.Notify(a.id, dialog);
      } else {
        handler.Notify(a.id, dialog);  // focus in
        if (!dialog.ended()) handler.Notify(a.id, dialog);  // focus out
      }
      break;
    case ControlKind::kCheckBox:
      dialog.SetChecked(a.id, a.has_text ? a.text == "1" : !dialog.IsChecked(a.id));
      handler.Notify(a.id, dialog);
      break;
    case ControlKind::kPushButton:
      handler.Notify(a.id, dialog);
      break;
    case ControlKind::kLabel:
    case ControlKind::kFrame:
      break;
  }
}

int PlayAnswers(const DialogTable& table, DialogHandler& handler, const std::vector<Answer>& answers,
                std::size_t& next) {
  DialogState dialog(table);
  while (next < answers.size() && !dialog.ended()) PlayAnswer(answers[next++], dialog, handler);
  return dialog.ended() ? dialog.result() : kDialogClosed;
}

std::vector<AnswersProblem> CheckAnswers(std::string_view bytes, const DialogTable& table,
                                         const std::vector<int>& money_boxes) {
  std::vector<AnswersProblem> problems;
  auto error = [&](int line, std::string message) { problems.push_back({line, false, std::move(message)}); };
  for (const Answer& a : ParseAnswers(bytes)) {
    if (!a.known_id) {
      error(a.line, "a line is ID or ID=TEXT, with ID a control's number");
      continue;
    }
    const std::string id = std::to_string(a.id);
    const DialogControl* control = table.Find(a.id);
    if (control == nullptr) {
      error(a.line, id + " is not a control of the dialog '" + table.title + "'");
      continue;
    }
    switch (control->kind) {
      case ControlKind::kLabel:
      case ControlKind::kFrame:
        error(a.line, id + " is a label ('" + CaptionWithoutMnemonic(control->text) + "'), which takes no answer");
        break;
      case ControlKind::kCheckBox:
        if (a.has_text && a.text != "0" && a.text != "1") {
          error(a.line, "check box " + id + " takes 0 or 1, not " + Quoted(a.text));
        }
        break;
      case ControlKind::kTextBox: {
        bool money = std::find(money_boxes.begin(), money_boxes.end(), a.id) != money_boxes.end();
        if (money && a.has_text && !IsMoneyText(a.text)) {
          error(a.line, Quoted(a.text) + " in money box " + id + " is not a number (e.g. 1234.56, $1,234.56 or -5)");
        }
        if (a.text_cut) {
          problems.push_back({a.line, true,
                              "box " + id + " holds " + std::to_string(kTextBoxLimit) +
                                  " characters; the rest of the line is dropped"});
        }
        break;
      }
      case ControlKind::kPushButton:
        break;
    }
  }
  return problems;
}

}  // namespace qreport
