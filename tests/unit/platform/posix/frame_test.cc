// The end of the process, in a child process of the test: streams flushed
// and closed with the status handed on, or a fatal end with nothing flushed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/io/stream.h"
#include "platform/platform.h"
#include "platform/posix/posix.h"
#include "platform/process/frame.h"
#include "support/scratch.h"

namespace {

// Without a controlling terminal a fatal text goes to standard error.
void detach_from_terminal() {
  setsid();
}

TEST(EndProcessDeathTest, ClosesEveryFileAndHandsOnTheStatus) {
  Scratch dir;
  std::string left_open = dir.path("left_open.txt"), never_written = dir.path("empty.txt");
  EXPECT_EXIT(
      {
        start_streams();
        write_formatted(create_text_file(left_open.c_str(), "w"), "%d\n", 42);
        create_text_file(never_written.c_str(), "w");
        end_process(7);
      },
      ::testing::ExitedWithCode(7), "");
  EXPECT_EQ(read_file(left_open), "42\r\n");
  EXPECT_EQ(read_file(never_written), "");
}

TEST(ReportFatalDeathTest, ShowsTheTextExactlyAndFlushesNothing) {
  Scratch dir;
  std::string file = dir.path("lost.txt");
  for (const char *text : {kOutOfMemoryText, kNoEnvironmentText}) {
    EXPECT_EXIT(
        {
          detach_from_terminal();
          start_streams();
          write_formatted(create_text_file(file.c_str(), "w"), "buffered");
          report_fatal(text);
        },
        ::testing::ExitedWithCode(1), std::string("^") + text + "$");
    EXPECT_EQ(read_file(file), "") << "a fatal end writes out no buffer";
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
