#include "diskspace/disk_space.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/fixture.h"
#include "support/process_state.h"

namespace qreport {
namespace {

using testing::MeasureWhileStill;
using testing::ScopedCurrentDir;
using testing::ScopedEnv;
using testing::TempDir;

// Which folder a drive text should measure in the DiskDrives fixture.
enum class Folder { kRoot, kCurrentDir, kData, kMissingFolder, kNoDrive };
// Which count the mode text should ask for.
enum class Count { kFree, kTotal };

// Drive C is the root (its variable removed), D a folder of its own, E a folder that does not
// exist, Q no drive at all; the current directory is another folder.
class DiskDrives : public ::testing::Test {
 protected:
  DiskDrives() {
    std::filesystem::create_directory(tmp_ / "cwd");
    std::filesystem::create_directory(tmp_ / "data");
    env_.Unset("QREPORT_DRIVE_C");
    env_.Set("QREPORT_DRIVE_D", (tmp_ / "data").string());
    env_.Set("QREPORT_DRIVE_E", (tmp_ / "missing").string());
    env_.Unset("QREPORT_DRIVE_Q");
    cwd_.emplace(tmp_ / "cwd");
  }

  std::optional<std::string> PathOf(Folder folder) const {
    switch (folder) {
      case Folder::kRoot: return "/";
      case Folder::kCurrentDir: return std::filesystem::current_path().string();
      case Folder::kData: return (tmp_ / "data").string();
      case Folder::kMissingFolder: return (tmp_ / "missing").string();
      case Folder::kNoDrive: return std::nullopt;
    }
    return std::nullopt;
  }

  TempDir tmp_;
  ScopedEnv env_;
  std::optional<ScopedCurrentDir> cwd_;
};

TEST_F(DiskDrives, DriveAndModeTextsPickFolderAndCount) {
  struct Case {
    std::string drive, mode;
    Folder folder;
    Count count;
  };
  const Case cases[] = {
      {"c", "F", Folder::kRoot, Count::kFree},  // the letter is taken in upper case
      {"c", "f", Folder::kRoot, Count::kTotal},  // the mode is not: only "F" means free
      {"C:\\", "T", Folder::kRoot, Count::kTotal},
      {"C", "", Folder::kRoot, Count::kTotal},
      {"C", "F ", Folder::kRoot, Count::kTotal},
      {"C", "FREE", Folder::kRoot, Count::kTotal},
      {"7", "F", Folder::kCurrentDir, Count::kFree},
      {"", "F", Folder::kCurrentDir, Count::kFree},
      {"", "T", Folder::kCurrentDir, Count::kTotal},
      {"\\DATA", "F", Folder::kCurrentDir, Count::kFree},
      {"@", "F", Folder::kCurrentDir, Count::kFree},  // the neighbours of A and Z
      {"[", "F", Folder::kCurrentDir, Count::kFree},
      {"\xE9", "F", Folder::kCurrentDir, Count::kFree},
      {"D:\\DATA", "F", Folder::kData, Count::kFree},  // only the first character counts
      {"d", "T", Folder::kData, Count::kTotal},
      {"E", "T", Folder::kMissingFolder, Count::kTotal},
      {"Q", "F", Folder::kNoDrive, Count::kFree},
      {"q:\\", "T", Folder::kNoDrive, Count::kTotal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("drive \"" + testing::Visible(c.drive) + "\", mode \"" + c.mode + "\"");
    std::optional<std::string> folder = PathOf(c.folder);
    EXPECT_EQ(DriveFolderFor(c.drive), folder);
    if (c.folder == Folder::kNoDrive || c.folder == Folder::kMissingFolder) {
      EXPECT_EQ(DiskBytes(c.drive, c.mode), 0);
      continue;
    }
    auto m = MeasureWhileStill(
        *folder, [&] { return static_cast<std::uintmax_t>(DiskBytes(c.drive, c.mode)); },
        c.count == Count::kFree ? &std::filesystem::space_info::available : &std::filesystem::space_info::capacity);
    EXPECT_TRUE(m.matched) << "read " << m.got << ", the disk says " << m.want;
  }
}

TEST(DiskDriveLetters, VariablesMapLettersToFolders) {
  TempDir tmp;
  const std::string folder = tmp.str();
  struct Case {
    std::string variable;
    std::optional<std::string> value;  // nullopt: not set
    std::string drive;
    std::optional<std::string> want;
  };
  const Case cases[] = {
      {"QREPORT_DRIVE_C", std::nullopt, "C", "/"},
      {"QREPORT_DRIVE_C", folder, "c", folder},
      {"QREPORT_DRIVE_C", "", "C", std::nullopt},  // set but empty: no drive C
      {"QREPORT_DRIVE_A", folder, "a:", folder},
      {"QREPORT_DRIVE_Z", folder, "Z", folder},
      {"QREPORT_DRIVE_D", std::nullopt, "D", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variable + "=" + c.value.value_or("(unset)") + ", drive " + c.drive);
    ScopedEnv env;
    if (c.value) env.Set(c.variable, *c.value);
    else env.Unset(c.variable);
    EXPECT_EQ(DriveFolderFor(c.drive), c.want);
  }
}

TEST(DiskFreeSpaceMessage, Texts) {
  struct Case {
    std::string drive;
    std::int64_t free_bytes, total_bytes;
    std::string want;
  };
  const Case cases[] = {
      {"C", 1234567, 9876543210, "Free Space on C\t     1,234,567 bytes\r\nOut of:\t\t 9,876,543,210 bytes"},
      {"Q", 0, 0, "Free Space on Q\t             0 bytes"},
      {"D:\\DATA", 500, 0, "Free Space on D:\\DATA\t           500 bytes"},
      {"c", 0, 1, "Free Space on c\t             0 bytes\r\nOut of:\t\t             1 bytes"},
      // exactly as wide as the mask, then one digit more: the field widens to the left
      {"C", 99999999999, 100000000000, "Free Space on C\t99,999,999,999 bytes\r\nOut of:\t\t100,000,000,000 bytes"},
      {"C", 1234567890123456, 9007199254740992,
       "Free Space on C\t1,234,567,890,123,456 bytes\r\nOut of:\t\t9,007,199,254,740,992 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Visible(c.want));
    EXPECT_EQ(FreeSpaceMessage(c.drive, c.free_bytes, c.total_bytes), c.want);
  }
}

// Records what the service asks of the platform, in order.
class EventLog final : public Platform {
 public:
  void MessageBox(std::string_view caption, std::string_view text) override {
    events.push_back("box " + std::string(caption) + "|" + std::string(text));
  }
  int RunDialog(const DialogTable&, DialogHandler&) override { return kDialogClosed; }
  std::string PickPrinter(std::string_view) override { return {}; }
  std::string Print(std::string_view) override { return {}; }
  void Sleep(int milliseconds) override { events.push_back("sleep " + std::to_string(milliseconds)); }
  std::vector<std::string> events;
};

TEST_F(DiskDrives, ShowFreeSpacePausesThenShowsOneBox) {
  EventLog empty;
  ShowFreeSpace("", empty);
  EXPECT_TRUE(empty.events.empty());

  EventLog missing;
  ShowFreeSpace("Q", missing);
  EXPECT_EQ(missing.events,
            (std::vector<std::string>{"sleep 500", "box Drive Space|Free Space on Q\t             0 bytes"}));

  EventLog mapped;
  ShowFreeSpace("D:\\DATA", mapped);
  ASSERT_EQ(mapped.events.size(), 2u);
  EXPECT_EQ(mapped.events[0], "sleep 500");
  EXPECT_TRUE(std::regex_match(
      mapped.events[1],
      std::regex("box Drive Space\\|Free Space on D:\\\\DATA\t[ 0-9,]{14,} bytes\r\nOut of:\t\t[ 0-9,]{14,} bytes")))
      << testing::Visible(mapped.events[1]);
}

}  // namespace
}  // namespace qreport
