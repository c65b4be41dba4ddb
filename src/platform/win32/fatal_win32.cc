// Fatal reports and processor faults on Windows.
#include <cstring>

#include "platform/win32/calls.h"
#include "platform/win32/win32.h"

namespace {

constexpr UINT kFatalStatus = 1;

// An error icon, one OK button, modal for the whole task.
constexpr UINT kFatalBoxStyle = MB_TASKMODAL | MB_ICONERROR;

// "dicestat: fatal processor fault c0000005" and a line end: the fault's
// code in hexadecimal, so that the end is not unexplained.
constexpr char kFaultText[] = "dicestat: fatal processor fault ";
constexpr size_t kFaultTextSize = sizeof kFaultText - 1;
constexpr int kCodeDigits = 8;
constexpr char kHexDigits[] = "0123456789abcdef";
constexpr int kBitsPerDigit = 4;
constexpr DWORD kDigitMask = 0xf;

// Nothing is flushed: what the streams still hold is lost.
LONG WINAPI on_fault(EXCEPTION_POINTERS *fault) {
  char text[kFaultTextSize + kCodeDigits + 1];
  memcpy(text, kFaultText, kFaultTextSize);
  char *digits = text + kFaultTextSize;
  DWORD code = fault->ExceptionRecord->ExceptionCode;
  for (int i = kCodeDigits - 1; i >= 0; --i, code >>= kBitsPerDigit)
    digits[i] = kHexDigits[code & kDigitMask];
  digits[kCodeDigits] = '\n';
  DWORD written = 0;
  sys.WriteFile(sys.GetStdHandle(STD_ERROR_HANDLE), text, sizeof text, &written, nullptr);
  sys.TerminateProcess(sys.GetCurrentProcess(), kFatalStatus);
  return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

// The text goes to the console byte for byte, with no line end added. When
// standard error is a file, a pipe or nothing, the console write fails and
// a message box with an empty title shows the text instead.
void host_show_fatal(const char *text) {
  HANDLE error = sys.GetStdHandle(STD_ERROR_HANDLE);
  DWORD size = static_cast<DWORD>(strlen(text));
  DWORD written = 0;
  if (error != INVALID_HANDLE_VALUE && error != nullptr &&
      sys.WriteConsoleA(error, text, size, &written, nullptr) && written == size)
    return;
  sys.MessageBoxA(nullptr, text, "", kFatalBoxStyle);
}

void win32_catch_faults() {
  sys.SetUnhandledExceptionFilter(on_fault);
}
