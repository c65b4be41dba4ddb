// The controlling terminal, opened once at start-up, and the single-key wait
// on it: one key in raw mode (no echo, no line editing, no signal keys),
// with the terminal's mode put back afterwards, and also when SIGTERM or
// SIGHUP ends the process meanwhile.
#include "platform/posix/calls.h"
#include "platform/posix/posix.h"

namespace {

int tty = -1;
termios saved;                    // the mode to put back
volatile sig_atomic_t raw_active; // the terminal is in raw mode now

constexpr int kRestoreSignals[] = {SIGTERM, SIGHUP};
constexpr int kRestoreCount = sizeof kRestoreSignals / sizeof kRestoreSignals[0];

int set_mode(const termios *mode) {
  return retry_after_signal([&] { return sys.tcsetattr(tty, TCSANOW, mode); });
}

// Ends the process by the same signal, with the terminal as it was.
void restore_and_die(int signo) {
  if (raw_active) sys.tcsetattr(tty, TCSANOW, &saved);
  set_signal(signo, SIG_DFL);
  sys.raise(signo);
}

void make_raw(termios *mode) {
  mode->c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
  mode->c_lflag &= ~(ICANON | ECHO | ECHONL | ISIG | IEXTEN);
  mode->c_cc[VMIN] = 1;
  mode->c_cc[VTIME] = 0;
}

// Reads the key with the terminal in raw mode, and puts the mode back
// whether or not raw mode could be set or the read succeeded.
int read_raw_key() {
  termios raw = saved;
  make_raw(&raw);
  unsigned char key = 0;
  ssize_t got = -1;
  raw_active = 1;
  if (set_mode(&raw) == 0) got = retry_after_signal([&] { return sys.read(tty, &key, 1); });
  set_mode(&saved);
  raw_active = 0;
  return got == 1 ? key : -1;
}

} // namespace

void host_open_terminal() {
  tty = retry_after_signal([] { return sys.open("/dev/tty", O_RDWR | O_CLOEXEC, 0); });
}

// At the end of the process, the terminal is closed.
void host_finish() {
  if (tty >= 0) sys.close(tty);
  tty = -1;
}

int host_read_key() {
  if (tty < 0 || retry_after_signal([] { return sys.tcgetattr(tty, &saved); }) != 0) return -1;
  struct sigaction previous[kRestoreCount];
  for (int i = 0; i < kRestoreCount; ++i)
    set_signal(kRestoreSignals[i], restore_and_die, &previous[i]);
  int key = read_raw_key();
  for (int i = 0; i < kRestoreCount; ++i) sys.sigaction(kRestoreSignals[i], &previous[i], nullptr);
  return key;
}
