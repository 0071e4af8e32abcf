// The exports as a host sees them: loaded from the shared library, called with string handles.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "data/client_writer.h"
#include "exports/host_string.h"
#include "support/fixture.h"

namespace qreport {
namespace {

using testing::PlainClient;
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

TEST_F(HostLibrary, ShortPathReplacesTheDeviceCode) {
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
  EXPECT_EQ(HostStringRead(device), "P");  // the short path writes it, even into a null handle
  free_(device);
  report_(&data_dir, nullptr, nullptr);
  free_(data_dir);
}

}  // namespace
}  // namespace qreport
