// The wide-character curses interface as the terminal dialogs include it: functions only (no
// macros that would shadow names such as `erase` or `timeout`), characters as wchar_t.
#pragma once

#define NCURSES_NOMACROS 1
#define NCURSES_WIDECHAR 1
#include <curses.h>
