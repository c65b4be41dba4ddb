// Every system call the POSIX backend makes, in one table, so that a test can
// make any call fail, come up short or be interrupted, and put the real one
// back with `sys = PosixCalls{}`. Each member is set where it is declared:
// a slot cannot be left out, nor filled by position.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/host_support.h"

// open(2) with its mode always given, so that the slot has a plain type.
inline int open_with_mode(const char *path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}

struct PosixCalls {
  ssize_t (*read)(int, void *, size_t) = ::read;
  ssize_t (*write)(int, const void *, size_t) = ::write;
  int (*open)(const char *, int, mode_t) = open_with_mode;
  int (*close)(int) = ::close;
  int (*fstat)(int, struct stat *) = ::fstat;
  int (*isatty)(int) = ::isatty;
  int (*tcgetattr)(int, termios *) = ::tcgetattr;
  int (*tcsetattr)(int, int, const termios *) = ::tcsetattr;
  int (*sigaction)(int, const struct sigaction *, struct sigaction *) = ::sigaction;
  int (*raise)(int) = ::raise;
  int (*clock_gettime)(clockid_t, timespec *) = ::clock_gettime;
  tm *(*localtime_r)(const time_t *, tm *) = ::localtime_r;
  void (*tzset)() = ::tzset; // reads TZ or the host's zone afresh
  void *(*malloc)(size_t) = ::malloc;
  void (*free)(void *) = ::free;
  void (*exit)(int) = ::_exit; // at once, running nothing of the process's own
};

extern PosixCalls sys;

// Repeats a raw call that a signal interrupted before it did anything.
template <class Call> auto retry_after_signal(Call call) -> decltype(call()) {
  return retry_interrupted(call,
                           [](decltype(call()) result) { return result == -1 && errno == EINTR; });
}
