// Fatal reports and processor faults on POSIX systems. There is no message
// box here: a report meant for the console goes to the terminal when
// standard error is not one, and to standard error all the same when there
// is no terminal, so that it never vanishes.
#include <cstring>

#include "platform/posix/calls.h"
#include "platform/posix/posix.h"

namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};
constexpr char kFaultText[] = "dicestat: fatal processor fault\n";

// Ends the process at once: buffered output is not written.
void on_fault(int) {
  write_all(host_file_hooks, STDERR_FILENO, kFaultText, sizeof kFaultText - 1);
  sys.exit(kFatalStatus);
}

} // namespace

void host_show_fatal(const char *text) {
  int tty = sys.isatty(STDERR_FILENO)
                ? -1
                : retry_after_signal([] { return sys.open("/dev/tty", O_WRONLY | O_CLOEXEC, 0); });
  write_all(host_file_hooks, tty < 0 ? STDERR_FILENO : tty, text, strlen(text));
  if (tty >= 0) sys.close(tty);
}

void posix_catch_faults() {
  for (int signo : kFaultSignals) set_signal(signo, on_fault);
}
