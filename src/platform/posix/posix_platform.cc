// The Linux port: message boxes and dialogs answered from a script or shown in a terminal, and
// stand-ins for the printer picker and print utility.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace qreport {
namespace {

// A message box line as the scripted format writes it: CR LF inside the text as \r\n.
std::string ScriptedMessage(std::string_view caption, std::string_view text) {
  std::string line = "message: ";
  line += caption;
  line += ": ";
  for (char c : text) {
    if (c == '\r') line += "\\r";
    else if (c == '\n') line += "\\n";
    else line += c;
  }
  line += '\n';
  return line;
}

class PosixPlatform final : public Platform {
 public:
  explicit PosixPlatform(PlatformOptions options) : options_(std::move(options)) {}

  void MessageBox(std::string_view caption, std::string_view text) override {
    std::string line = ScriptedMessage(caption, text);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  }

  std::string PickPrinter(std::string_view) override {
    return options_.has_printer_reply ? options_.printer_reply : std::string();
  }

  void Print(std::string_view command) override {
    if (const char* log = std::getenv("QREPORT_PRINT_LOG"); log != nullptr && *log != '\0') {
      if (std::FILE* f = std::fopen(log, "ab")) {
        std::fwrite(command.data(), 1, command.size(), f);
        std::fputc('\n', f);
        std::fclose(f);
      }
    }
    if (options_.command_line) {
      std::string line = "print command: " + std::string(command) + "\n";
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fflush(stdout);
    }
  }

  void Sleep(int milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

 private:
  PlatformOptions options_;
};

}  // namespace

PlatformOptions PlatformOptionsFromEnvironment() {
  PlatformOptions options;
  if (const char* answers = std::getenv("QREPORT_ANSWERS")) options.answers_file = answers;
  if (const char* reply = std::getenv("QREPORT_PRINTER_REPLY")) {
    options.printer_reply = reply;
    options.has_printer_reply = true;
  }
  return options;
}

std::unique_ptr<Platform> MakePlatform(const PlatformOptions& options) {
  return std::make_unique<PosixPlatform>(options);
}

}  // namespace qreport
