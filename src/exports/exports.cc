#include "exports/exports.h"

#include <string>
#include <string_view>

#include "exports/host_string.h"
#include "platform/platform.h"
#include "run/report_run.h"

extern "C" {

QREPORT_EXPORT void QREPORTPROC(char** data_dir, char** device_code, char** report_kind) {
  try {
    std::string dir = qreport::HostStringRead(data_dir ? *data_dir : nullptr);
    std::string device = qreport::HostStringRead(device_code ? *device_code : nullptr);
    std::string kind = qreport::HostStringRead(report_kind ? *report_kind : nullptr);
    std::string before = device;
    auto platform = qreport::MakePlatform(qreport::PlatformOptionsFromEnvironment());
    qreport::RunReport(dir, device, kind, *platform);
    if (device != before) {
      qreport::HostStringReplace(device_code, device);
    }
  } catch (...) {
  }
}

QREPORT_EXPORT char* QRSTRALLOC(const char* bytes, std::uint32_t length) {
  try {
    return qreport::HostStringAlloc(std::string_view(bytes == nullptr ? "" : bytes, bytes == nullptr ? 0 : length));
  } catch (...) {
    return nullptr;
  }
}

QREPORT_EXPORT void QRSTRFREE(char* handle) { qreport::HostStringFree(handle); }

}
