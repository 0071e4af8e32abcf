// QREPORT.DLL as the host meets it: what it exports and imports, and calls with arguments that a
// host should not pass but might.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <cctype>
#include <string>
#include <vector>

#include "run/dialogs.h"
#include "support/client_run.h"
#include "support/host_module.h"

namespace qreport::wintest {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The names of the DLLs the loaded module imports from, read from its import directory.
std::vector<std::string> ImportedDlls(HMODULE module) {
  auto* base = reinterpret_cast<const unsigned char*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  std::vector<std::string> names;
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
    names.push_back(Upper(reinterpret_cast<const char*>(base + d->Name)));
  }
  return names;
}

TEST(QreportDll, ExportsThePlainNamesOnly) {
  HostModule dll;
  for (const char* name : {"QREPORTPROC", "DVDISKFREE", "SHOWFREESP"}) {
    EXPECT_NE(GetProcAddress(dll.handle(), name), nullptr) << name;
  }
  // Neither the decorated names nor the Linux build's string helpers are exported.
  for (const char* name : {"QREPORTPROC@12", "_QREPORTPROC@12", "DVDISKFREE@8", "SHOWFREESP@4", "QRSTRALLOC",
                           "QRSTRFREE"}) {
    EXPECT_EQ(GetProcAddress(dll.handle(), name), nullptr) << name;
  }
}

// The module is copied beside the host alone: it may import only what every Windows has.
TEST(QreportDll, ImportsOnlySystemLibraries) {
  HostModule dll;
  const std::vector<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "OLEAUT32.DLL", "MSVCRT.DLL"};
  std::vector<std::string> imported = ImportedDlls(dll.handle());
  EXPECT_FALSE(imported.empty());
  for (const std::string& name : imported) {
    EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << "imports " << name;
  }
}

// Null pointers, null strings, empty strings and a folder that does not exist: the call shows the
// short route's dialog (no client file means no payroll year), and returns normally with the
// stack as it was. The current directory is a scratch folder, since an empty folder name makes
// the run look for its files at the root of the current drive.
TEST(QreportProc, ReturnsNormallyFromBadArguments) {
  struct Case {
    const char* name;
    bool null_slots;
    std::optional<std::string> data_dir, device, kind;  // nullopt: a null string
    int button;
    const char* device_after;  // the device code string after the call
  };
  const Case cases[] = {
      {"null pointers", true, "", "", "", kReportDateCancelButton, ""},  // the host's own string is untouched
      {"null strings, cancelled", false, std::nullopt, std::nullopt, std::nullopt, kReportDateCancelButton, "X"},
      {"empty strings, cancelled", false, "", "", "", kReportDateCancelButton, "X"},
      {"a missing folder", false, "C:\\no\\such\\folder", "P", "941", kOkButton, "P"},
      {"a folder name with one odd byte", false, std::string("C:\\\xFF", 4), "", "941", kReportDateCancelButton, "X"},
  };
  HostModule dll;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CurrentFolder scratch;
    HostString dir(c.data_dir), device(c.device), kind(c.kind);
    UiDriver driver(PressInReportDateDialog(c.button));
    CallResult call = c.null_slots ? dll.QreportProc(nullptr, nullptr, nullptr)
                                   : dll.QreportProc(dir.slot(), device.slot(), kind.slot());
    driver.Finish();
    EXPECT_EQ(call.stack_moved, 0);
    EXPECT_EQ(device.bytes(), c.device_after);
  }
}

}  // namespace
}  // namespace qreport::wintest
