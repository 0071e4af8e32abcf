// Keeps wine's desktop up for a whole test run. The first program of a prefix that opens a window
// starts the desktop process, which takes seconds and ends again soon after the last window
// program has gone; this program holds it open. It makes one hidden window, which waits for the
// desktop, writes the file named by its argument once the desktop is there, and then waits until
// the wine server ends it.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  HWND window = CreateWindowExA(0, "STATIC", "desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr || GetDesktopWindow() == nullptr) return 1;
  if (argc > 1) {
    if (std::FILE* ready = std::fopen(argv[1], "wb")) std::fclose(ready);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
