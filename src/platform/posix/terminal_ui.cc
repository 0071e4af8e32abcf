#include "platform/posix/terminal_ui.h"

#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>

#include "platform/posix/print_utility.h"
#include "platform/posix/terminal_box.h"
#include "platform/posix/terminal_curses.h"
#include "platform/posix/terminal_dialog.h"
#include "platform/posix/terminal_draw.h"

namespace qreport {
namespace {

// Lines of a message: CR LF, a lone LF or a lone CR each start a new line.
std::vector<std::string> MessageLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

}  // namespace

TerminalUi::~TerminalUi() {
  while (depth_ > 0) Leave();
}

bool TerminalUi::Available() {
  if (::isatty(STDIN_FILENO) == 0 || ::isatty(STDOUT_FILENO) == 0) return false;
  const char* term = std::getenv("TERM");
  return term != nullptr && *term != '\0' && std::string_view(term) != "dumb";
}

bool TerminalUi::Enter() {
  if (depth_ > 0) {
    ++depth_;
    return true;
  }
  if (const char* ctype = std::setlocale(LC_CTYPE, nullptr)) saved_ctype_ = ctype;
  std::setlocale(LC_CTYPE, "");
  screen_ = ::newterm(nullptr, stdout, stdin);
  if (screen_ == nullptr) {
    std::setlocale(LC_CTYPE, saved_ctype_.c_str());
    return false;
  }
  ::set_term(screen_);
  ::cbreak();
  ::noecho();
  ::nonl();
  ::keypad(stdscr, TRUE);
  ::set_escdelay(25);
  depth_ = 1;
  return true;
}

void TerminalUi::Leave() {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  ::curs_set(1);
  ::erase();
  ::refresh();
  ::endwin();
  ::delscreen(screen_);
  screen_ = nullptr;
  std::setlocale(LC_CTYPE, saved_ctype_.c_str());
}

int TerminalUi::RunDialog(const DialogTable& table, DialogHandler& handler) {
  if (!Enter()) return kDialogClosed;
  int result = RunTerminalDialog(table, handler);
  Leave();
  return result;
}

void TerminalUi::MessageBox(std::string_view caption, std::string_view text) {
  if (!Enter()) return;
  const std::vector<std::string> lines = MessageLines(text);
  int longest = static_cast<int>(caption.size());
  for (const std::string& line : lines) longest = std::max(longest, static_cast<int>(line.size()));
  CentredBoxLoop loop;
  loop.title = caption;
  loop.place = [&](int screen_rows, int screen_cols) {
    return CentredBox(static_cast<int>(lines.size()) + 4, std::max(longest + 4, 12), 5, 12, screen_rows, screen_cols);
  };
  loop.draw_inside = [&](const BoxArea& box) {
    for (int i = 0; i < static_cast<int>(lines.size()) && i < box.rows - 4; ++i) {
      PutText(box.top + 1 + i, box.left + 2, box.cols - 4, lines[static_cast<std::size_t>(i)], A_NORMAL);
    }
    PutText(box.top + box.rows - 2, box.left + (box.cols - 6) / 2, 6, "[ OK ]", A_REVERSE | A_BOLD);
  };
  loop.on_key = [](const Key& key) {
    switch (key.name) {
      case KeyName::kEnter: return true;
      case KeyName::kEscape:
        KeyAfterEscape();  // Alt+O arrives as Escape, O
        return true;
      default: return key.IsCharacter(' ') || key.IsCharacter('o') || key.IsCharacter('O');
    }
  };
  RunCentredBox(loop);
  Leave();
}

std::string TerminalUi::PickPrinter(std::string_view report_path, const std::vector<std::string>& destinations) {
  if (!Enter()) return "";
  std::vector<std::string> items = {"PDF file (" + PdfPathFor(report_path) + ")"};
  for (const std::string& d : destinations) items.push_back(d);
  const std::string hint = "Up/Down choose, Space preview, Enter print, Esc none";
  int width = static_cast<int>(hint.size()) + 4;
  for (const std::string& item : items) width = std::max(width, static_cast<int>(item.size()) + 8);
  // Without CUPS destinations the list says so under the PDF file, on a line of its own.
  const int listed = static_cast<int>(items.size()) + (destinations.empty() ? 1 : 0);
  std::size_t chosen = 0;
  bool preview = true;
  std::string reply;

  CentredBoxLoop loop;
  loop.title = "Print report";
  loop.clears_screen = true;
  loop.place = [&](int screen_rows, int screen_cols) {
    return CentredBox(listed + 8, width, 8, 10, screen_rows, screen_cols);
  };
  loop.draw_inside = [&](const BoxArea& box) {
    PutText(box.top + 1, box.left + 2, box.cols - 4, "Print to:", A_NORMAL);
    for (std::size_t i = 0; i < items.size() && static_cast<int>(i) < box.rows - 7; ++i) {
      PutText(box.top + 2 + static_cast<int>(i), box.left + 4, box.cols - 6, items[i],
              i == chosen ? A_REVERSE : A_NORMAL, box.cols - 6);
    }
    if (destinations.empty() && box.rows - 7 > 1) {
      PutText(box.top + 3, box.left + 4, box.cols - 6, "no CUPS printers found", A_DIM);
    }
    int below = box.top + box.rows - 4;
    PutText(below, box.left + 2, box.cols - 4, std::string(preview ? "[x]" : "[ ]") + " Preview (open the PDF)",
            A_NORMAL);
    PutText(below + 1, box.left + 2, box.cols - 4, hint, A_DIM);
  };
  loop.on_key = [&](const Key& key) {
    switch (key.name) {
      case KeyName::kUp:
        if (chosen > 0) --chosen;
        return false;
      case KeyName::kDown:
        if (chosen + 1 < items.size()) ++chosen;
        return false;
      case KeyName::kTab:
        chosen = (chosen + 1) % items.size();
        return false;
      case KeyName::kEnter:
        reply = InteractivePickerReply(chosen == 0 ? "" : destinations[chosen - 1], preview);
        return true;
      case KeyName::kEscape:
        // Escape alone prints nothing; an Alt combination means nothing here.
        return !KeyAfterEscape();
      default:
        if (key.IsCharacter(' ')) preview = !preview;
        return false;
    }
  };
  RunCentredBox(loop);
  Leave();
  return reply;
}

}  // namespace qreport
