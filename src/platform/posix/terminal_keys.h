// Keys as the terminal dialogs, the message box and the printer picker read them: a typed
// character, or one of the few named keys they act on. Enter arrives the same whether the
// terminal sends CR, LF or its keypad's Enter, and Backspace whether it sends BS, DEL or its
// Backspace key code.
#pragma once

#include <optional>

namespace qreport {

enum class KeyName {
  kCharacter,  // a typed character in Key::character
  kEnter,
  kTab,
  kBackTab,    // Shift-Tab
  kEscape,
  kUp,
  kDown,
  kLeft,
  kRight,
  kHome,
  kEnd,
  kBackspace,
  kDelete,
  kResize,     // the terminal changed its size
  kOther,      // any other function key
};

struct Key {
  KeyName name = KeyName::kOther;
  char32_t character = 0;  // for kCharacter

  bool IsCharacter(char32_t c) const { return name == KeyName::kCharacter && character == c; }
};

// Waits for the next key. Returns false when the input ended (the terminal went away) or a
// signal interrupted the wait.
bool ReadKey(Key& key);

// After an Escape: the key that follows at once (Alt sends both together; a person pressing
// Escape and then a letter has a moment), or nullopt when none came.
std::optional<Key> KeyAfterEscape();

}  // namespace qreport
