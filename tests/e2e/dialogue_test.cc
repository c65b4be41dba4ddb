// The two answers: how the lines typed at the prompts become the roll count
// and the seed, when the clock takes over, and that arguments play no part.
#include <gtest/gtest.h>

#include "checks.h"

namespace e2e {
namespace {

struct Answer {
  const char *why;
  std::string input;
  Input mode;
  int32_t roll_count;
  int32_t seed;
  const char *input_file = ""; // standard input instead of the pipe
};

// How the answers reach the run: the reading of each answer is the
// console's to test (tests/unit/platform/io/console_test.cc); these check
// what the run makes of it, over a real pipe or none. With the pipe left
// open, a read that waits for more than the answers hangs the run, so these
// also show that no extra line is waited for.
const Answer kAnswers[] = {
    {"one answer a line", "12\n7\n", Input::kPipeLeftOpen, 12, 7},
    {"CR LF line ends", "12\r\n7\r\n", Input::kPipeLeftOpen, 12, 7},
    {"no number at all", "abc\n", Input::kPipeLeftOpen, 0, kClock},
    {"an empty seed line", "36\n\n", Input::kPipeLeftOpen, 36, kClock},
    {"an entered 0 is the same request as a blank", "36\n0\n", Input::kPipeLeftOpen, 36, kClock},
    {"a negative count draws nothing", "-5\n3\n", Input::kPipeLeftOpen, -5, 3},
    {"a megabyte of white space before the first answer", std::string(1 << 20, ' ') + "\n3\n1\n",
     Input::kPipeLeftOpen, 3, 1},
    {"input after the answers is never read", "3\n1\n" + std::string(1 << 20, 'x'), Input::kPipe, 3,
     1},
    {"empty input: both reads meet its end", "", Input::kPipe, 0, kClock},
    {"input from /dev/null", "", Input::kPipe, 0, kClock, "/dev/null"},
    {"no standard input at all", "", Input::kClosed, 0, kClock},
};

// Returns early on a broken report; the caller goes on with the next one.
void check_answer(const Answer &a) {
  RunOptions options;
  options.input = a.input;
  options.input_mode = a.mode;
  options.input_file = a.input_file;
  options.timeout_seconds = 20; // a read that waits for more hangs until then
  RunResult run = run_dicestat(options);
  EXPECT_TRUE(ended_with(run, 0));
  EXPECT_EQ(run.out, kPrompts);

  std::vector<std::string> lines = model::report_lines(run.stat.bytes);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Number of rolls: " + std::to_string(a.roll_count) + " ");
  EXPECT_EQ(lines[1], "Seed: " + std::to_string(a.seed) + " ");
  int32_t seed = a.seed;
  size_t header = 3; // two lines and the empty one
  if (a.seed == kClock) {
    std::optional<int32_t> time = model::time_line_value(lines[2]);
    ASSERT_TRUE(time) << "third line: " << lines[2];
    seed = *time;
    ++header;
  }
  EXPECT_EQ(lines[header - 1], "");
  EXPECT_EQ(lines.size(), header + model::kOutcomes + 2);
  EXPECT_EQ(run.dice.bytes, model::rolls(seed, a.roll_count).log);
}

TEST(Dialogue, AnswersBecomeRollCountAndSeed) {
  for (const Answer &a : kAnswers) {
    SCOPED_TRACE(a.why);
    check_answer(a);
  }
}

// The clock run of `input` repeated with its Time value typed as the seed.
void check_clock_repeat(const char *input) {
  RunResult clocked = run_dicestat(input);
  EXPECT_TRUE(ended_with(clocked, 0));
  std::vector<std::string> lines = model::report_lines(clocked.stat.bytes);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "Seed: 0 ");
  std::optional<int32_t> time = model::time_line_value(lines[2]);
  ASSERT_TRUE(time) << "third line: " << lines[2];

  RunResult repeated = run_dicestat("36\n" + std::to_string(*time) + "\n");
  EXPECT_TRUE(ended_with(repeated, 0));
  EXPECT_EQ(repeated.dice.bytes, clocked.dice.bytes);
  // Past the header (which has the Time line only once) the reports agree.
  std::vector<std::string> again = model::report_lines(repeated.stat.bytes);
  ASSERT_GE(again.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(again.begin() + 2, again.end()),
            std::vector<std::string>(lines.begin() + 3, lines.end()));
}

TEST(Dialogue, ClockValueEnteredAsSeedRepeatsTheRun) {
  for (const char *input : {"36\n\n", "36\n  \t\n", "36\n0\n"}) {
    SCOPED_TRACE(input);
    check_clock_repeat(input);
  }
}

TEST(Dialogue, OneLineAnswersEqualTwoLines) {
  RunResult one = run_dicestat("5 7\n");
  RunResult two = run_dicestat("5\n7\n");
  EXPECT_TRUE(ended_with(one, 0));
  EXPECT_TRUE(ended_with(two, 0));
  EXPECT_EQ(one.out, two.out);
  EXPECT_EQ(one.dice.bytes, two.dice.bytes);
  EXPECT_EQ(one.stat.bytes, two.stat.bytes);
}

TEST(Dialogue, ArgumentsChangeNothing) {
  RunResult plain = run_dicestat("36\n1\n");
  ASSERT_TRUE(ended_with(plain, 0));
  const std::vector<std::string> argument_sets[] = {
      {"extra"},
      {"100", "42"}, // answers on the command line are not answers
      {"a b", "\"quoted\"", "", "'x'", "\t"},
      {"--help", "-", "dicefile.txt", "statfile.txt"},
  };
  for (const auto &args : argument_sets) {
    SCOPED_TRACE(::testing::PrintToString(args));
    RunOptions options;
    options.input = "36\n1\n";
    options.args = args;
    RunResult run = run_dicestat(options);
    EXPECT_TRUE(ended_with(run, 0));
    EXPECT_EQ(run.out, plain.out);
    EXPECT_EQ(run.dice.bytes, plain.dice.bytes);
    EXPECT_EQ(run.stat.bytes, plain.stat.bytes);
  }
}

} // namespace
} // namespace e2e
