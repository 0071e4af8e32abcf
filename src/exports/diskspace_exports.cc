// DVDISKFREE and SHOWFREESP for a host: read the string handles and hand over to the disk space
// service. Nothing escapes; any failure gives 0 or shows nothing.
#include <string>

#include "diskspace/disk_space.h"
#include "exports/exports.h"
#include "platform/platform.h"

extern "C" {

QREPORT_API long long QREPORT_CALL DVDISKFREE(qreport::HostString drive, qreport::HostString* mode) {
  try {
    std::string drive_text = qreport::HostStringRead(drive);
    std::string mode_text = qreport::HostStringReadAt(mode);
    return qreport::DiskBytes(drive_text, mode_text);
  } catch (...) {
    return 0;
  }
}

QREPORT_API void QREPORT_CALL SHOWFREESP(qreport::HostString* drive) {
  try {
    std::string drive_text = qreport::HostStringReadAt(drive);
    if (drive_text.empty()) return;
    auto platform = qreport::MakePlatform(qreport::PlatformOptionsFromEnvironment());
    qreport::ShowFreeSpace(drive_text, *platform);
  } catch (...) {
  }
}

}
