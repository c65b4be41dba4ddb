// The raw system calls of the POSIX backend, in one table so that tests can
// make a call fail, come up short or be interrupted.
#pragma once

#include <cerrno>
#include <sys/types.h>

struct Syscalls {
  ssize_t (*read)(int fd, void *data, size_t size);
  ssize_t (*write)(int fd, const void *data, size_t size);
  int (*open)(const char *path, int flags, mode_t mode);
  int (*close)(int fd);
};

extern Syscalls sys;

// Repeats a call that a signal interrupted before it did anything.
template <class Call> auto retry_after_signal(Call call) -> decltype(call()) {
  decltype(call()) result;
  do result = call();
  while (result == -1 && errno == EINTR);
  return result;
}
