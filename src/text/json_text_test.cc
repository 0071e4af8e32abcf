// Texts as Unicode: every byte has a character of its own and comes back from it, and a character
// no byte stands for is refused with its place.
#include "text/json_text.h"

#include <gtest/gtest.h>

namespace qreport {
namespace {

TEST(JsonText, EveryByteComesBackFromItsCharacter) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(JsonTextToBytes(BytesToJsonText(all)), all);
  struct Case {
    const char* what;
    std::string bytes, utf8;
  } cases[] = {
      {"accented letters", "PE\xD1" "A, JOS\xC9", "PEÑA, JOSÉ"},
      {"the code page's own characters", "\x80\x8A\x92\x9F", "€Š’Ÿ"},
      {"undefined bytes keep their number", std::string("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D"},
      {"control bytes and NUL", std::string("A\0\x1F\x7F", 4), std::string("A\0\x1F\x7F", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(BytesToJsonText(c.bytes), c.utf8);
    EXPECT_EQ(JsonTextToBytes(c.utf8), c.bytes);
  }
}

TEST(JsonText, ACharacterWithoutAByteIsNamedWhereItIs) {
  struct Case {
    const char* what;
    std::string utf8;
    std::size_t offset;
    const char* message;
  } cases[] = {
      {"a letter the code page lacks", "ZO\u0106", 2, "the character U+0106 \"\u0106\" is not in code page 1252"},
      {"a C1 control the code page gives a character", "A\u0080", 1, "the character U+0080 \"\u0080\" is not in code page 1252"},
      {"beyond the first plane", "\U0001F600", 0, "the character U+1F600 \"\U0001F600\" is not in code page 1252"},
      {"Latin-1 bytes, not UTF-8", "PE\xD1" "A", 2, "the text is not UTF-8"},
      {"a cut-short sequence", "\xC3", 0, "the text is not UTF-8"},
      {"an overlong form", "\xC0\xAE", 0, "the text is not UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextProblem problem;
    EXPECT_FALSE(JsonTextToBytes(c.utf8, &problem).has_value());
    EXPECT_EQ(problem.offset, c.offset);
    EXPECT_EQ(TextProblemText(problem), c.message);
  }
}

}  // namespace
}  // namespace qreport
