// A platform for tests: records message boxes and print commands, answers the printer picker
// with a set reply, and never waits.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace qreport::testing {

class RecordingPlatform final : public Platform {
 public:
  void MessageBox(std::string_view caption, std::string_view text) override {
    messages.push_back(std::string(caption) + ": " + std::string(text));
  }
  std::string PickPrinter(std::string_view report_path) override {
    picked_for.push_back(std::string(report_path));
    return printer_reply;
  }
  void Print(std::string_view command) override { commands.push_back(std::string(command)); }
  void Sleep(int milliseconds) override { slept_ms += milliseconds; }

  std::string printer_reply;
  std::vector<std::string> messages, picked_for, commands;
  int slept_ms = 0;
};

}  // namespace qreport::testing
