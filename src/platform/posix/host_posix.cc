// The host table for POSIX systems: file descriptors stand for handles.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/host.h"
#include "platform/posix/posix.h"
#include "platform/posix/syscalls.h"
#include "platform/posix/terminal.h"

namespace {

int open_file(const char *path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}

} // namespace

Syscalls sys = {::read, ::write, open_file, ::close};

namespace {

int fd_of(Handle handle) {
  return static_cast<int>(handle);
}

Handle std_handle(int slot) {
  return slot;
}

// Created or cut to length 0; the file stays open to other readers and
// writers, as every file is here.
Handle create_file(const char *name) {
  int fd = retry_after_signal(
      [&] { return sys.open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); });
  return fd < 0 ? kNoHandle : fd;
}

// Goes on after a short write or an interrupted one; only a real error, or
// a write that takes nothing, ends it.
bool write_file(Handle handle, const void *data, size_t size, size_t *written) {
  const char *bytes = static_cast<const char *>(data);
  size_t done = 0;
  while (done < size) {
    ssize_t n =
        retry_after_signal([&] { return sys.write(fd_of(handle), bytes + done, size - done); });
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  *written = done;
  return done == size;
}

ReadStatus read_file(Handle handle, void *data, size_t size, size_t *got) {
  ssize_t n = retry_after_signal([&] { return sys.read(fd_of(handle), data, size); });
  *got = n > 0 ? static_cast<size_t>(n) : 0;
  return n < 0 ? ReadStatus::kFailed : ReadStatus::kOk;
}

// An interrupted close has still released the descriptor on Linux.
bool close_handle(Handle handle) {
  return sys.close(fd_of(handle)) == 0 || errno == EINTR;
}

bool is_char_device(Handle handle) {
  struct stat st;
  return fstat(fd_of(handle), &st) == 0 && S_ISCHR(st.st_mode);
}

void *allocate(size_t size) {
  return malloc(size);
}

void release(void *block) {
  free(block);
}

// The environment table is the host's own environment: there is nothing
// more to find.
const char *environment_variable(const char *) {
  return nullptr;
}

void exit_process(int32_t status) {
  _exit(status);
}

} // namespace

Host host = {std_handle,           create_file,      write_file,       read_file,
             close_handle,         is_char_device,   allocate,         release,
             terminal_read_key,    terminal_close,   posix_local_time, posix_zone_info,
             environment_variable, posix_show_fatal, exit_process};
