// Fatal reports and processor faults on POSIX systems. There is no message
// box here: a report meant for the console goes to the terminal when
// standard error is not one, and to standard error all the same when there
// is no terminal, so that it never vanishes.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix/posix.h"
#include "platform/posix/syscalls.h"

namespace {

constexpr int kFatalStatus = 1;
constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};
constexpr char kFaultText[] = "dicestat: fatal processor fault\n";

void write_all(int fd, const char *text, size_t size) {
  while (size > 0) {
    ssize_t n = retry_after_signal([&] { return sys.write(fd, text, size); });
    if (n <= 0) return;
    text += n;
    size -= static_cast<size_t>(n);
  }
}

// Ends the process at once: buffered output is not written.
void on_fault(int) {
  write_all(STDERR_FILENO, kFaultText, sizeof kFaultText - 1);
  _exit(kFatalStatus);
}

} // namespace

void posix_show_fatal(const char *text) {
  size_t size = strlen(text);
  if (isatty(STDERR_FILENO)) return write_all(STDERR_FILENO, text, size);
  int tty = retry_after_signal([] { return sys.open("/dev/tty", O_WRONLY | O_CLOEXEC, 0); });
  if (tty < 0) return write_all(STDERR_FILENO, text, size);
  write_all(tty, text, size);
  sys.close(tty);
}

void posix_catch_faults() {
  struct sigaction action = {};
  action.sa_handler = on_fault;
  sigemptyset(&action.sa_mask);
  for (int signo : kFaultSignals) sigaction(signo, &action, nullptr);
}
