// Fatal reports and processor faults on Windows.
#include <cstring>

#include "platform/host_support.h"
#include "platform/win32/calls.h"
#include "platform/win32/win32.h"

namespace {

// An error icon, one OK button, modal for the whole task.
constexpr UINT kFatalBoxStyle = MB_TASKMODAL | MB_ICONERROR;

// The host reports the fault its own way first. This filter is taken away
// before, since the host's report calls the filter installed here and would
// come back to it. When the host leaves the fault to the program, the
// process ends at once with status 1: nothing buffered is written.
// Otherwise the host's answer stands.
LONG WINAPI on_fault(EXCEPTION_POINTERS *fault) {
  sys.SetUnhandledExceptionFilter(nullptr);
  LONG answer = sys.UnhandledExceptionFilter(fault);
  if (answer == EXCEPTION_EXECUTE_HANDLER)
    sys.TerminateProcess(sys.GetCurrentProcess(), kFatalStatus);
  return answer;
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
