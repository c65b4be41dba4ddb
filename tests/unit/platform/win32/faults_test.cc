// The Windows backend under failing system calls, each faked through the
// call table: writes through a stream to a real file, the key wait on a
// faked console, and the clock's queries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fault_script.h"
#include "platform/io/stream.h"
#include "platform/platform.h"
#include "platform/time/clock.h"
#include "platform/win32/calls.h"
#include "platform/win32/file_bytes.h"
#include "support/scratch.h"

namespace {

// What the faked WriteFile does on each call; kNone makes the real call.
FaultScript script;

BOOL WINAPI scripted_write(HANDLE file, LPCVOID data, DWORD size, LPDWORD took, LPOVERLAPPED) {
  Fault fault = next_fault(&script);
  *took = 0;
  if (fault == kFail || fault == kNothing) return fault == kNothing;
  DWORD piece = fault == kShort ? size / 2 + 1 : size; // short from two bytes up
  return Win32Calls{}.WriteFile(file, data, piece, took, nullptr);
}

BOOL WINAPI failed_close(HANDLE handle) {
  return !Win32Calls{}.CloseHandle(handle);
}

// 40000 bytes go out in three writes: two full buffers, then the rest when
// the stream is closed.
constexpr size_t kBytes = 40000, kFull = kStreamBufferSize;

TEST(Win32Faults, WritesThroughAStream) {
  struct {
    FaultScript faults;
    bool close_fails;
    size_t kept;
    int closed;
  } cases[] = {
      {{}, false, kBytes, 0},
      {{{kFail}}, false, 0, -1},
      {{{kNone, kFail}}, false, kFull, -1}, // failed once: the stream stays silent
      {{{kNone, kFail}, true}, false, kFull, -1},
      {{{kNone, kNone, kFail}}, false, 2 * kFull, -1}, // the write at the close
      {{{kShort}}, false, kBytes, 0},                  // the rest follows
      {{{kShort}, true}, false, kBytes, 0},
      {{{kNone, kShort, kFail}}, false, kFull + kFull / 2 + 1, -1},
      {{{kNone, kNothing}}, false, kFull, -1},
      {{}, true, kBytes, -1}, // every byte written, the close fails
  };
  std::string bytes(kBytes, 0);
  for (size_t i = 0; i < kBytes; ++i) bytes[i] = static_cast<char>('a' + i % 26);
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const auto &c = cases[i];
    Scratch dir;
    std::string path = dir.path("dicefile.txt");
    Stream *file = create_text_file(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    script = c.faults;
    sys.WriteFile = scripted_write;
    if (c.close_fails) sys.CloseHandle = failed_close;
    write_block(file, bytes.data(), bytes.size());
    EXPECT_EQ(close_stream(file), c.closed) << "case " << i;
    sys = Win32Calls{};
    EXPECT_EQ(win32_test::contents(path), bytes.substr(0, c.kept)) << "case " << i;
  }
}

// A faked console: every call is noted in `log`, and the one named in
// `failing` fails.
std::string log, failing;
constexpr DWORD kCookedMode = 0x1f7;

bool note(const char *call) {
  log += log.empty() ? call : std::string(" ") + call;
  return failing != call;
}
HANDLE WINAPI open_console(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  return reinterpret_cast<HANDLE>(0x5eed);
}
BOOL WINAPI get_mode(HANDLE, LPDWORD mode) {
  *mode = kCookedMode;
  return note("get");
}
BOOL WINAPI set_mode(HANDLE, DWORD mode) {
  return note(mode == 0 ? "raw" : mode == kCookedMode ? "restore" : "other");
}
BOOL WINAPI read_console(HANDLE, LPVOID key, DWORD, LPDWORD got, LPVOID) {
  *static_cast<char *>(key) = 'k';
  *got = note("read");
  return *got;
}

TEST(Win32Faults, KeyWaitPutsTheModeBack) {
  struct {
    const char *failing;
    int key;
    const char *log;
  } cases[] = {
      {"", 'k', "get raw read restore"},    {"get", -1, "get"}, // nothing to put back
      {"raw", -1, "get raw restore"},                           // no key read in the wrong mode
      {"read", -1, "get raw read restore"}, {"restore", 'k', "get raw read restore"},
  };
  for (const auto &c : cases) {
    log.clear(), failing = c.failing;
    sys.CreateFileA = open_console;
    sys.GetConsoleMode = get_mode;
    sys.SetConsoleMode = set_mode;
    sys.ReadConsoleA = read_console;
    sys.CloseHandle = [](HANDLE) -> BOOL { return TRUE; };
    host_open_terminal();
    EXPECT_EQ(wait_key(), c.key) << c.failing;
    EXPECT_EQ(log, c.log);
    host_finish();
    sys = Win32Calls{};
  }
}

// The host's zone is an hour east, and TZ is set nowhere.
SYSTEMTIME local;
DWORD zone_answer;

TEST(Win32Faults, ClockFromTheHostsTimeAndZone) {
  const SYSTEMTIME kJanuary = {2026, 1, 4, 15, 12, 0, 0, 0}; // 1768478400 as if UTC
  const int32_t kDefault = 1768478400 + kDefaultZone.offset, kHostZone = 1768478400 - 3600;
  struct {
    SYSTEMTIME now;
    DWORD answer;
    int32_t clock;
  } cases[] = {
      {kJanuary, TIME_ZONE_ID_INVALID, kDefault},
      {kJanuary, TIME_ZONE_ID_UNKNOWN, kDefault},
      {kJanuary, TIME_ZONE_ID_STANDARD, kHostZone},
      {kJanuary, TIME_ZONE_ID_DAYLIGHT, kHostZone},
      {kJanuary, 7, kDefault}, // an answer the system does not give
      {{1969, 12, 3, 31, 23, 59, 59, 999}, TIME_ZONE_ID_STANDARD, kBeforeEpoch},
  };
  for (const auto &c : cases) {
    local = c.now, zone_answer = c.answer;
    sys.GetLocalTime = [](LPSYSTEMTIME now) { *now = local; };
    sys.GetEnvironmentVariableA = [](LPCSTR, LPSTR, DWORD) -> DWORD { return 0; };
    sys.GetTimeZoneInformation = [](LPTIME_ZONE_INFORMATION info) {
      *info = {};
      info->Bias = info->DaylightBias = -60;
      info->StandardDate.wMonth = 10;
      info->DaylightDate.wMonth = 3;
      return zone_answer;
    };
    ClockState state = {};
    EXPECT_EQ(read_clock_with(&state), c.clock) << c.answer;
    sys = Win32Calls{};
  }
}

} // namespace
