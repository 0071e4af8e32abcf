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
#include <set>
#include <string>
#include <string_view>

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

std::string Contents(const fs::path& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return "<none>";
  std::string text;
  char buffer[256];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  return text;
}

void WriteText(const fs::path& path, std::string_view text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

// A replacement puts the new bytes in place with the old file's mode and leaves no temporary; one
// that is let go, or that finds something other than a regular file at its target (before it
// starts or by the time it commits), leaves what was there as it was and no temporary either.
TEST(FileReplacement, ReplacesWholeOrLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  fs::path target = dir / "save941.info";
  WriteText(target, "old");
  ::chmod(target.c_str(), 0600);
  ASSERT_TRUE(ReplaceFileWith(target, "new bytes"));
  EXPECT_EQ(Contents(target), "new bytes");
  EXPECT_EQ(ModeOf(target), 0600u);

  {
    FileReplacement abandoned(target);
    ASSERT_TRUE(abandoned.is_open());
    ASSERT_TRUE(abandoned.Write("never seen"));
  }
  EXPECT_EQ(Contents(target), "new bytes");

  WriteText(dir / "elsewhere", "kept");
  fs::create_symlink(dir / "elsewhere", dir / "link");
  errno = 0;
  EXPECT_FALSE(ReplaceFileWith(dir / "link", "through the link"));
  EXPECT_EQ(errno, ELOOP);
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(Contents(dir / "elsewhere"), "kept");

  fs::path later = dir / "report.txt";
  FileReplacement replacement(later);
  ASSERT_TRUE(replacement.Write("report"));
  fs::create_directory(later);  // a folder takes the name before the commit
  EXPECT_FALSE(replacement.Commit());
  EXPECT_EQ(replacement.error(), EISDIR);
  EXPECT_TRUE(fs::is_directory(later));

  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir.path())) left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"save941.info", "elsewhere", "link", "report.txt"}));
}

// A replacement through a fixed temporary name empties what an interrupted one left there, and
// never writes through a link under that name.
TEST(FileReplacement, AFixedTemporaryIsReusedButNeverFollowed) {
  TempDir dir;
  fs::path target = dir / "summary.csv";
  WriteText(dir / "summary.csv.part", "a longer leftover of an interrupted write");
  FileReplacement reused(target, dir / "summary.csv.part");
  ASSERT_TRUE(reused.Write("short") && reused.Commit());
  EXPECT_EQ(Contents(target), "short");
  EXPECT_FALSE(fs::exists(dir / "summary.csv.part"));

  WriteText(dir / "elsewhere", "kept");
  fs::create_symlink(dir / "elsewhere", dir / "summary.csv.part");
  FileReplacement linked(target, dir / "summary.csv.part");
  EXPECT_FALSE(linked.is_open());
  EXPECT_EQ(linked.error(), ELOOP);
  EXPECT_FALSE(linked.Commit());
  EXPECT_EQ(Contents(dir / "elsewhere"), "kept");
  EXPECT_EQ(Contents(target), "short");
}

}  // namespace
}  // namespace qreport
