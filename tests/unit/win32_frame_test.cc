// The end of the process on Windows, in a child process of the test: the
// streams flushed and closed with the status handed on, or a processor fault
// that ends it with status 1 and nothing flushed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/win32.h"
#include "win32_scratch.h"

namespace {

using win32_test::contents;

// The child runs the whole test again, so the file's path must come out the
// same there: a fixed name in the temporary folder, gone before each use.
std::string fresh_file(const char *name) {
  char base[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof base, base);
  std::string path = std::string(base, length) + name;
  DeleteFileA(path.c_str());
  return path;
}

TEST(Win32EndProcessDeathTest, FlushesEveryFileAndHandsOnTheStatus) {
  // Every bit of the status reaches the parent.
  for (int32_t status : {0, 7, -1, INT32_MIN}) {
    SCOPED_TRACE(status);
    std::string path = fresh_file("dicestat-end-process.txt");
    EXPECT_EXIT(
        {
          Stream *file = create_text_file(path.c_str(), "w");
          write_formatted(file, "%d \n", 53);
          end_process(status);
        },
        ::testing::ExitedWithCode(status), "");
    EXPECT_EQ(contents(path), "53 \r\n");
    DeleteFileA(path.c_str());
  }
}

TEST(Win32FaultDeathTest, EndsWithStatusOneAndLosesBufferedBytes) {
  std::string path = fresh_file("dicestat-fault.txt");
  EXPECT_EXIT(
      {
        win32_catch_faults();
        Stream *file = create_text_file(path.c_str(), "w");
        write_formatted(file, "%d \n", 53);
        int *volatile nowhere = nullptr;
        *nowhere = 1;
      },
      ::testing::ExitedWithCode(1), "dicestat: fatal processor fault c0000005\n");
  EXPECT_EQ(contents(path), "");
  DeleteFileA(path.c_str());
}

} // namespace
