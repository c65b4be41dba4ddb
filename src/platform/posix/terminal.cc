#include "platform/posix/terminal.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/syscalls.h"

namespace {

int tty = -1;
termios saved;                    // the mode to put back
volatile sig_atomic_t raw_active; // the terminal is in raw mode now

constexpr int kRestoreSignals[] = {SIGTERM, SIGHUP};
constexpr int kRestoreCount = sizeof kRestoreSignals / sizeof kRestoreSignals[0];

// Ends the process by the same signal, with the terminal as it was.
void restore_and_die(int signo) {
  if (raw_active) tcsetattr(tty, TCSANOW, &saved);
  signal(signo, SIG_DFL);
  raise(signo);
}

void make_raw(termios *mode) {
  mode->c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
  mode->c_lflag &= ~(ICANON | ECHO | ECHONL | ISIG | IEXTEN);
  mode->c_cc[VMIN] = 1;
  mode->c_cc[VTIME] = 0;
}

} // namespace

void terminal_open() {
  tty = retry_after_signal([] { return sys.open("/dev/tty", O_RDWR | O_CLOEXEC, 0); });
}

void terminal_close() {
  if (tty >= 0) sys.close(tty);
  tty = -1;
}

int terminal_read_key() {
  if (tty < 0 || tcgetattr(tty, &saved) != 0) return -1;
  termios raw = saved;
  make_raw(&raw);

  struct sigaction restore = {}, previous[kRestoreCount];
  restore.sa_handler = restore_and_die;
  sigemptyset(&restore.sa_mask);
  for (int i = 0; i < kRestoreCount; ++i) sigaction(kRestoreSignals[i], &restore, &previous[i]);

  unsigned char key = 0;
  ssize_t got = -1;
  raw_active = 1;
  if (tcsetattr(tty, TCSANOW, &raw) == 0)
    got = retry_after_signal([&] { return sys.read(tty, &key, 1); });
  tcsetattr(tty, TCSANOW, &saved);
  raw_active = 0;

  for (int i = 0; i < kRestoreCount; ++i) sigaction(kRestoreSignals[i], &previous[i], nullptr);
  return got == 1 ? key : -1;
}
