// The host for POSIX systems: file descriptors stand for handles, and the C
// library's heap supplies memory.
#include <cfenv>

#include "platform/posix/calls.h"
#include "platform/posix/posix.h"

PosixCalls sys;

namespace {

int fd_of(Handle handle) {
  return static_cast<int>(handle);
}

long write_some(Handle handle, const void *data, size_t size) {
  ssize_t n = sys.write(fd_of(handle), data, size);
  if (n >= 0) return static_cast<long>(n);
  return errno == EINTR ? kWriteInterrupted : kWriteFailed;
}

ReadStatus read_some(Handle handle, void *data, size_t size, size_t *got) {
  ssize_t n = sys.read(fd_of(handle), data, size);
  *got = n > 0 ? static_cast<size_t>(n) : 0;
  if (n >= 0) return ReadStatus::kOk;
  return errno == EINTR ? ReadStatus::kInterrupted : ReadStatus::kFailed;
}

// An interrupted close has still released the descriptor on Linux.
bool close_fd(Handle handle) {
  return sys.close(fd_of(handle)) == 0 || errno == EINTR;
}

// A standard descriptor closed at start is opened on /dev/null before
// anything else, or the next file opened (a report file, the terminal)
// would take its number and be read as standard input or receive standard
// output. Once here covers every later open, the C library's included.
void guard_standard_descriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    struct stat st;
    if (sys.fstat(fd, &st) == 0 || errno != EBADF) continue;
    int mode = fd == STDIN_FILENO ? O_RDONLY : O_WRONLY;
    retry_after_signal([&] { return sys.open("/dev/null", mode, 0); });
  }
}

} // namespace

const StreamHooks host_file_hooks = {write_some, read_some, close_fd};

// The host has built the argument list and the environment already. A
// closed pipe or a file size limit must fail the write, not end the
// process: the run reports its own failures.
ProcessArguments host_start(ProcessArguments given) {
  guard_standard_descriptors();
  posix_catch_faults();
  set_signal(SIGPIPE, SIG_IGN);
  set_signal(SIGXFSZ, SIG_IGN);
  return given;
}

void set_signal(int signo, void (*handler)(int), struct sigaction *previous) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sys.sigaction(signo, &action, previous);
}

void host_set_float_state() {
  fesetround(FE_TONEAREST);
}

void host_exit(int32_t status) {
  sys.exit(status);
  abort(); // the slot's call does not return
}

Handle host_std_handle(int slot) {
  return slot;
}

// Created or cut to length 0; the file stays open to other readers and
// writers, as every file is here.
Handle host_create_file(const char *name) {
  int fd = retry_after_signal(
      [&] { return sys.open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); });
  return fd < 0 ? kNoHandle : fd;
}

bool host_is_char_device(Handle handle) {
  struct stat st;
  return sys.fstat(fd_of(handle), &st) == 0 && S_ISCHR(st.st_mode);
}

void *host_allocate(size_t size) {
  return sys.malloc(size);
}

void host_release(void *block) {
  sys.free(block);
}

// The environment table is the host's own environment: there is nothing
// more to find.
const char *host_environment_variable(const char *) {
  return nullptr;
}
