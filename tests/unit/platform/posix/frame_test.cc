// The end of the process, in a child process of the test: streams flushed
// and closed with the status handed on, or a fatal end with nothing flushed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/io/stream.h"
#include "platform/platform.h"
#include "platform/posix/posix.h"
#include "platform/process/frame.h"

namespace {

// A scratch directory, removed with its files when the test ends.
struct ScratchDir {
  std::string path = ::testing::TempDir() + "frame_test_XXXXXX";
  ScratchDir() { mkdtemp(&path[0]); }
  ~ScratchDir() { std::filesystem::remove_all(path); }
};

std::string contents(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// Without a controlling terminal a fatal text goes to standard error.
void detach_from_terminal() {
  setsid();
}

TEST(EndProcessDeathTest, ClosesEveryFileAndHandsOnTheStatus) {
  ScratchDir dir;
  std::string left_open = dir.path + "/left_open.txt", never_written = dir.path + "/empty.txt";
  EXPECT_EXIT(
      {
        start_streams();
        write_formatted(create_text_file(left_open.c_str(), "w"), "%d\n", 42);
        create_text_file(never_written.c_str(), "w");
        end_process(7);
      },
      ::testing::ExitedWithCode(7), "");
  EXPECT_EQ(contents(left_open), "42\r\n");
  EXPECT_EQ(contents(never_written), "");
}

TEST(ReportFatalDeathTest, ShowsTheTextExactlyAndFlushesNothing) {
  ScratchDir dir;
  std::string file = dir.path + "/lost.txt";
  for (const char *text : {kOutOfMemoryText, kNoEnvironmentText}) {
    EXPECT_EXIT(
        {
          detach_from_terminal();
          start_streams();
          write_formatted(create_text_file(file.c_str(), "w"), "buffered");
          report_fatal(text);
        },
        ::testing::ExitedWithCode(1), std::string("^") + text + "$");
    EXPECT_EQ(contents(file), "") << "a fatal end writes out no buffer";
  }
}

TEST(FaultDeathTest, EndsWithStatusOneAndALine) {
  EXPECT_EXIT(
      {
        posix_catch_faults();
        raise(SIGSEGV);
      },
      ::testing::ExitedWithCode(1), "fatal processor fault\n$");
}

} // namespace
