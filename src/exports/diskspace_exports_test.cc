// DVDISKFREE and SHOWFREESP as a host calls them: loaded from the shared library, with string
// handles the library made.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/fixture.h"
#include "support/process_state.h"

namespace qreport {
namespace {

using testing::MeasureWhileStill;
using testing::ScopedEnv;
using testing::TempDir;

using AllocFn = char* (*)(const char*, std::uint32_t);
using FreeFn = void (*)(char*);
using DiskFreeFn = long long (*)(char*, char**);
using ShowFreeFn = void (*)(char**);

// Drive D is a temporary folder, Q no drive.
class DiskExports : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.Set("QREPORT_DRIVE_D", tmp_.str());
    env_.Unset("QREPORT_DRIVE_Q");
    library_ = dlopen(QREPORT_SHARED_LIB, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    alloc_ = reinterpret_cast<AllocFn>(dlsym(library_, "QRSTRALLOC"));
    free_ = reinterpret_cast<FreeFn>(dlsym(library_, "QRSTRFREE"));
    disk_free_ = reinterpret_cast<DiskFreeFn>(dlsym(library_, "DVDISKFREE"));
    show_free_ = reinterpret_cast<ShowFreeFn>(dlsym(library_, "SHOWFREESP"));
    ASSERT_TRUE(alloc_ && free_ && disk_free_ && show_free_);
  }
  void TearDown() override {
    if (library_ != nullptr) dlclose(library_);
  }

  // A handle for `bytes`, or null for nullopt.
  char* Handle(const std::optional<std::string>& bytes) {
    return bytes ? alloc_(bytes->data(), static_cast<std::uint32_t>(bytes->size())) : nullptr;
  }

  // What SHOWFREESP writes to standard error for a handle holding `drive`; checks the handle
  // is left as it was.
  std::string ShowFree(const std::optional<std::string>& drive, bool null_slot = false) {
    TempDir out;
    std::fflush(stderr);
    int saved = ::dup(2);
    std::FILE* capture = std::fopen((out / "err").c_str(), "wb");
    ::dup2(::fileno(capture), 2);
    char* handle = Handle(drive);
    show_free_(null_slot ? nullptr : &handle);
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::fclose(capture);
    if (drive) {
      EXPECT_EQ(std::string(handle, drive->size()), *drive);
    }
    free_(handle);
    return testing::ReadFile(out / "err");
  }

  TempDir tmp_;
  ScopedEnv env_;
  void* library_ = nullptr;
  AllocFn alloc_ = nullptr;
  FreeFn free_ = nullptr;
  DiskFreeFn disk_free_ = nullptr;
  ShowFreeFn show_free_ = nullptr;
};

TEST_F(DiskExports, DiskFreeReadsHandlesByTheirLength) {
  enum class Want { kZero, kFree, kTotal };
  struct Case {
    std::optional<std::string> drive;  // nullopt: a null handle
    std::optional<std::string> mode;
    bool null_mode_slot;
    Want want;
    bool current_dir;
  };
  const Case cases[] = {
      {"Q", "F", false, Want::kZero, false},
      {"D:\\DATA", "T", false, Want::kTotal, false},
      {"d", "F", false, Want::kFree, false},
      {"D", std::string("F\0", 2), false, Want::kTotal, false},  // "F" and a NUL is not "F"
      {"D", std::nullopt, false, Want::kTotal, false},
      {"D", "F", true, Want::kTotal, false},
      {std::nullopt, "T", false, Want::kTotal, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Visible(c.drive.value_or("(null)")) + " / " + testing::Visible(c.mode.value_or("(null)")));
    char* drive = Handle(c.drive);
    char* mode = Handle(c.mode);
    long long got = -1;
    if (c.want == Want::kZero) {
      got = disk_free_(drive, c.null_mode_slot ? nullptr : &mode);
      EXPECT_EQ(got, 0);
    } else {
      std::filesystem::path folder = c.current_dir ? std::filesystem::current_path() : tmp_.path();
      auto m = MeasureWhileStill(
          folder, [&] { return static_cast<std::uintmax_t>(got = disk_free_(drive, c.null_mode_slot ? nullptr : &mode)); },
          c.want == Want::kFree ? &std::filesystem::space_info::available : &std::filesystem::space_info::capacity);
      EXPECT_TRUE(m.matched) << "read " << m.got << ", the disk says " << m.want;
    }
    free_(drive);
    free_(mode);
  }
}

TEST_F(DiskExports, ShowFreeWritesOneMessageForADrive) {
  EXPECT_EQ(ShowFree("Q"), "message: Drive Space: Free Space on Q\t             0 bytes\n");
  EXPECT_EQ(ShowFree(""), "");
  EXPECT_EQ(ShowFree(std::nullopt), "");
  EXPECT_EQ(ShowFree("D", /*null_slot=*/true), "");
}

}  // namespace
}  // namespace qreport
