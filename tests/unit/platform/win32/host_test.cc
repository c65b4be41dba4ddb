// The Windows host table against the system itself (under Wine on Linux):
// files, pipes, devices and the environment.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "platform/host_support.h"
#include "platform/process/environment.h"
#include "platform/win32/file_bytes.h"
#include "platform/win32/win32.h"
#include "support/scratch.h"

namespace {

using win32_test::contents;
using win32_test::put_file;

Handle handle_from(HANDLE handle) {
  return reinterpret_cast<Handle>(handle);
}

HANDLE open_shared(const std::string &path, DWORD access, DWORD sharing) {
  return CreateFileA(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

TEST(Win32Files, CreateCutsAnOldFileAndLetsOthersIn) {
  Scratch dir;
  std::string path = dir.path("statfile.txt");
  put_file(path, std::string(100000, 'y'));
  Handle file = host_create_file(path.c_str());
  ASSERT_NE(file, kNoHandle);
  EXPECT_EQ(contents(path), "") << "cut to length 0 before any write";

  // Readers and writers of their own may open it while it is open here.
  HANDLE other =
      open_shared(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_NE(other, INVALID_HANDLE_VALUE);
  if (other != INVALID_HANDLE_VALUE) CloseHandle(other);

  EXPECT_TRUE(write_all(host_file_hooks, file, "Seed: 7 \r\n", 10));
  EXPECT_TRUE(host_file_hooks.close(file));
  EXPECT_EQ(contents(path), "Seed: 7 \r\n");
}

TEST(Win32Files, CreateIsRefused) {
  struct {
    const char *why;
    std::function<void(const std::string &path)> prepare;
    const char *name;
  } cases[] = {
      {"a folder of that name", [](const std::string &p) { CreateDirectoryA(p.c_str(), nullptr); },
       "dicefile.txt"},
      {"in a folder that does not exist", [](const std::string &) {}, "missing\\dicefile.txt"},
  };
  for (const auto &c : cases) {
    Scratch dir;
    std::string path = dir.path(c.name);
    c.prepare(path);
    EXPECT_EQ(host_create_file(path.c_str()), kNoHandle) << c.why;
  }
}

// Another process holding the file without sharing it keeps it from being
// created, and from being cut.
TEST(Win32Files, CreateIsRefusedWhileHeldWithoutSharing) {
  Scratch dir;
  std::string path = dir.path("dicefile.txt");
  put_file(path, "kept");
  HANDLE holder = open_shared(path, GENERIC_READ, 0);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  Handle file = host_create_file(path.c_str());
  EXPECT_EQ(file, kNoHandle);
  if (file != kNoHandle) host_file_hooks.close(file);
  CloseHandle(holder);
  EXPECT_EQ(contents(path), "kept");
}

TEST(Win32Files, WriteFailureTakesNothing) {
  Scratch dir;
  std::string path = dir.path("dicefile.txt");
  put_file(path, "");
  HANDLE read_only = open_shared(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(read_only, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(write_all(host_file_hooks, handle_from(read_only), "53 ", 3));
  CloseHandle(read_only);
  EXPECT_EQ(contents(path), "");
}

// One read of each kind, with its status and the bytes it delivered.
struct Read {
  ReadStatus status;
  std::string bytes;
};

Read read_once(Handle handle) {
  char data[64];
  size_t got = 99;
  ReadStatus status = host_file_hooks.read(handle, data, sizeof data, &got);
  return {status, std::string(data, status == ReadStatus::kOk ? got : 0)};
}

TEST(Win32Reads, BrokenPipeEndsTheInput) {
  HANDLE reader, writer;
  ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(writer, "36\r\n", 4, &written, nullptr));
  CloseHandle(writer);

  Read first = read_once(handle_from(reader));
  EXPECT_EQ(first.status, ReadStatus::kOk);
  EXPECT_EQ(first.bytes, "36\r\n");
  // The writer has gone: that is the end of input, not a read error.
  EXPECT_EQ(read_once(handle_from(reader)).status, ReadStatus::kEnded);
  CloseHandle(reader);
}

TEST(Win32Reads, OtherFailuresAreErrors) {
  Scratch dir;
  std::string path = dir.path("answers.txt");
  put_file(path, "12\r\n");
  HANDLE write_only = open_shared(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(write_only, INVALID_HANDLE_VALUE);
  EXPECT_EQ(read_once(handle_from(write_only)).status, ReadStatus::kFailed)
      << "a write-only handle";
  CloseHandle(write_only);
  EXPECT_EQ(read_once(kNoHandle).status, ReadStatus::kFailed) << "no handle";

  // A file read to its end gives no bytes and no failure.
  HANDLE file = open_shared(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  Read first = read_once(handle_from(file));
  Read second = read_once(handle_from(file));
  EXPECT_EQ(first.status, ReadStatus::kOk);
  EXPECT_EQ(first.bytes, "12\r\n");
  EXPECT_EQ(second.status, ReadStatus::kOk);
  EXPECT_EQ(second.bytes, "");
  CloseHandle(file);
}

TEST(Win32Writes, PipeWithoutReaderFails) {
  HANDLE reader, writer;
  ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
  CloseHandle(reader);
  EXPECT_FALSE(write_all(host_file_hooks, handle_from(writer), "Enter", 5));
  CloseHandle(writer);
}

TEST(Win32Devices, OnlyCharacterDevicesAreInteractive) {
  Scratch dir;
  std::string path = dir.path("statfile.txt");
  put_file(path, "");
  HANDLE null_device = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE file = open_shared(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  HANDLE reader, writer;
  ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
  ASSERT_NE(null_device, INVALID_HANDLE_VALUE);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);

  EXPECT_TRUE(host_is_char_device(handle_from(null_device))) << "the null device";
  EXPECT_FALSE(host_is_char_device(handle_from(file))) << "a file on disk";
  EXPECT_FALSE(host_is_char_device(handle_from(writer))) << "a pipe";
  for (HANDLE h : {null_device, file, reader, writer}) CloseHandle(h);
}

// Sets a variable of the process for the life of this, and removes it after.
struct ScopedVariable {
  const char *name;
  ScopedVariable(const char *n, const char *value) : name(n) { SetEnvironmentVariableA(n, value); }
  ~ScopedVariable() { SetEnvironmentVariableA(name, nullptr); }
};

TEST(Win32Environment, TableIsTakenOnceFromTheBlock) {
  ScopedVariable variable("DICESTAT_TABLE_TEST", "a=b c");
  char **taken = environment_take();
  ASSERT_NE(taken, nullptr);
  SetEnvironmentVariableA("DICESTAT_TABLE_TEST", "changed");
  // The table holds copies: a later change is not seen.
  EXPECT_STREQ(find_environment(taken, "dicestat_table_test"), "a=b c");
  EXPECT_STREQ(find_environment(taken, "TZ_NOT_SET_ANYWHERE"), nullptr);
  environment_release();
  host_release(taken);
}

TEST(Win32Environment, HostLookup) {
  // Longer than any path, to show the value is not cut.
  std::string long_value(10000, 'L');
  ScopedVariable set("DICESTAT_LOOKUP", "CET-1");
  ScopedVariable empty("DICESTAT_EMPTY", "");
  ScopedVariable large("DICESTAT_LONG", long_value.c_str());
  struct {
    const char *why;
    const char *name;
    const char *value; // null: none
  } cases[] = {
      {"a value", "DICESTAT_LOOKUP", "CET-1"},
      {"the name in any case", "dicestat_lookup", "CET-1"},
      {"an empty value is none", "DICESTAT_EMPTY", nullptr},
      {"no such variable", "DICESTAT_ABSENT", nullptr},
  };
  for (const auto &c : cases) {
    const char *value = host_environment_variable(c.name);
    if (c.value)
      EXPECT_STREQ(value, c.value) << c.why;
    else
      EXPECT_EQ(value, nullptr) << c.why;
  }
  const char *value = host_environment_variable("DICESTAT_LONG");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(strlen(value), long_value.size());
  EXPECT_TRUE(value == long_value);
}

} // namespace
