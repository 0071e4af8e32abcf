#include "support/client_run.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "cli/demo/demo_client.h"

namespace qreport::wintest {

TempFolder::TempFolder() {
  static int counter = 0;
  std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::filesystem::path candidate =
        base / ("qrwin-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

CurrentFolder::CurrentFolder() {
  old_dir_ = std::filesystem::current_path();
  std::filesystem::current_path(folder_.path());
}

CurrentFolder::~CurrentFolder() {
  std::error_code ec;
  std::filesystem::current_path(old_dir_, ec);
}

ClientFolder::ClientFolder(std::string payroll_date) {
  DemoClient demo = MakeDemoClient();
  demo.folder.client->payroll_date = std::move(payroll_date);
  WriteClientFolder(folder_.path(), demo.folder);
  WriteRatesFile(folder_.path(), demo.rates);
  WriteLetterheadFile(folder_.path(), demo.letterhead);
  old_dir_ = std::filesystem::current_path();
  std::filesystem::current_path(folder_.path());
}

ClientFolder::~ClientFolder() {
  std::error_code ec;
  std::filesystem::current_path(old_dir_, ec);
}

std::string ClientFolder::Read(std::string_view name) const {
  std::ifstream in(file(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ClientFolder::Write(std::string_view name, std::string_view bytes) const {
  std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

RunOutcome RunReport(const HostModule& dll, std::string_view data_dir, std::string_view device_code,
                     std::string_view report_kind, Script script) {
  HostString dir(data_dir), device(device_code), kind(report_kind);
  UiDriver driver(std::move(script));
  RunOutcome outcome;
  outcome.call = dll.QreportProc(dir.slot(), device.slot(), kind.slot());
  outcome.messages = driver.Finish();
  outcome.device_code = device.bytes();
  return outcome;
}

void AnswerMessageBoxesUntilReturn(Screen& screen) {
  for (;;) {
    ScreenEvent next = screen.WaitForNext(kOptionsMarker, kReportDateMarker);
    if (next.kind == ScreenEvent::kCallReturned) return;
    if (next.kind == ScreenEvent::kDialog) screen.Fail("a dialog came when only message boxes were expected");
    screen.AnswerMessageBox(screen.WaitForMessageBox());
  }
}

Script PressInOptionsDialog(int button) {
  return [button](Screen& screen) {
    HWND dialog = screen.WaitForDialog(kOptionsMarker);
    screen.Press(dialog, button);
    screen.WaitUntilClosed(dialog);
    AnswerMessageBoxesUntilReturn(screen);
  };
}

Script PressInReportDateDialog(int button) {
  return [button](Screen& screen) {
    HWND dialog = screen.WaitForDialog(kReportDateMarker);
    screen.Press(dialog, button);
    screen.WaitUntilClosed(dialog);
    AnswerMessageBoxesUntilReturn(screen);
  };
}

}  // namespace qreport::wintest
