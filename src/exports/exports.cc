#include "exports/exports.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "run/report_run.h"
#ifdef QREPORT_RENDERER
#include "escp/cairo/render.h"
#endif

extern "C" {

QREPORT_API void QREPORT_CALL QREPORTPROC(qreport::HostString* data_dir, qreport::HostString* device_code,
                                             qreport::HostString* report_kind) {
  try {
    std::string dir = qreport::HostStringReadAt(data_dir);
    std::string device = qreport::HostStringReadAt(device_code);
    std::string kind = qreport::HostStringReadAt(report_kind);
    std::string before = device;
    qreport::PlatformOptions options = qreport::PlatformOptionsFromEnvironment();
#ifdef QREPORT_RENDERER
    options.render_pdf = &qreport::escp::RenderReportForPrinting;
#endif
    auto platform = qreport::MakePlatform(options);
    // A host opts in to Schedule B for its semiweekly depositors; without it nothing changes.
    qreport::RunExtras extras;
    const char* schedule_b = std::getenv("QREPORT_SCHEDULE_B");
    extras.schedule_b = schedule_b != nullptr && std::string_view(schedule_b) == "1";
    qreport::RunReport(dir, device, kind, *platform, {}, extras);
    if (device != before) {
      qreport::HostStringReplace(device_code, device);
    }
  } catch (...) {
  }
}

#ifndef _WIN32
QREPORT_API char* QRSTRALLOC(const char* bytes, std::uint32_t length) {
  try {
    return qreport::HostStringAlloc(std::string_view(bytes == nullptr ? "" : bytes, bytes == nullptr ? 0 : length));
  } catch (...) {
    return nullptr;
  }
}

QREPORT_API void QRSTRFREE(char* handle) { qreport::HostStringFree(handle); }
#endif

}
