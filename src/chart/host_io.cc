#include "chart/host_io.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t *interrupted = nullptr;

void note_interrupt(int) {
  *interrupted = 1;
}

// How long to wait for a followed file to grow: short enough that a line
// written to it is answered at once, to a person's eye.
constexpr int kPauseMilliseconds = 100;

} // namespace

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

void use_binary_stdio() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

int open_to_follow(const char *path) {
  return _open(path, _O_RDONLY | _O_BINARY);
}

long read_some(int fd, void *bytes, size_t size) {
  return _read(fd, bytes, static_cast<unsigned>(size));
}

bool input_waiting(int) {
  return false;
}

bool is_terminal(int fd) {
  return _isatty(fd) != 0;
}

void on_interrupt(volatile std::sig_atomic_t *flag) {
  interrupted = flag;
  std::signal(SIGINT, note_interrupt);
}

void pause_briefly() {
  Sleep(kPauseMilliseconds);
}
#else
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <ctime>

void use_binary_stdio() {}

int open_to_follow(const char *path) {
  return open(path, O_RDONLY);
}

long read_some(int fd, void *bytes, size_t size) {
  return static_cast<long>(read(fd, bytes, size));
}

bool input_waiting(int fd) {
  pollfd one = {fd, POLLIN, 0};
  return poll(&one, 1, 0) > 0;
}

bool is_terminal(int fd) {
  return isatty(fd) != 0;
}

void on_interrupt(volatile std::sig_atomic_t *flag) {
  interrupted = flag;
  struct sigaction action = {};
  action.sa_handler = note_interrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0; // no SA_RESTART: a read waiting for input returns
  sigaction(SIGINT, &action, nullptr);
}

void pause_briefly() {
  timespec wait = {0, kPauseMilliseconds * 1000000L};
  nanosleep(&wait, nullptr);
}
#endif
