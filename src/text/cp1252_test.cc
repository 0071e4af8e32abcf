// The code page and UTF-8 both ways: the bytes 0x80 to 0x9F are where the two differ from Latin-1.
#include "text/cp1252.h"

#include <gtest/gtest.h>

namespace qreport {
namespace {

TEST(Cp1252, ToAndFromUtf8) {
  struct Case {
    const char* what;
    std::string cp1252, utf8;
  } both_ways[] = {
      {"ASCII", "Done 7a. $1,234.56", "Done 7a. $1,234.56"},
      {"right single quote", "quarter\x92s", "quarter\xe2\x80\x99s"},
      {"euro and dagger", "\x80\x86", "\xe2\x82\xac\xe2\x80\xa0"},
      {"Latin-1 half", "Jos\xe9 \xa0\xff", "Jos\xc3\xa9 \xc2\xa0\xc3\xbf"},
  };
  for (const Case& c : both_ways) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Utf8FromCp1252(c.cp1252), c.utf8);
    EXPECT_EQ(Cp1252FromUtf8(c.utf8), c.cp1252);
  }
  struct OneWay {
    const char* what;
    std::string utf8, cp1252;
  } from_utf8[] = {
      {"a character the code page lacks", "snow \xe2\x98\x83", "snow ?"},
      {"a character outside the BMP", "\xf0\x9f\x98\x80!", "?!"},
      {"a lone continuation byte", "a\x80z", "a?z"},
      {"a cut sequence at the end", "a\xe2\x80", "a??"},
      {"an overlong slash", "\xc0\xaf", "??"},
      {"a surrogate", "\xed\xa0\x80", "???"},
  };
  for (const OneWay& c : from_utf8) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Cp1252FromUtf8(c.utf8), c.cp1252);
  }
  EXPECT_EQ(Utf8FromCp1252("\x81"), "\xef\xbf\xbd");  // undefined in the code page
}

// What a screen shows for a byte, and which byte a typed character is: a control character and
// an undefined byte never reach the screen as themselves, and a key the code page lacks is
// refused rather than stored as some other byte.
TEST(Cp1252, ShownBytesAndTypedCharacters) {
  struct Shown {
    unsigned char byte;
    char32_t shown;
  } shown[] = {
      {'A', U'A'}, {0x80, U'\u20AC'}, {0x92, U'\u2019'}, {0xE9, U'\u00E9'}, {0xA0, U'\u00A0'},
      {0x00, U'?'}, {0x09, U'?'}, {0x1B, U'?'}, {0x7F, U'?'}, {0x81, U'?'}, {0x9D, U'?'},
  };
  for (const Shown& c : shown) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    EXPECT_EQ(ShownCp1252(c.byte), c.shown);
  }
  struct Typed {
    char32_t typed;
    std::optional<char> byte;
  } typed[] = {
      {U'a', 'a'}, {U'\u20AC', '\x80'}, {U'\u0178', '\x9F'}, {U'\u00FF', '\xFF'},
      {U'\u2603', std::nullopt}, {U'\u0080', std::nullopt}, {0x1B, std::nullopt}, {0x7F, std::nullopt},
  };
  for (const Typed& c : typed) {
    SCOPED_TRACE(static_cast<unsigned>(c.typed));
    EXPECT_EQ(ToCp1252(c.typed), c.byte);
  }
}

}  // namespace
}  // namespace qreport
