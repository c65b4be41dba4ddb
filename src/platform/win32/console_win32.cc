// The console input device and the single-key wait on it.
#include "platform/win32/calls.h"
#include "platform/win32/win32.h"

namespace {

HANDLE console_input = INVALID_HANDLE_VALUE;

// Mode 0: no line input, no echo, no processing of control keys, so that
// any key, Ctrl+C included, ends the wait.
constexpr DWORD kRawMode = 0;

} // namespace

// The console input device, "CONIN$", so that the key wait reaches the
// console even when standard input is redirected. Fails, leaving the key
// wait without a console, when the process has none.
void host_open_terminal() {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  console_input =
      sys.CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      &inheritable, OPEN_EXISTING, 0, nullptr);
}

void console_close() {
  if (console_input != INVALID_HANDLE_VALUE) sys.CloseHandle(console_input);
  console_input = INVALID_HANDLE_VALUE;
}

// A key typed ahead counts: it ends the wait at once. No key is read in a
// mode that could not be set, and the saved mode is put back whatever
// happened after it was read.
int host_read_key() {
  DWORD saved = 0;
  if (console_input == INVALID_HANDLE_VALUE || !sys.GetConsoleMode(console_input, &saved))
    return -1;
  unsigned char key = 0;
  DWORD got = 0;
  BOOL ok = sys.SetConsoleMode(console_input, kRawMode) &&
            sys.ReadConsoleA(console_input, &key, 1, &got, nullptr);
  sys.SetConsoleMode(console_input, saved);
  return ok && got == 1 ? key : -1;
}
