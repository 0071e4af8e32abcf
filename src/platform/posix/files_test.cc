// Temporary files and folders made beside their target: names no other file has, which the
// leftover sweep recognises (files) and which keep the asked-for prefix (folders), with the mode
// the process's creation mask gives a new file or folder rather than the owner-only mode of
// the system's unique-name calls (a replaced report or client folder must stay as readable as
// before).
#include "platform/files.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace qreport {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Sets the creation mask for one test and puts the old one back.
class Umask {
 public:
  explicit Umask(mode_t mask) : old_(::umask(mask)) {}
  ~Umask() { ::umask(old_); }

 private:
  mode_t old_;
};

mode_t ModeOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

TEST(TemporaryFiles, NewNamesTheSweepKnowsWithTheUsualMode) {
  for (mode_t mask : {mode_t{022}, mode_t{027}}) {
    SCOPED_TRACE(mask);
    Umask umask(mask);
    TempDir dir;
    fs::path first, second;
    std::FILE* a = CreateTemporaryIn(dir.path(), first);
    std::FILE* b = CreateTemporaryIn(dir.path(), second);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_GE(std::fputs("bytes", a), 0);
    std::fclose(a);
    std::fclose(b);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.parent_path(), dir.path());
    EXPECT_TRUE(IsLeftoverTemporary(first.filename().string())) << first;
    EXPECT_TRUE(IsLeftoverTemporary(second.filename().string())) << second;
    EXPECT_EQ(ModeOf(first), 0666 & ~mask);
    EXPECT_EQ(fs::file_size(first), 5u);
    RemoveLeftoverTemporaries(dir.path());
    EXPECT_TRUE(fs::is_empty(dir.path()));

    fs::path folder = CreateTemporaryFolderIn(dir.path(), ".client.import-");
    fs::path other = CreateTemporaryFolderIn(dir.path(), ".client.import-");
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder, other);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(folder.parent_path(), dir.path());
    EXPECT_EQ(folder.filename().string().rfind(".client.import-", 0), 0u) << folder;
    EXPECT_EQ(ModeOf(folder), 0777 & ~mask);
  }
}

TEST(TemporaryFiles, AMissingFolderFailsWithItsError) {
  TempDir dir;
  fs::path made;
  errno = 0;
  EXPECT_EQ(CreateTemporaryIn(dir / "missing", made), nullptr);
  EXPECT_EQ(errno, ENOENT);
  errno = 0;
  EXPECT_TRUE(CreateTemporaryFolderIn(dir / "missing", "x-").empty());
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
}  // namespace qreport
