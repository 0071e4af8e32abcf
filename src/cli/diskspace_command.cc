#include "cli/diskspace_command.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <string>

#include "cli/command.h"
#include "diskspace/disk_space.h"
#include "platform/platform.h"
#include "text/ascii.h"

namespace qreport::cli {
namespace {

struct DiskFreeOptions {
  std::string drive;
  std::string mode = "F";
};

struct ShowFreeOptions {
  std::string drive;
};

// A drive letter that stands for no folder reads as 0 bytes, as a host is told; the command's
// user is also told how to give it one.
void WarnOfUnmappedDrive(const std::string& drive) {
  if (drive.empty() || DriveFolderFor(drive)) return;
  char letter = UpperAscii(drive[0]);
  std::cerr << "warning: drive " << letter << " stands for no folder here, so it counts 0 bytes; set QREPORT_DRIVE_"
            << letter << " to the folder it stands for\n";
}

constexpr const char* kDriveHelp =
    "DRIVE is a drive letter (QREPORT_DRIVE_<LETTER> names its folder; C is / unless set); any\n"
    "other text measures the current directory. A letter that stands for no folder counts 0\n"
    "bytes, with a warning.";

}  // namespace

void AddDiskFreeCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<DiskFreeOptions>();
  CLI::App* sub = app.add_subcommand("diskfree", "prints the bytes free (mode F) or in all (any other mode) on DRIVE");
  sub->footer(kDriveHelp);
  sub->add_option("DRIVE", options->drive, "the drive (default: the current directory's)")->type_name("");
  sub->add_option("--mode", options->mode, "F for the bytes free (the default), anything else for the total")
      ->type_name("F|T");
  sub->callback([options, &exit_status] {
    WarnOfUnmappedDrive(options->drive);
    std::cout << DiskBytes(options->drive, options->mode) << std::endl;
    exit_status = kDone;
  });
}

void AddShowFreeCommand(CLI::App& app, int& exit_status) {
  auto options = std::make_shared<ShowFreeOptions>();
  CLI::App* sub = app.add_subcommand("showfree", "shows the free and total bytes of DRIVE as a message");
  sub->footer(kDriveHelp);
  sub->add_option("DRIVE", options->drive, "the drive")->required()->type_name("");
  sub->callback([options, &exit_status] {
    PlatformOptions platform_options = PlatformOptionsFromEnvironment();
    platform_options.command_line = true;
    auto platform = MakePlatform(platform_options);
    WarnOfUnmappedDrive(options->drive);
    ShowFreeSpace(options->drive, *platform);
    exit_status = kDone;
  });
}

}  // namespace qreport::cli
