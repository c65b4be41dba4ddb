// Fatal reports and processor faults on POSIX systems. There is no message
// box here: a report meant for the console goes to the terminal when
// standard error is not one, and to standard error all the same when there
// is no terminal, so that it never vanishes.
#include <cstring>

#include "platform/posix/calls.h"
#include "platform/posix/posix.h"

namespace {

constexpr int kFatalStatus = 1;
constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};
constexpr char kFaultText[] = "dicestat: fatal processor fault\n";

void write_text(int fd, const char *text, size_t size) {
  size_t written = 0;
  write_all(host_file_hooks, fd, text, size, &written);
}

// Ends the process at once: buffered output is not written.
void on_fault(int) {
  write_text(STDERR_FILENO, kFaultText, sizeof kFaultText - 1);
  sys.exit(kFatalStatus);
}

} // namespace

void host_show_fatal(const char *text) {
  size_t size = strlen(text);
  if (sys.isatty(STDERR_FILENO)) return write_text(STDERR_FILENO, text, size);
  int tty = retry_after_signal([] { return sys.open("/dev/tty", O_WRONLY | O_CLOEXEC, 0); });
  if (tty < 0) return write_text(STDERR_FILENO, text, size);
  write_text(tty, text, size);
  sys.close(tty);
}

void posix_catch_faults() {
  struct sigaction action = {};
  action.sa_handler = on_fault;
  sigemptyset(&action.sa_mask);
  for (int signo : kFaultSignals) sys.sigaction(signo, &action, nullptr);
}
