// A report run as the host makes it: a client folder written from the demo client's data, which
// is also the current directory (the rates and letterhead files are looked up there), and one
// call of QREPORTPROC while a script plays the user.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/host_module.h"
#include "support/ui_driver.h"

namespace qreport::wintest {

// Control ids the scripts wait for: the options dialog's Done button and the report date
// dialog's CANCEL button, which no other window of the module has.
inline constexpr int kOptionsMarker = 401;
inline constexpr int kReportDateMarker = 113;

// A new folder under the temporary folder, removed with its contents at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// An empty temporary folder made the current directory for the object's life.
class CurrentFolder {
 public:
  CurrentFolder();
  ~CurrentFolder();
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;
  const std::filesystem::path& path() const { return folder_.path(); }

 private:
  TempFolder folder_;
  std::filesystem::path old_dir_;
};

// The demo client's folder, with the given payroll date (a year of 04 or less takes the short
// path), made the current directory for the object's life.
class ClientFolder {
 public:
  explicit ClientFolder(std::string payroll_date = "063026");
  ~ClientFolder();
  ClientFolder(const ClientFolder&) = delete;
  ClientFolder& operator=(const ClientFolder&) = delete;

  // The folder as the host names it: a Windows path without a trailing backslash.
  std::string dir() const { return folder_.path().string(); }
  std::filesystem::path file(std::string_view name) const { return folder_.path() / std::string(name); }
  std::string Read(std::string_view name) const;
  void Write(std::string_view name, std::string_view bytes) const;

 private:
  TempFolder folder_;
  std::filesystem::path old_dir_;
};

struct RunOutcome {
  CallResult call;
  std::string device_code;             // the device code string after the call
  std::vector<std::string> messages;   // the message boxes the script saw
};

// Calls QREPORTPROC(data_dir, device_code, report_kind) while `script` plays the user.
RunOutcome RunReport(const HostModule& dll, std::string_view data_dir, std::string_view device_code,
                     std::string_view report_kind, Script script);

// Scripts for the common cases: wait for the dialog, press one of its buttons that closes it, and
// answer any message box that comes before the call returns.
Script PressInOptionsDialog(int button);
Script PressInReportDateDialog(int button);

// Answers every message box with OK until the call returns.
void AnswerMessageBoxesUntilReturn(Screen& screen);

}  // namespace qreport::wintest
