// The one loop over short and interrupted writes, for every backend.
#include "platform/host.h"

bool write_all(const StreamHooks &hooks, Handle handle, const void *data, size_t size,
               size_t *written) {
  const char *bytes = static_cast<const char *>(data);
  size_t done = 0;
  while (done < size) {
    long n = hooks.write(handle, bytes + done, size - done);
    if (n == kWriteInterrupted) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  *written = done;
  return done == size;
}
