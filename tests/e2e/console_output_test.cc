// Standard output that cannot be written: the prompts are lost, the run is
// not.
#include <gtest/gtest.h>

#include "checks.h"

namespace e2e {
namespace {

TEST(ConsoleOutput, UnwritableOutputLeavesFilesAndStatusAlone) {
  const std::string input = "10000\n1\n";
  RunResult whole = run_dicestat(input);
  ASSERT_TRUE(ended_with(whole, 0));
  struct {
    const char *why;
    Output output;
    const char *file; // standard output instead
  } cases[] = {
      {"output to /dev/full", Output::kPipe, "/dev/full"},
      // Descriptor 1 stays taken, so the roll log cannot land on it.
      {"no output descriptor", Output::kClosed, ""},
      // Writes meet a broken pipe, with SIGPIPE at its default action.
      {"reader gone before the first write", Output::kPipeNoReader, ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.why);
    RunOptions options;
    options.input = input;
    options.output_mode = c.output;
    options.output_file = c.file;
    RunResult run = run_dicestat(options);
    EXPECT_TRUE(ended_with(run, 0));
    EXPECT_EQ(run.dice.bytes, whole.dice.bytes);
    EXPECT_EQ(run.stat.bytes, whole.stat.bytes);
  }
}

TEST(ConsoleOutput, NoStandardDescriptorsAtAll) {
  // Without descriptors 0 and 1 there is no input and nowhere to show the
  // prompts; neither may land in the files.
  RunOptions options;
  options.input_mode = Input::kClosed;
  options.output_mode = Output::kClosed;
  RunResult run = run_dicestat(options);
  EXPECT_TRUE(ended_with(run, 0));
  EXPECT_TRUE(run.dice.regular);
  EXPECT_EQ(run.dice.bytes, "");
  std::vector<std::string> lines = model::report_lines(run.stat.bytes);
  ASSERT_EQ(lines.size(), 4u + model::kOutcomes + 2);
  EXPECT_EQ(lines[0], "Number of rolls: 0 ");
  EXPECT_EQ(lines[1], "Seed: 0 ");
  EXPECT_TRUE(model::time_line_value(lines[2])) << lines[2];
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "11 0 -nan -nan");
  EXPECT_EQ(lines.back(), "Totals: 0 -nan ");
}

TEST(ConsoleOutput, LostMessageStillFailsTheRun) {
  RunOptions options;
  options.input = "36\n1\n";
  options.output_file = "/dev/full";
  options.prepare = [](const std::string &dir) { put_symlink(dir, "dicefile.txt", "/dev/full"); };
  RunResult run = run_dicestat(options);
  EXPECT_TRUE(ended_with(run, 1));
  EXPECT_EQ(run.stat.bytes.substr(0, 34), "Number of rolls: 36 \r\nSeed: 1 \r\n\r\n");
}

} // namespace
} // namespace e2e
