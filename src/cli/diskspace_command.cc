#include "cli/diskspace_command.h"

#include <iostream>
#include <string_view>

#include "diskspace/disk_space.h"
#include "platform/platform.h"

namespace qreport {
namespace {

// Anything that starts with "-" and is longer than that is an option, not a drive text.
bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

}  // namespace

int DiskFreeCommand(const std::vector<std::string>& args, UsageReporter usage) {
  constexpr std::string_view kMode = "--mode";
  std::string drive;
  std::string mode = "F";
  bool have_drive = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == kMode) {
      if (i + 1 >= args.size()) return usage("--mode needs a value");
      mode = args[++i];
    } else if (arg.starts_with(std::string(kMode) + "=")) {
      mode = arg.substr(kMode.size() + 1);
    } else if (LooksLikeOption(arg)) {
      return usage("unknown option " + arg);
    } else if (!have_drive) {
      drive = arg;
      have_drive = true;
    } else {
      return usage("diskfree takes one DRIVE at most");
    }
  }
  std::cout << DiskBytes(drive, mode) << std::endl;
  return 0;
}

int ShowFreeCommand(const std::vector<std::string>& args, UsageReporter usage) {
  if (args.size() != 1) return usage("showfree needs one DRIVE");
  if (LooksLikeOption(args[0])) return usage("unknown option " + args[0]);
  PlatformOptions options = PlatformOptionsFromEnvironment();
  options.command_line = true;
  auto platform = MakePlatform(options);
  ShowFreeSpace(args[0], *platform);
  return 0;
}

}  // namespace qreport
