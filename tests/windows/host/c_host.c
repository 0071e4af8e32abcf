/* A host in plain C99 that knows QREPORT.DLL only through the Windows kit: its header and its
 * import library (no LoadLibrary). It runs the report of the client folder argv[1] with
 * QREPORTPROC, while a second thread plays a user who presses Done or OK in every dialog and OK
 * in every message box, and ends with "device code: X" on standard output as the qreport
 * command does.
 *
 *   c_host DATADIR
 */
#include <windows.h>
#include <oleauto.h>
#include <stdio.h>
#include <string.h>

#include "qreport.h"

enum { kOptionsDone = 401, kShortOk = 103, kDeadlineMs = 30000, kPollMs = 20 };

static volatile LONG finished = 0;

static BOOL CALLBACK PressIfShown(HWND window, LPARAM unused) {
  (void)unused;
  char name[16] = {0};
  GetClassNameA(window, name, sizeof name);
  if (strcmp(name, "#32770") != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  HWND button = GetDlgItem(window, kOptionsDone);
  if (button == NULL) button = GetDlgItem(window, kShortOk);
  if (button == NULL) button = GetDlgItem(window, IDOK); /* a message box */
  if (button != NULL) PostMessageA(button, BM_CLICK, 0, 0);
  return TRUE;
}

static DWORD WINAPI User(LPVOID main_thread) {
  DWORD thread = (DWORD)(ULONG_PTR)main_thread;
  for (DWORD waited = 0; waited < kDeadlineMs && !finished; waited += kPollMs) {
    EnumThreadWindows(thread, PressIfShown, 0);
    Sleep(kPollMs);
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: c_host DATADIR\n");
    return 2;
  }
  HANDLE user = CreateThread(NULL, 0, User, (LPVOID)(ULONG_PTR)GetCurrentThreadId(), 0, NULL);
  BSTR dir = SysAllocStringByteLen(argv[1], (UINT)strlen(argv[1]));
  BSTR device = SysAllocStringByteLen("P", 1);
  BSTR kind = SysAllocStringByteLen("941", 3);
  QREPORTPROC(&dir, &device, &kind);
  InterlockedExchange(&finished, 1);
  WaitForSingleObject(user, INFINITE);
  printf("device code: %.*s\n", (int)SysStringByteLen(device), (const char*)device);
  SysFreeString(dir);
  SysFreeString(device);
  SysFreeString(kind);
  return 0;
}
