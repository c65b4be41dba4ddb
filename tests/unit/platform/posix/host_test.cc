// The POSIX backend's file calls under interrupted, short and failing
// system calls.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/posix/calls.h"

namespace {

// Scripted answers for write(2): a byte count to take, or -errno.
std::vector<long> script;
size_t step;
std::string sink;

ssize_t scripted_write(int, const void *data, size_t size) {
  long answer = step < script.size() ? script[step++] : static_cast<long>(size);
  if (answer < 0) {
    errno = static_cast<int>(-answer);
    return -1;
  }
  size_t taken = static_cast<size_t>(answer) < size ? static_cast<size_t>(answer) : size;
  sink.append(static_cast<const char *>(data), taken);
  return static_cast<ssize_t>(taken);
}

ssize_t scripted_read(int, void *data, size_t) {
  long answer = step < script.size() ? script[step++] : 0;
  if (answer < 0) {
    errno = static_cast<int>(-answer);
    return -1;
  }
  memset(data, 'r', static_cast<size_t>(answer));
  return answer;
}

struct ScriptedSyscalls {
  explicit ScriptedSyscalls(std::vector<long> answers) {
    script = std::move(answers);
    step = 0;
    sink.clear();
    sys.write = scripted_write;
    sys.read = scripted_read;
  }
  ~ScriptedSyscalls() { sys = PosixCalls{}; }
};

TEST(PosixWrite, GoesOnAfterSignalsAndShortWrites) {
  struct {
    const char *why;
    std::vector<long> answers;
    bool ok;
    size_t written; // bytes the sink took
  } cases[] = {
      {"all at once", {}, true, 10},
      {"interrupted before anything was written", {-EINTR, -EINTR}, true, 10},
      {"short writes", {3, 1, 4}, true, 10},
      {"short, interrupted, short", {6, -EINTR, 2}, true, 10},
      {"disk full after some bytes", {4, -ENOSPC}, false, 4},
      {"file too large at once", {-EFBIG}, false, 0},
      {"a write that takes nothing", {5, 0}, false, 5},
  };
  for (const auto &c : cases) {
    ScriptedSyscalls scripted(c.answers);
    EXPECT_EQ(write_all(host_file_hooks, 1, "0123456789", 10), c.ok) << c.why;
    EXPECT_EQ(sink, std::string("0123456789").substr(0, c.written)) << c.why;
  }
}

TEST(PosixRead, RetriesAfterSignalsOnly) {
  struct {
    std::vector<long> answers;
    ReadStatus status;
    size_t got;
  } cases[] = {
      {{-EINTR, 5}, ReadStatus::kInterrupted, 0},
      {{0}, ReadStatus::kOk, 0}, // end of input
      {{-EIO}, ReadStatus::kFailed, 0},
  };
  for (const auto &c : cases) {
    ScriptedSyscalls scripted(c.answers);
    char data[8];
    size_t got = 99;
    EXPECT_EQ(host_file_hooks.read(0, data, sizeof data, &got), c.status);
    EXPECT_EQ(got, c.got);
  }
}

} // namespace
