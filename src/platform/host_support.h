// What the portable layer lends the backends, who provide host.h in return;
// the frame's start and fatal report, which they call too, are in
// process/frame.h.
#pragma once

#include "platform/host.h"

// The exit status of the frame's own failures: a fatal report or a fault.
constexpr int32_t kFatalStatus = 1;

// What one attempt to write gave: the bytes taken, 0 to the size asked, or
// one of these.
constexpr long kWriteFailed = -1;
constexpr long kWriteInterrupted = -2; // a signal came first: nothing taken, try again

enum class ReadStatus {
  kOk,         // `got` bytes arrived; 0 means end of input
  kEnded,      // the writer has gone (a broken pipe): end of input
  kFailed,     // a read error
  kInterrupted // a signal came first: nothing read, try again
};

// Makes `attempt` again while `interrupted` finds that a signal came before
// it did anything: the one retry loop, for portable and raw calls alike.
template <class Attempt, class Interrupted>
auto retry_interrupted(Attempt attempt, Interrupted interrupted) -> decltype(attempt()) {
  decltype(attempt()) result = attempt();
  while (interrupted(result)) result = attempt();
  return result;
}

// A stream's way to its handle. Each stream carries its own, so that a test
// can give one stream a failing or short writer and leave the rest alone.
struct StreamHooks {
  long (*write)(Handle handle, const void *data, size_t size);             // one attempt
  ReadStatus (*read)(Handle handle, void *data, size_t size, size_t *got); // one attempt
  bool (*close)(Handle handle);                                            // releases it
};

// Writes all `size` bytes through `hooks`, going on after short and
// interrupted writes; a failed write, or one that takes nothing, ends it.
// Returns true when everything was taken.
inline bool write_all(const StreamHooks &hooks, Handle handle, const void *data, size_t size) {
  const char *bytes = static_cast<const char *>(data);
  for (size_t done = 0; done < size;) {
    long n = retry_interrupted([&] { return hooks.write(handle, bytes + done, size - done); },
                               [](long result) { return result == kWriteInterrupted; });
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}
