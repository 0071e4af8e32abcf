// The saved entries file: how its lines are read, and that saving never leaves it damaged.
#include "run/saved_entries.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/client_writer.h"
#include "support/fixture.h"
#include "support/recording_platform.h"

namespace qreport {
namespace {

using testing::ReadFile;
using testing::RecordingPlatform;
using testing::TempDir;
namespace fs = std::filesystem;

TEST(SavedEntries, ParsesLinesAndDropsTheSavedBlank) {
  struct Case {
    const char* what;
    std::string bytes;
    int lines;
    const char* name;
    const char* phone;
    const char* codes;
    const char* state;
  } cases[] = {
      {"as saved", "&LH1% \r\n555-0100 \r\n&LH2% &LH3% \r\ntx  \r\n", 4, "&LH1%", "555-0100", "&LH2% &LH3%", "tx"},
      {"a first save of empty texts", " \r\n \r\n \r\n  \r\n", 4, "", "", "", ""},
      {"only one blank is dropped", "a  \r\nb\r\n c \r\n  tx \r\n", 4, "a ", "b", " c", "tx"},
      {"lone LF ends a line", "a \nb \nc \nTX  \n", 4, "a", "b", "c", "TX"},
      {"lone CR stays in the text", "a\rb \r\nc \r\nd \r\nTX\r\n", 4, "a\rb", "c", "d", "TX"},
      {"last line without an ending", "a \r\nb \r\nc \r\n IL", 4, "a", "b", "c", "IL"},
      {"fewer lines fill what they have", "a \r\nb \r\n", 2, "a", "b", "", ""},
      {"lines after the fourth are ignored", "a\r\nb\r\nc\r\nd\r\ne\r\n", 4, "a", "b", "c", "d"},
      {"empty file", "", 0, "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SavedEntries e = ParseSavedEntries(c.bytes);
    EXPECT_EQ(e.lines, c.lines);
    EXPECT_EQ(e.designee_name, c.name);
    EXPECT_EQ(e.designee_phone, c.phone);
    EXPECT_EQ(e.preparer_codes, c.codes);
    EXPECT_EQ(e.state_code, c.state);
  }
}

TEST(SavedEntries, SavedTextReadsBackTheSame) {
  SavedEntries e{"&LH1%", "(217) 555-0142", "&LH1% &LH2%", "IL", 4};
  std::string text = SavedEntriesText(e);
  EXPECT_EQ(text, "&LH1% \r\n(217) 555-0142 \r\n&LH1% &LH2% \r\nIL  \r\n");
  SavedEntries back = ParseSavedEntries(text);
  EXPECT_EQ(SavedEntriesText(back), text);
}

TEST(SavedEntries, LoadCreatesAMissingFileEmptyAndFindsItInAnyCase) {
  TempDir dir;
  RecordingPlatform platform;
  SavedEntries none = LoadSavedEntriesFile(dir.str(), platform);
  EXPECT_EQ(none.lines, 0);
  ASSERT_TRUE(fs::exists(dir / "save941.info"));
  EXPECT_EQ(fs::file_size(dir / "save941.info"), 0u);

  WriteBytes(dir / "save941.info", "x \r\n");
  EXPECT_EQ(LoadSavedEntriesFile(dir.str(), platform).designee_name, "x");

  // A file of another case, as copied from Windows, is the same file.
  fs::remove(dir / "save941.info");
  WriteBytes(dir / "SAVE941.INFO", "y \r\n");
  EXPECT_EQ(LoadSavedEntriesFile(dir.str(), platform).designee_name, "y");
  EXPECT_EQ(WriteSavedEntriesFile(dir.str(), {"z", "", "", "", 4}), 0);
  EXPECT_EQ(ReadFile(dir / "SAVE941.INFO"), "z \r\n \r\n \r\n  \r\n");
  EXPECT_FALSE(fs::exists(dir / "save941.info"));
}

// Loading reads a file line by line, in memory of a box's width however long its lines are; it
// must give what parsing the whole file gives, the state code's trimming at both ends included.
TEST(SavedEntries, LoadingLongLinesGivesWhatParsingTheWholeFileGives) {
  const std::string wide(40000, ' ');
  const struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"a state code after a line of blanks", "a \r\nb \r\nc \r\n" + wide + "CA  \r\n"},
      {"a state code before a line of blanks", "a \r\nb \r\nc \r\nCA" + wide + "\r\n"},
      {"a name past the box", std::string(40000, 'N') + " \r\nb \r\nc \r\nTX  \r\n"},
      {"codes of blanks and a word", "a \r\nb \r\n" + wide + "&LH1% \r\nTX  \r\n"},
  };
  TempDir dir;
  RecordingPlatform platform;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir / "save941.info", c.bytes);
    SavedEntries loaded = LoadSavedEntriesFile(dir.str(), platform);
    SavedEntries parsed = ParseSavedEntries(c.bytes);
    EXPECT_EQ(loaded.designee_name, parsed.designee_name);
    EXPECT_EQ(loaded.preparer_codes, parsed.preparer_codes);
    EXPECT_EQ(loaded.state_code, parsed.state_code);
    EXPECT_EQ(loaded.lines, parsed.lines);
  }
}

TEST(SavedEntries, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  // A folder in the file's place cannot be replaced by the rename.
  fs::create_directories(dir / "save941.info" / "inside");
  EXPECT_NE(WriteSavedEntriesFile(dir.str(), {"a", "b", "c", "d", 4}), 0);
  EXPECT_TRUE(fs::is_directory(dir / "save941.info" / "inside"));
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1);

  // A missing folder: nothing is written anywhere.
  EXPECT_NE(WriteSavedEntriesFile((dir / "missing").string(), {"a", "b", "c", "d", 4}), 0);
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

}  // namespace
}  // namespace qreport
