// DVDISKFREE and SHOWFREESP for a host: read the string handles and hand over to the disk space
// service. Nothing escapes; any failure gives 0 or shows nothing.
#include <string>

#include "diskspace/disk_space.h"
#include "exports/exports.h"
#include "exports/host_string.h"
#include "platform/platform.h"

extern "C" {

QREPORT_EXPORT long long DVDISKFREE(char* drive, char** mode) {
  try {
    std::string drive_text = qreport::HostStringRead(drive);
    std::string mode_text = qreport::HostStringRead(mode ? *mode : nullptr);
    return qreport::DiskBytes(drive_text, mode_text);
  } catch (...) {
    return 0;
  }
}

QREPORT_EXPORT void SHOWFREESP(char** drive) {
  try {
    std::string drive_text = qreport::HostStringRead(drive ? *drive : nullptr);
    if (drive_text.empty()) return;
    auto platform = qreport::MakePlatform(qreport::PlatformOptionsFromEnvironment());
    qreport::ShowFreeSpace(drive_text, *platform);
  } catch (...) {
  }
}

}
