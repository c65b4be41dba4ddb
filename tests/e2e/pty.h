// Runs the built program at a pseudo-terminal of its own, as at a user's
// terminal: it leads a new session whose controlling terminal (its /dev/tty)
// is the pseudo-terminal, which is also its standard input and output.
// Standard error goes to a pipe. The test types bytes, watches the screen,
// reads the terminal's mode and sends signals; every wait has a deadline,
// and the program is killed once its time is up, whatever the test does.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <string>

#include "harness.h"

namespace e2e {

using Millis = std::chrono::milliseconds;

// How long something that should happen may take on a loaded machine.
constexpr Millis kAppears{10000};

struct TerminalOptions {
  std::function<void(const std::string &)> prepare; // sets up the scratch directory
  EnvChanges env;                                   // made to the test's own environment
  int timeout_seconds = 30;                         // killed after this, whatever happens
};

// One program at one terminal. Going out of scope kills a program that is
// still running.
struct Terminal {
  ScratchDir scratch;
  pid_t pid = -1;
  int master = -1;           // the keyboard and screen side
  int slave = -1;            // held open here too, so its mode can be read at any time
  int err_fd = -1;           // read end of standard error
  std::string screen;        // every byte the terminal has shown so far
  std::string err;           // standard error so far
  termios initial_mode = {}; // the mode the program was started with
  std::chrono::steady_clock::time_point deadline; // the program is killed then
  bool ended = false;                             // reaped
  int wait_status = 0;                            // valid once ended

  Terminal() = default;
  Terminal(const Terminal &) = delete;
  Terminal &operator=(const Terminal &) = delete;
  ~Terminal();
};

// Starts the program. The terminal has the system's usual modes (line
// editing, echo, signal keys, CR read as LF) except that output is not
// post-processed, so the screen holds the program's own bytes: a line end
// it writes shows as it wrote it, and the echo of Enter is a bare LF.
// Fails the test and returns false when it cannot.
bool terminal_start(Terminal *t, const TerminalOptions &options);

// Types `bytes` at the keyboard, in one write.
void terminal_type(Terminal *t, const std::string &bytes);

// Waits until the screen contains `text`; false (with the screen in the
// failure message) when it has not by then.
::testing::AssertionResult terminal_shows(Terminal *t, const std::string &text,
                                          Millis within = kAppears);

// Waits `wait`, taking in what the screen shows meanwhile; true when the
// program is still running at the end of it.
bool terminal_running_after(Terminal *t, Millis wait);

// The terminal's mode as it is now.
termios terminal_mode(const Terminal &t);

// Waits until `holds` is true of the terminal's mode.
bool terminal_mode_becomes(Terminal *t, const std::function<bool(const termios &)> &holds,
                           Millis within = kAppears);

// Sends `signo` to the program.
void terminal_signal(const Terminal &t, int signo);

// Waits for the program to end by itself within `within` (killing it then
// and failing the test otherwise), takes the rest of the screen and reads
// back the files. RunResult::out is the whole screen.
RunResult terminal_finish(Terminal *t, Millis within = kAppears);

// Success when the two modes agree in their flags and control characters.
::testing::AssertionResult same_mode(const termios &expected, const termios &actual);

// Shows control bytes of a screen as escapes, for failure messages.
std::string visible(const std::string &bytes);

} // namespace e2e
