// DVDISKFREE and SHOWFREESP as the host calls them: by value and by reference, with its own
// strings, and with nothing at all where a host might pass nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "support/client_run.h"

namespace qreport::wintest {
namespace {

struct Space {
  std::uint64_t free_to_caller = 0, total = 0;
};

Space Measure(const std::string& root) {
  ULARGE_INTEGER to_caller{}, total{}, total_free{};
  GetDiskFreeSpaceExA(root.c_str(), &to_caller, &total, &total_free);
  return {to_caller.QuadPart, total.QuadPart};
}

std::string CurrentRoot() {
  char path[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, path);
  return std::string(path, 3);
}

// Free space moves while other programs write; a measurement taken right after the call is
// within this much of the call's.
constexpr std::int64_t kFreeSpaceSlack = 256ll << 20;

TEST(DvDiskFree, MeasuresTheDriveItsTextNames) {
  struct Case {
    std::optional<std::string> drive;  // nullopt: a null string
    std::optional<std::string> mode;   // nullopt: a null string
    bool null_mode_slot;
    const char* root;                  // "": the current directory's drive; "-": no such drive
    bool free;
  };
  const Case cases[] = {
      {"C", "F", false, "C:\\", true},
      {"c", "T", false, "C:\\", false},
      {"C", "f", false, "C:\\", false},  // only "F" asks for the free bytes
      {"C:\\DATA", "F", false, "C:\\", true},
      {"Z", "X", false, "Z:\\", false},
      {"", "F", false, "", true},
      {"7", "F", false, "", true},
      {"\\\\server\\share", "T", false, "", false},
      {std::nullopt, "F", false, "", true},
      {"C", std::nullopt, false, "C:\\", false},
      {"C", "F", true, "C:\\", false},
      {"Q", "F", false, "-", true},
      {"Q", "T", false, "-", false},
  };
  HostModule dll;
  for (const Case& c : cases) {
    SCOPED_TRACE("drive " + c.drive.value_or("(null)") + " mode " + c.mode.value_or("(null)"));
    HostString drive(c.drive), mode(c.mode);
    CallResult result = dll.DvDiskFree(drive.get(), c.null_mode_slot ? nullptr : mode.slot());
    EXPECT_EQ(result.stack_moved, 0);
    std::string root = *c.root ? c.root : CurrentRoot();
    if (root == "-") {
      EXPECT_EQ(result.value, 0);
      continue;
    }
    Space space = Measure(root);
    if (c.free) {
      EXPECT_GT(result.value, 0);
      EXPECT_NEAR(static_cast<double>(result.value), static_cast<double>(space.free_to_caller), kFreeSpaceSlack);
    } else {
      EXPECT_EQ(result.value, static_cast<std::int64_t>(space.total));
    }
  }
}

TEST(ShowFreeSp, ShowsOneBoxOrNone) {
  struct Case {
    std::optional<std::string> drive;
    bool null_slot;
    const char* shown;  // the start of the message; "" for no box
    bool out_of;        // whether the total's line follows
  };
  const Case cases[] = {
      {"C", false, "Free Space on C\t", true},
      {"c:\\data", false, "Free Space on c:\\data\t", true},
      {"Q", false, "Free Space on Q\t             0 bytes", false},
      {"", false, "", false},
      {std::nullopt, false, "", false},
      {"C", true, "", false},
  };
  HostModule dll;
  for (const Case& c : cases) {
    SCOPED_TRACE("drive " + c.drive.value_or("(null)"));
    HostString drive(c.drive);
    UiDriver driver(AnswerMessageBoxesUntilReturn);
    CallResult result = dll.ShowFreeSp(c.null_slot ? nullptr : drive.slot());
    std::vector<std::string> messages = driver.Finish();
    EXPECT_EQ(result.stack_moved, 0);
    EXPECT_EQ(drive.bytes(), c.drive.value_or("(null)")) << "the drive text is left as it was";
    if (!*c.shown) {
      EXPECT_TRUE(messages.empty());
      continue;
    }
    ASSERT_EQ(messages.size(), 1u);
    std::string expected_start = MessageLine("Drive Space", c.shown);
    EXPECT_EQ(messages[0].substr(0, expected_start.size()), expected_start);
    EXPECT_EQ(messages[0].find(" bytes\\r\\nOut of:\t\t") != std::string::npos, c.out_of) << messages[0];
  }
}

}  // namespace
}  // namespace qreport::wintest
