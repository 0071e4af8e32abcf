// The exports as a host sees them: loaded from the shared library, called with string handles.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "cli/demo/demo_client.h"
#include "data/client_writer.h"
#include "exports/host_string.h"
#include "support/fixture.h"
#include "support/process_state.h"

namespace qreport {
namespace {

using testing::PlainClient;
using testing::ReadFile;
using testing::ScopedEnv;
using testing::TempDir;

using AllocFn = char* (*)(const char*, std::uint32_t);
using FreeFn = void (*)(char*);
using ReportFn = void (*)(char**, char**, char**);

class HostLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = dlopen(QREPORT_SHARED_LIB, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    alloc_ = reinterpret_cast<AllocFn>(dlsym(handle_, "QRSTRALLOC"));
    free_ = reinterpret_cast<FreeFn>(dlsym(handle_, "QRSTRFREE"));
    report_ = reinterpret_cast<ReportFn>(dlsym(handle_, "QREPORTPROC"));
    ASSERT_TRUE(alloc_ && free_ && report_);
    // A host runs in its own folder; the rates file is looked up there.
    old_dir_ = std::filesystem::current_path();
    std::filesystem::current_path(work_.path());
  }
  void TearDown() override {
    std::filesystem::current_path(old_dir_);
    if (handle_ != nullptr) dlclose(handle_);
  }
  char* Str(std::string_view text) { return alloc_(text.data(), static_cast<std::uint32_t>(text.size())); }

  TempDir work_;
  std::filesystem::path old_dir_;
  void* handle_ = nullptr;
  AllocFn alloc_ = nullptr;
  FreeFn free_ = nullptr;
  ReportFn report_ = nullptr;
};

TEST_F(HostLibrary, StringHandlesHaveTheHostLayout) {
  char* s = Str(std::string_view("ab\0c", 4));
  std::uint8_t length[4];
  std::memcpy(length, s - 4, 4);
  EXPECT_EQ(length[0], 4);
  EXPECT_EQ(length[1] | length[2] | length[3], 0);
  EXPECT_EQ(std::memcmp(s, "ab\0c\0", 5), 0);
  EXPECT_EQ(HostStringRead(s), std::string("ab\0c", 4));
  free_(s);
  free_(nullptr);
}

TEST_F(HostLibrary, ShortRouteReplacesTheDeviceCode) {
  TempDir dir;
  ClientFolderSpec spec;
  spec.client = PlainClient("063004");
  WriteClientFolder(dir.path(), spec);

  char* data_dir = Str(dir.str());
  char* device = Str("Q");
  char* kind = Str("941");
  report_(&data_dir, &device, &kind);
  EXPECT_EQ(HostStringRead(device), "P");
  EXPECT_TRUE(std::filesystem::exists(dir / "report.txt"));
  free_(data_dir);
  free_(device);
  free_(kind);
}

TEST_F(HostLibrary, NullAndEmptyHandlesReturnNormally) {
  TempDir dir;
  char* data_dir = Str((dir / "missing").string());
  char* device = nullptr;
  report_(&data_dir, &device, nullptr);
  EXPECT_EQ(HostStringRead(device), "P");  // the short route writes it, even into a null handle
  free_(device);
  report_(&data_dir, nullptr, nullptr);
  free_(data_dir);
}

// QREPORT_SCHEDULE_B=1 adds scheduleb.txt for the demo client, a semiweekly depositor, and
// changes nothing else: the report, the saved entries and the print command are the same bytes
// as a run without it.
TEST_F(HostLibrary, ScheduleBIsOptInAndChangesNothingElse) {
  WriteDemoClient(work_.path());
  ScopedEnv env;
  env.Set("QREPORT_ANSWERS", (work_ / kDemoAnswersFile).string());
  env.Set("QREPORT_PRINTER_REPLY", kDemoPrinterReply);
  env.Set("QREPORT_PRINT_LOG", (work_ / "print.log").string());
  struct Run {
    std::string report, saved, schedule_b;
    bool has_schedule_b;
  };
  auto RunOnce = [&](const char* schedule_b) {
    if (schedule_b == nullptr) {
      env.Unset("QREPORT_SCHEDULE_B");
    } else {
      env.Set("QREPORT_SCHEDULE_B", schedule_b);
    }
    std::filesystem::remove(work_ / "scheduleb.txt");
    char* data_dir = Str(work_.str());
    char* device = Str("P");
    char* kind = Str("941");
    report_(&data_dir, &device, &kind);
    free_(data_dir);
    free_(device);
    free_(kind);
    return Run{ReadFile(work_ / "report.txt"), ReadFile(work_ / "save941.info"), ReadFile(work_ / "scheduleb.txt"),
               std::filesystem::exists(work_ / "scheduleb.txt")};
  };
  Run without = RunOnce(nullptr);
  Run other_value = RunOnce("yes");
  Run with = RunOnce("1");

  EXPECT_FALSE(without.has_schedule_b);
  EXPECT_FALSE(other_value.has_schedule_b);
  ASSERT_TRUE(with.has_schedule_b);
  EXPECT_NE(with.schedule_b.find("Schedule B (Form 941)"), std::string::npos);
  EXPECT_NE(with.schedule_b.find("LAKESIDE HARDWARE & SUPPLY INC"), std::string::npos);
  EXPECT_EQ(with.report.find("Schedule B (Form 941)"), std::string::npos);
  EXPECT_FALSE(without.report.empty());
  EXPECT_TRUE(with.report == without.report);
  EXPECT_TRUE(with.report == other_value.report);
  EXPECT_EQ(with.saved, without.saved);
  std::string log = ReadFile(work_ / "print.log");
  ASSERT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
  std::string first = log.substr(0, log.find('\n'));
  EXPECT_EQ(log, first + "\n" + first + "\n" + first + "\n");
}

}  // namespace
}  // namespace qreport
