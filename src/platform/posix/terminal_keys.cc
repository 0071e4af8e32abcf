#include "platform/posix/terminal_keys.h"

#include "platform/posix/terminal_curses.h"

namespace qreport {
namespace {

// How long Escape waits for the key of an Alt combination, or for a person's second key.
constexpr int kEscapeFollowMs = 800;

Key FunctionKey(wint_t code) {
  switch (code) {
    case KEY_ENTER: return {KeyName::kEnter};
    case KEY_BTAB: return {KeyName::kBackTab};
    case KEY_UP: return {KeyName::kUp};
    case KEY_DOWN: return {KeyName::kDown};
    case KEY_LEFT: return {KeyName::kLeft};
    case KEY_RIGHT: return {KeyName::kRight};
    case KEY_HOME: return {KeyName::kHome};
    case KEY_END: return {KeyName::kEnd};
    case KEY_BACKSPACE: return {KeyName::kBackspace};
    case KEY_DC: return {KeyName::kDelete};
    case KEY_RESIZE: return {KeyName::kResize};
    default: return {KeyName::kOther};
  }
}

Key CharacterKey(wint_t c) {
  switch (c) {
    case '\r': case '\n': return {KeyName::kEnter};
    case '\t': return {KeyName::kTab};
    case 27: return {KeyName::kEscape};
    case 8: case 127: return {KeyName::kBackspace};
    default: return {KeyName::kCharacter, static_cast<char32_t>(c)};
  }
}

}  // namespace

bool ReadKey(Key& key) {
  wint_t wch = 0;
  int kind = ::get_wch(&wch);
  if (kind == ERR) return false;
  key = kind == KEY_CODE_YES ? FunctionKey(wch) : CharacterKey(wch);
  return true;
}

std::optional<Key> KeyAfterEscape() {
  ::timeout(kEscapeFollowMs);
  Key key;
  bool got = ReadKey(key);
  ::timeout(-1);
  if (!got) return std::nullopt;
  return key;
}

}  // namespace qreport
