// A text box edited by keys as a window's edit box is: typing over the text selected by Tab,
// the caret moved and used, refused characters leaving the text alone, and the scroll that
// keeps the caret in view.
#include "platform/posix/text_box_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qreport {
namespace {

Key Ch(char32_t c) { return {KeyName::kCharacter, c}; }
Key Named(KeyName name) { return {name}; }

TEST(TextBoxEdit, KeysEditTheTextAtTheCaret) {
  struct Case {
    const char* what;
    std::string text;
    TextBoxEdit start;
    std::vector<Key> keys;
    std::string result;
    std::size_t caret;
    EditOutcome last;  // what the last key did
  } cases[] = {
      {"typing replaces the selected text", "OLD", {3, 0, true}, {Ch('4'), Ch('2')}, "42", 2, EditOutcome::kChanged},
      {"Left keeps the text and types before the last byte", "OLD", {3, 0, true}, {Named(KeyName::kLeft), Ch('x')},
       "OLxD", 3, EditOutcome::kChanged},
      {"Backspace empties a selection", "OLD", {3, 0, true}, {Named(KeyName::kBackspace)}, "", 0,
       EditOutcome::kChanged},
      {"Delete empties a selection", "OLD", {0, 0, true}, {Named(KeyName::kDelete)}, "", 0, EditOutcome::kChanged},
      {"Backspace at the start changes nothing", "abc", {0, 0, false}, {Named(KeyName::kBackspace)}, "abc", 0,
       EditOutcome::kUnchanged},
      {"Delete at the end changes nothing", "abc", {3, 0, false}, {Named(KeyName::kDelete)}, "abc", 3,
       EditOutcome::kUnchanged},
      {"Home and Delete take the first byte", "abc", {2, 0, false}, {Named(KeyName::kHome), Named(KeyName::kDelete)},
       "bc", 0, EditOutcome::kChanged},
      {"End after Home types at the end", "ab", {1, 0, false},
       {Named(KeyName::kHome), Named(KeyName::kEnd), Ch(U'\u20AC')}, "ab\x80", 3, EditOutcome::kChanged},
      {"Right stops at the end", "ab", {2, 0, false}, {Named(KeyName::kRight), Ch('c')}, "abc", 3,
       EditOutcome::kChanged},
      {"a character the code page lacks is refused and keeps the selection", "OLD", {3, 0, true},
       {Ch(U'\u2603')}, "OLD", 3, EditOutcome::kRefused},
      {"a control character is refused", "ab", {2, 0, false}, {Ch(0x01)}, "ab", 2, EditOutcome::kRefused},
      {"another function key means nothing", "ab", {1, 0, true}, {Named(KeyName::kOther)}, "ab", 1,
       EditOutcome::kUnchanged},
      {"a caret beyond a shortened text is brought back", "ab", {9, 0, false}, {Named(KeyName::kBackspace)}, "a", 1,
       EditOutcome::kChanged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text = c.text;
    TextBoxEdit e = c.start;
    EditOutcome last = EditOutcome::kUnchanged;
    for (const Key& k : c.keys) last = ApplyEditKey(text, e, k);
    EXPECT_EQ(text, c.result);
    EXPECT_EQ(e.caret, c.caret);
    EXPECT_EQ(last, c.last);
  }
}

TEST(TextBoxEdit, TheScrollKeepsTheCaretInView) {
  struct Case {
    const char* what;
    TextBoxEdit start;
    std::size_t text_size, width;
    bool focused;
    std::size_t scroll;
  } cases[] = {
      {"short text", {3, 0, false}, 3, 5, true, 0},
      {"the caret after the last cell", {10, 0, false}, 10, 5, true, 6},
      {"the caret back before the scroll", {2, 6, false}, 10, 5, true, 2},
      {"the caret inside the shown cells", {7, 4, false}, 10, 5, true, 4},
      {"a box without the focus shows its start", {10, 6, false}, 10, 5, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextBoxEdit e = c.start;
    KeepCaretInView(e, c.text_size, c.width, c.focused);
    EXPECT_EQ(e.scroll, c.scroll);
  }
}

}  // namespace
}  // namespace qreport
