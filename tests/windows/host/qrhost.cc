// A host program for QREPORT.DLL, with a user made of an answers file. It loads the module,
// makes its strings and calls it as the payroll program does, while a second thread works the
// module's dialogs from the same answers file the Linux build reads, and answers every message
// box with OK. It writes what the Linux qreport command writes, so the two can be compared:
// the message boxes on standard error ("message: CAPTION: TEXT") and "device code: X" on standard
// output.
//
//   qrhost run DATADIR [--kind 941] [--device P] [--answers FILE]
//   qrhost demo DIR [--payroll-date MMDDYY] [--liability FILE]
//                                                writes the demo client; FILE's lines replace its
//                                                liability records, one record a line, in order
//   qrhost show DATADIR READY GO                 shows the run's dialog until GO exists, after
//                                                writing the dialog's screen rectangle to READY
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/demo/demo_client.h"
#include "platform/posix/answers.h"
#include "support/client_run.h"

namespace {

using qreport::wintest::Screen;
using qreport::wintest::ScreenEvent;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// Plays the answers from `next` on in `dialog` until a press closes it.
void PlayInDialog(Screen& screen, HWND dialog, const std::vector<qreport::Answer>& answers, std::size_t& next) {
  while (next < answers.size()) {
    const qreport::Answer& a = answers[next++];
    HWND control = a.known_id ? GetDlgItem(dialog, a.id) : nullptr;
    if (control == nullptr) continue;
    std::string kind = ClassOf(control);
    LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    if (kind == "Edit") {
      if (a.has_text) screen.Type(dialog, a.id, a.text);
      else screen.FocusInAndOut(dialog, a.id);
    } else if (kind == "Button" && type == BS_AUTOCHECKBOX) {
      bool wanted = a.has_text ? a.text == "1" : !screen.IsChecked(dialog, a.id);
      if (screen.IsChecked(dialog, a.id) != wanted) screen.Click(dialog, a.id);
      else screen.NotifyClicked(dialog, a.id);  // "1" on a checked box: notified, not changed
    } else if (kind == "Button" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
      screen.Press(dialog, a.id);
      // A press either shows a message box over the dialog, which stays, or ends the dialog.
      std::optional<qreport::wintest::MessageBoxSeen> box = screen.WaitForMessageBoxOrClose(dialog);
      if (!box) return;
      screen.AnswerMessageBox(*box);
    }
  }
  screen.Fail("the answers ran out with the dialog open");
}

int Run(const std::vector<std::string>& args) {
  std::string dir, kind = "941", device = "P", answers_file;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--kind" && i + 1 < args.size()) kind = args[++i];
    else if (args[i] == "--device" && i + 1 < args.size()) device = args[++i];
    else if (args[i] == "--answers" && i + 1 < args.size()) answers_file = args[++i];
    else dir = args[i];
  }
  std::vector<qreport::Answer> answers = qreport::ParseAnswers(ReadAll(answers_file));
  qreport::wintest::HostModule dll;
  auto outcome = qreport::wintest::RunReport(dll, dir, device, kind, [&](Screen& screen) {
    std::size_t next = 0;
    for (;;) {
      ScreenEvent event = screen.WaitForNext(qreport::wintest::kOptionsMarker, qreport::wintest::kReportDateMarker);
      if (event.kind == ScreenEvent::kCallReturned) return;
      if (event.kind == ScreenEvent::kMessageBox) screen.AnswerMessageBox(screen.WaitForMessageBox());
      else PlayInDialog(screen, event.window, answers, next);
    }
  });
  for (const std::string& line : outcome.messages) std::cerr << line << "\n";
  if (outcome.call.stack_moved != 0) {
    std::cerr << "qrhost: the stack moved by " << outcome.call.stack_moved << " bytes across QREPORTPROC\n";
    return 1;
  }
  std::cout << "device code: " << outcome.device_code << std::endl;
  return 0;
}

int Demo(const std::vector<std::string>& args) {
  if (args.empty()) return 2;
  qreport::DemoClient demo = qreport::MakeDemoClient();
  for (std::size_t i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == "--payroll-date") {
      demo.folder.client->payroll_date = args[i + 1];
    } else if (args[i] == "--liability") {
      std::ifstream in(args[i + 1]);
      if (!in) throw std::runtime_error("cannot read " + args[i + 1]);
      std::vector<std::string> records;
      for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        records.push_back(line);
      }
      demo.folder.liability = records;
    } else {
      return 2;
    }
  }
  std::filesystem::path folder = args[0];
  qreport::WriteClientFolder(folder, demo.folder);
  qreport::WriteRatesFile(folder, demo.rates);
  qreport::WriteLetterheadFile(folder, demo.letterhead);
  return 0;
}

int Show(const std::vector<std::string>& args) {
  if (args.size() != 3) return 2;
  const std::string ready = args[1], go = args[2];
  qreport::wintest::HostModule dll;
  auto outcome = qreport::wintest::RunReport(dll, args[0], "P", "941", [&](Screen& screen) {
    ScreenEvent event = screen.WaitForNext(qreport::wintest::kOptionsMarker, qreport::wintest::kReportDateMarker);
    if (event.kind != ScreenEvent::kDialog) screen.Fail("no dialog to show");
    RECT r{};
    GetWindowRect(event.window, &r);
    if (std::FILE* f = std::fopen(ready.c_str(), "wb")) {
      std::fprintf(f, "%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
      std::fclose(f);
    }
    while (!std::filesystem::exists(go)) Sleep(50);
    bool options = GetDlgItem(event.window, qreport::wintest::kOptionsMarker) != nullptr;
    screen.Press(event.window, options ? 402 : 113);  // Cancel or CANCEL
    screen.WaitUntilClosed(event.window);
  });
  return outcome.call.stack_moved == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return 2;
  std::string command = args.front();
  args.erase(args.begin());
  try {
    if (command == "run") return Run(args);
    if (command == "demo") return Demo(args);
    if (command == "show") return Show(args);
  } catch (const std::exception& e) {
    std::cerr << "qrhost: " << e.what() << "\n";
    return 1;
  }
  std::cerr << "qrhost: unknown command " << command << "\n";
  return 2;
}
