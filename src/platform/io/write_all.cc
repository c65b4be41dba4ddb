// The one loop over short and interrupted writes, for every backend.
#include "platform/host.h"

bool write_all(const StreamHooks &hooks, Handle handle, const void *data, size_t size) {
  const char *bytes = static_cast<const char *>(data);
  for (size_t done = 0; done < size;) {
    long n = retry_interrupted([&] { return hooks.write(handle, bytes + done, size - done); },
                               [](long result) { return result == kWriteInterrupted; });
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}
