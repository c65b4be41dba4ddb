// The POSIX backend under injected faults, through its table of raw calls:
// writes that fail, come up short or are interrupted; the key wait when the
// terminal's mode cannot be read or set; a clock that cannot be read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fault_script.h"
#include "platform/io/stream.h"
#include "platform/platform.h"
#include "platform/posix/calls.h"
#include "support/scratch.h"

namespace {

FaultScript script;

// Answers -1 with `error`.
int fail_with(int error) {
  errno = error;
  return -1;
}

struct InjectedCalls {
  explicit InjectedCalls(FaultScript faults) { script = faults; }
  ~InjectedCalls() { sys = PosixCalls{}; }
};

ssize_t faulty_write(int fd, const void *data, size_t size) {
  switch (next_fault(&script)) {
  case kFail:
    return fail_with(ENOSPC);
  case kShort:
    return ::write(fd, data, size / 2 + 1 < size ? size / 2 + 1 : size);
  case kInterrupt:
    return fail_with(EINTR);
  case kNothing:
    return 0;
  case kNone:
    break;
  }
  return ::write(fd, data, size);
}

TEST(PosixFaults, WritesThroughAStream) {
  // Three full buffers and a part: four writes when nothing goes wrong.
  const std::string text(3 * kStreamBufferSize + 100, 'x');
  const size_t kept_before_second = kStreamBufferSize;
  struct {
    const char *why;
    FaultScript faults;
    int close_result;
    size_t kept;
  } cases[] = {
      {"the second write fails once", {{kNone, kFail}}, -1, kept_before_second},
      {"every write from the second on fails", {{kNone, kFail}, true}, -1, kept_before_second},
      {"the first write fails", {{kFail}}, -1, 0},
      {"the last write fails", {{kNone, kNone, kNone, kFail}}, -1, 3 * kStreamBufferSize},
      {"the second write comes up short once", {{kNone, kShort}}, 0, text.size()},
      {"every write comes up short", {{kShort}, true}, 0, text.size()},
      {"the second write is interrupted once", {{kNone, kInterrupt}}, 0, text.size()},
      {"the first write is interrupted", {{kInterrupt}}, 0, text.size()},
  };
  Scratch dir;
  ASSERT_FALSE(dir.dir.empty());
  std::string path = dir.path("dicefile.txt");
  for (const auto &c : cases) {
    InjectedCalls injected(c.faults);
    sys.write = faulty_write;
    Stream *file = create_text_file(path.c_str(), "w");
    ASSERT_NE(file, nullptr) << c.why;
    write_block(file, text.data(), text.size());
    EXPECT_EQ(close_stream(file), c.close_result) << c.why;
    std::string kept = read_file(path);
    EXPECT_EQ(kept.size(), c.kept) << c.why;
    EXPECT_TRUE(kept == text.substr(0, kept.size()))
        << c.why << ": the bytes kept are not the text";
  }
}

// A terminal that is never opened: every call the key wait makes is faked,
// and what it set the mode to is kept. A kFail fault fails every call, a
// kInterrupt fault only the first.
constexpr int kFakeTty = 1000;
constexpr tcflag_t kCookedFlags = ICANON | ECHO;
std::vector<tcflag_t> modes_set;
Fault get_fault, raw_fault, restore_fault, read_fault;

// Whether the call meets `*fault`; an interruption is spent by it.
bool meets(Fault *fault) {
  Fault met = *fault;
  if (met == kInterrupt) *fault = kNone;
  return met != kNone;
}
int fail_for(Fault fault) {
  return fail_with(fault == kInterrupt ? EINTR : EIO);
}

int fake_open(const char *, int, mode_t) {
  return kFakeTty;
}
int fake_close(int) {
  return 0;
}
int fake_tcgetattr(int, termios *mode) {
  Fault fault = get_fault;
  if (meets(&get_fault)) return fail_for(fault);
  *mode = termios{};
  mode->c_lflag = kCookedFlags;
  return 0;
}
int fake_tcsetattr(int, int, const termios *mode) {
  Fault *fault = mode->c_lflag == kCookedFlags ? &restore_fault : &raw_fault;
  Fault met = *fault;
  if (meets(fault)) return fail_for(met);
  modes_set.push_back(mode->c_lflag);
  return 0;
}
ssize_t fake_read(int, void *data, size_t) {
  Fault fault = read_fault;
  if (meets(&read_fault)) return fail_for(fault);
  *static_cast<unsigned char *>(data) = 'k';
  return 1;
}

TEST(PosixFaults, KeyWaitPutsTheModeBack) {
  const std::vector<tcflag_t> raw_then_back = {0, kCookedFlags};
  struct {
    const char *why;
    Fault get, raw, restore, read;
    int key;
    std::vector<tcflag_t> modes;
  } cases[] = {
      {"no faults", kNone, kNone, kNone, kNone, 'k', raw_then_back},
      {"the mode cannot be read: nothing changes", kFail, kNone, kNone, kNone, -1, {}},
      {"reading the mode is interrupted", kInterrupt, kNone, kNone, kNone, 'k', raw_then_back},
      {"raw mode cannot be set: no key is read", kNone, kFail, kNone, kNone, -1, {kCookedFlags}},
      {"setting raw mode is interrupted", kNone, kInterrupt, kNone, kNone, 'k', raw_then_back},
      {"putting the mode back is interrupted", kNone, kNone, kInterrupt, kNone, 'k', raw_then_back},
      {"the mode cannot be put back", kNone, kNone, kFail, kNone, 'k', {0}},
      {"the read fails", kNone, kNone, kNone, kFail, -1, raw_then_back},
      {"the read is interrupted", kNone, kNone, kNone, kInterrupt, 'k', raw_then_back},
  };
  for (const auto &c : cases) {
    InjectedCalls reset({});
    sys.open = fake_open;
    sys.close = fake_close;
    sys.tcgetattr = fake_tcgetattr;
    sys.tcsetattr = fake_tcsetattr;
    sys.read = fake_read;
    get_fault = c.get, raw_fault = c.raw, restore_fault = c.restore, read_fault = c.read;
    modes_set.clear();
    host_open_terminal();
    EXPECT_EQ(host_read_key(), c.key) << c.why;
    host_finish();
    EXPECT_EQ(modes_set, c.modes) << c.why;
  }
}

int failing_clock(clockid_t, timespec *) {
  return fail_with(EINVAL);
}
tm *failing_localtime(const time_t *, tm *) {
  errno = EOVERFLOW;
  return nullptr;
}

// The clock takes a reading before 1970 for -1, a seed that still repeats.
TEST(PosixFaults, UnreadableClockReadsAsBefore1970) {
  struct {
    const char *why;
    decltype(PosixCalls::clock_gettime) clock_gettime;
    decltype(PosixCalls::localtime_r) localtime_r;
  } cases[] = {
      {"clock_gettime fails", failing_clock, ::localtime_r},
      {"localtime_r fails", ::clock_gettime, failing_localtime},
  };
  for (const auto &c : cases) {
    InjectedCalls reset({});
    sys.clock_gettime = c.clock_gettime;
    sys.localtime_r = c.localtime_r;
    LocalTime now;
    host_local_time(&now);
    EXPECT_LT(now.year, 1970) << c.why;
  }
}

} // namespace
