// The console input device and the single-key wait on it.
#include <windows.h>

#include "platform/win32/win32.h"

namespace {

HANDLE console_input = INVALID_HANDLE_VALUE;

// Mode 0: no line input, no echo, no processing of control keys, so that
// any key, Ctrl+C included, ends the wait.
constexpr DWORD kRawMode = 0;

} // namespace

// Fails, leaving the key wait without a console, when the process has none.
void console_open() {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  console_input =
      CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  &inheritable, OPEN_EXISTING, 0, nullptr);
}

void console_close() {
  if (console_input != INVALID_HANDLE_VALUE) CloseHandle(console_input);
  console_input = INVALID_HANDLE_VALUE;
}

// A key typed ahead counts: it ends the wait at once.
int console_read_key() {
  DWORD saved = 0;
  if (console_input == INVALID_HANDLE_VALUE || !GetConsoleMode(console_input, &saved)) return -1;
  SetConsoleMode(console_input, kRawMode);
  unsigned char key = 0;
  DWORD got = 0;
  BOOL ok = ReadConsoleA(console_input, &key, 1, &got, nullptr);
  SetConsoleMode(console_input, saved);
  return ok && got == 1 ? key : -1;
}
