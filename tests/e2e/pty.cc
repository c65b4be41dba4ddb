#include "pty.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks whether the program has ended meanwhile.
constexpr Millis kExitCheck{10};

// How long the screen must stay quiet, after the program ended, before
// everything it wrote counts as shown.
constexpr Millis kQuietScreen{200};

constexpr cc_t kCtrlC = 0x03, kCtrlD = 0x04, kCtrlBackslash = 0x1c, kCtrlZ = 0x1a;

std::string errno_text() {
  return std::strerror(errno);
}

void close_fd(int &fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// The usual interactive modes, spelled out so that the tests do not depend
// on the system's defaults; only output post-processing is off.
void set_usual_mode(termios *mode) {
  mode->c_iflag |= ICRNL | IXON;
  mode->c_iflag &= ~(INLCR | IGNCR);
  mode->c_oflag |= OPOST;
  mode->c_oflag &= ~(ONLCR | OCRNL | ONLRET);
  mode->c_lflag |= ICANON | ECHO | ECHOE | ECHOK | ISIG | IEXTEN;
  mode->c_lflag &= ~ECHONL;
  mode->c_cc[VINTR] = kCtrlC;
  mode->c_cc[VQUIT] = kCtrlBackslash;
  mode->c_cc[VEOF] = kCtrlD;
  mode->c_cc[VSUSP] = kCtrlZ;
}

// Runs between fork and exec: async-signal-safe calls only.
[[noreturn]] void start_child(const char *slave_name, const std::string &dir, int err_fd,
                              char *const argv[], char *const envp[]) {
  // The first terminal a session leader opens becomes its controlling
  // terminal; TIOCSCTTY says so outright.
  if (setsid() < 0) _exit(126);
  int tty = open(slave_name, O_RDWR | O_CLOEXEC);
  if (tty < 0 || ioctl(tty, TIOCSCTTY, 0) != 0) _exit(126);
  dup2(tty, 0);
  dup2(tty, 1);
  dup2(err_fd, 2);
  if (chdir(dir.c_str()) != 0) _exit(126);
  reset_child_signals(true);
  execve(argv[0], argv, envp);
  _exit(127);
}

// Takes in whatever the screen and the error pipe have, waiting at most
// `wait` for the first of it, and notes whether the program has ended.
void pump(Terminal *t, Millis wait) {
  pollfd fds[2] = {{t->master, POLLIN, 0}, {t->err_fd, POLLIN, 0}};
  int ready = poll(fds, t->err_fd >= 0 ? 2 : 1, static_cast<int>(wait.count()));
  if (ready < 0 && errno != EINTR) ADD_FAILURE() << "poll: " << errno_text();
  char chunk[4096];
  if (ready > 0 && fds[0].revents) {
    ssize_t n;
    while ((n = read(t->master, chunk, sizeof chunk)) > 0)
      t->screen.append(chunk, static_cast<size_t>(n));
  }
  if (ready > 0 && t->err_fd >= 0 && fds[1].revents) {
    ssize_t n = read(t->err_fd, chunk, sizeof chunk);
    if (n > 0)
      t->err.append(chunk, static_cast<size_t>(n));
    else if (n == 0 || errno != EINTR)
      close_fd(t->err_fd);
  }
  if (!t->ended && waitpid(t->pid, &t->wait_status, WNOHANG) == t->pid) t->ended = true;
}

void kill_now(Terminal *t) {
  kill(t->pid, SIGKILL);
  while (waitpid(t->pid, &t->wait_status, 0) < 0 && errno == EINTR) {
  }
  t->ended = true;
}

// Kills the program when its time is up. Returns true then.
bool past_deadline(Terminal *t) {
  if (t->ended || Clock::now() < t->deadline) return false;
  kill_now(t);
  ADD_FAILURE() << "dicestat still ran at its hard time limit and was killed; screen: "
                << visible(t->screen);
  return true;
}

// The earlier of `within` from now and the hard limit.
Clock::time_point until(const Terminal &t, Millis within) {
  return std::min(Clock::now() + within, t.deadline);
}

Millis left(Clock::time_point end) {
  return std::max(Millis(0), std::chrono::ceil<Millis>(end - Clock::now()));
}

// Once the program has ended and nothing holds the terminal's far side any
// more, reading this side fails only after everything written was read.
void take_rest_of_screen(Terminal *t) {
  close_fd(t->slave);
  auto end = Clock::now() + kAppears;
  char chunk[4096];
  for (;;) {
    ssize_t n = read(t->master, chunk, sizeof chunk);
    if (n > 0) {
      t->screen.append(chunk, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR) && Clock::now() < end) {
      pollfd fd = {t->master, POLLIN, 0};
      poll(&fd, 1, static_cast<int>(kQuietScreen.count()));
      continue;
    }
    break; // EIO: the far side is closed and everything was read
  }
  while (t->err_fd >= 0) pump(t, kQuietScreen);
}

} // namespace

Terminal::~Terminal() {
  if (pid > 0 && !ended) {
    kill_now(this);
    ADD_FAILURE() << "dicestat still ran when the test ended and was killed; screen: "
                  << visible(screen);
  }
  close_fd(master);
  close_fd(slave);
  close_fd(err_fd);
}

bool terminal_start(Terminal *t, const TerminalOptions &options) {
  prepare_test_process();
  if (t->scratch.path().empty()) return false;
  if (options.prepare) options.prepare(t->scratch.path());
  if (::testing::Test::HasFatalFailure()) return false;

  t->master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char slave_name[128];
  if (t->master < 0 || grantpt(t->master) != 0 || unlockpt(t->master) != 0 ||
      ptsname_r(t->master, slave_name, sizeof slave_name) != 0) {
    ADD_FAILURE() << "pseudo-terminal: " << errno_text();
    return false;
  }
  t->slave = open(slave_name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios mode;
  if (t->slave < 0 || tcgetattr(t->slave, &mode) != 0) {
    ADD_FAILURE() << "open " << slave_name << ": " << errno_text();
    return false;
  }
  set_usual_mode(&mode);
  if (tcsetattr(t->slave, TCSANOW, &mode) != 0 || tcgetattr(t->slave, &t->initial_mode) != 0) {
    ADD_FAILURE() << "terminal mode: " << errno_text();
    return false;
  }
  fcntl(t->master, F_SETFL, fcntl(t->master, F_GETFL) | O_NONBLOCK);

  int err[2];
  if (pipe2(err, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe2: " << errno_text();
    return false;
  }
  std::vector<std::string> words = {DICESTAT_BINARY};
  std::vector<char *> argv = exec_list(words);
  std::vector<std::string> environment = child_environment(options.env);
  std::vector<char *> envp = exec_list(environment);

  t->deadline = Clock::now() + std::chrono::seconds(options.timeout_seconds);
  t->pid = fork();
  if (t->pid < 0) {
    ADD_FAILURE() << "fork: " << errno_text();
    close(err[0]);
    close(err[1]);
    return false;
  }
  if (t->pid == 0) start_child(slave_name, t->scratch.path(), err[1], argv.data(), envp.data());
  close(err[1]);
  t->err_fd = err[0];
  return true;
}

void terminal_type(Terminal *t, const std::string &bytes) {
  size_t done = 0;
  auto end = until(*t, kAppears);
  while (done < bytes.size() && Clock::now() < end) {
    ssize_t n = write(t->master, bytes.data() + done, bytes.size() - done);
    if (n > 0)
      done += static_cast<size_t>(n);
    else if (n < 0 && errno != EAGAIN && errno != EINTR)
      break;
    else
      pump(t, kExitCheck); // the terminal's input queue is full: let the program read
  }
  if (done != bytes.size()) ADD_FAILURE() << "typed only " << done << " of " << visible(bytes);
}

::testing::AssertionResult terminal_shows(Terminal *t, const std::string &text, Millis within) {
  auto end = until(*t, within);
  for (;;) {
    if (t->screen.find(text) != std::string::npos) return ::testing::AssertionSuccess();
    // An ended program writes nothing more once its last bytes are in.
    if (t->ended) take_rest_of_screen(t);
    if (t->ended || past_deadline(t) || Clock::now() >= end) break;
    pump(t, std::min(left(end), kExitCheck));
  }
  if (t->screen.find(text) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "the screen does not show " << visible(text) << (t->ended ? " (program ended)" : "")
         << "; it shows " << visible(t->screen);
}

bool terminal_running_after(Terminal *t, Millis wait) {
  auto end = until(*t, wait);
  while (!t->ended && Clock::now() < end) pump(t, std::min(left(end), kExitCheck));
  past_deadline(t);
  return !t->ended;
}

termios terminal_mode(const Terminal &t) {
  // The master side answers with its partner's mode.
  termios mode = {};
  if (tcgetattr(t.master, &mode) != 0) ADD_FAILURE() << "tcgetattr: " << errno_text();
  return mode;
}

bool terminal_mode_becomes(Terminal *t, const std::function<bool(const termios &)> &holds,
                           Millis within) {
  auto end = until(*t, within);
  for (;;) {
    if (holds(terminal_mode(*t))) return true;
    if (t->ended || past_deadline(t) || Clock::now() >= end) return false;
    pump(t, std::min(left(end), Millis(1)));
  }
}

void terminal_signal(const Terminal &t, int signo) {
  if (!t.ended && kill(t.pid, signo) != 0) ADD_FAILURE() << "kill: " << errno_text();
}

RunResult terminal_finish(Terminal *t, Millis within) {
  RunResult result;
  auto end = until(*t, within);
  while (!t->ended && Clock::now() < end) pump(t, std::min(left(end), kExitCheck));
  result.finished = t->ended;
  if (!t->ended) {
    kill_now(t);
    ADD_FAILURE() << "dicestat did not end within " << within.count()
                  << " ms and was killed; screen: " << visible(t->screen);
  }
  take_rest_of_screen(t);
  result.exited = WIFEXITED(t->wait_status);
  result.status = result.exited ? WEXITSTATUS(t->wait_status) : WTERMSIG(t->wait_status);
  result.out = t->screen;
  result.err = t->err;
  result.dice = read_back(t->scratch.path() + "/dicefile.txt");
  result.stat = read_back(t->scratch.path() + "/statfile.txt");
  return result;
}

::testing::AssertionResult same_mode(const termios &expected, const termios &actual) {
  ::testing::AssertionResult verdict = ::testing::AssertionSuccess();
  bool differs = false;
  auto flags = [&](const char *name, tcflag_t want, tcflag_t got) {
    if (want == got) return;
    if (!differs) verdict = ::testing::AssertionFailure();
    differs = true;
    char text[96];
    std::snprintf(text, sizeof text, "\n  %s %#o, not %#o", name, static_cast<unsigned>(got),
                  static_cast<unsigned>(want));
    verdict << text;
  };
  flags("c_iflag", expected.c_iflag, actual.c_iflag);
  flags("c_oflag", expected.c_oflag, actual.c_oflag);
  flags("c_cflag", expected.c_cflag, actual.c_cflag);
  flags("c_lflag", expected.c_lflag, actual.c_lflag);
  for (size_t i = 0; i < NCCS; ++i)
    if (expected.c_cc[i] != actual.c_cc[i])
      flags(("c_cc[" + std::to_string(i) + "]").c_str(), expected.c_cc[i], actual.c_cc[i]);
  return verdict;
}

std::string visible(const std::string &bytes) {
  std::string text = "\"";
  for (unsigned char c : bytes) {
    if (c == '\r')
      text += "\\r";
    else if (c == '\n')
      text += "\\n";
    else if (c < 0x20 || c >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      text += hex;
    } else {
      text += static_cast<char>(c);
    }
  }
  return text + "\"";
}

} // namespace e2e
