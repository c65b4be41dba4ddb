// The two output files: replacing old ones, files that cannot be created,
// and writes that fail part way (full device, file size limit).
#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "checks.h"
#include "platform/io/stream.h"

namespace e2e {
namespace {

const std::string kDiceLost = "Can't write dice file\r\n";
const std::string kStatLost = "Can't write stat file\r\n";

TEST(Files, ExistingFilesAreReplaced) {
  // A run with no rolls writes nothing to the log, which must still be cut.
  for (const char *input : {"36\n1\n", "0\n1\n"}) {
    SCOPED_TRACE(input);
    RunResult fresh = run_dicestat(input);
    ASSERT_TRUE(ended_with(fresh, 0));

    RunOptions options;
    options.input = input;
    options.prepare = [](const std::string &dir) {
      put_file(dir, "dicefile.txt", std::string(100000, 'x'));
      put_file(dir, "statfile.txt", std::string(100000, 'y'));
    };
    RunResult run = run_dicestat(options);
    EXPECT_TRUE(ended_with(run, 0));
    EXPECT_EQ(run.out, kPrompts);
    EXPECT_EQ(run.dice.bytes, fresh.dice.bytes);
    EXPECT_EQ(run.stat.bytes, fresh.stat.bytes);
  }
}

TEST(CreateFailure, MessageThenStatusOneWithoutWaiting) {
  struct {
    const char *why;
    std::vector<std::string> directories; // names taken by directories
    std::string message;
    bool dice_is_empty_file; // the log was created before the report failed
    bool stat_exists;
    Output output = Output::kPipe;
  } cases[] = {
      {"no roll log", {"dicefile.txt"}, "Can't open dice file\r\n", false, false},
      {"no report", {"statfile.txt"}, "Can't open stat file\r\n", true, true},
      {"neither: the first failure ends the run",
       {"dicefile.txt", "statfile.txt"},
       "Can't open dice file\r\n",
       false,
       true},
      // Descriptor 1 stays taken: the prompts cannot end up in the log.
      {"no report, no standard output", {"statfile.txt"}, "", true, true, Output::kClosed},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.why);
    RunOptions options;
    options.output_mode = c.output;
    // Left open, the input would hang a key wait that read it.
    options.input = "36\n1\n";
    options.input_mode = Input::kPipeLeftOpen;
    options.timeout_seconds = 15;
    options.prepare = [&](const std::string &dir) {
      for (const std::string &name : c.directories) put_directory(dir, name);
    };
    RunResult run = run_dicestat(options);
    EXPECT_TRUE(ended_with(run, 1));
    EXPECT_EQ(run.out, c.output == Output::kClosed ? "" : kPrompts + c.message);
    if (c.dice_is_empty_file) {
      EXPECT_TRUE(run.dice.regular);
      EXPECT_EQ(run.dice.bytes, "");
    } else {
      EXPECT_FALSE(run.dice.regular);
    }
    EXPECT_EQ(run.stat.exists, c.stat_exists);
    EXPECT_FALSE(run.stat.regular);
  }
}

TEST(WriteFailure, FullDeviceSilencesOneFileOnly) {
  struct {
    const char *why;
    bool dice_full;
    bool stat_full;
  } cases[] = {
      {"roll log", true, false},
      {"report", false, true},
      {"both: dice reported first", true, true},
  };
  // 36 rolls fail only at closing; 10000 rolls (30,000 bytes) in the middle.
  for (const char *input : {"36\n1\n", "10000\n1\n"}) {
    RunResult whole = run_dicestat(input);
    ASSERT_TRUE(ended_with(whole, 0));
    for (const auto &c : cases) {
      SCOPED_TRACE(std::string(c.why) + ", input " + input);
      RunOptions options;
      options.input = input;
      options.prepare = [&](const std::string &dir) {
        if (c.dice_full) put_symlink(dir, "dicefile.txt", "/dev/full");
        if (c.stat_full) put_symlink(dir, "statfile.txt", "/dev/full");
      };
      RunResult run = run_dicestat(options);
      EXPECT_TRUE(ended_with(run, 1));
      EXPECT_EQ(run.out,
                kPrompts + (c.dice_full ? kDiceLost : "") + (c.stat_full ? kStatLost : ""));
      if (!c.dice_full) {
        EXPECT_EQ(run.dice.bytes, whole.dice.bytes);
      }
      if (!c.stat_full) {
        EXPECT_EQ(run.stat.bytes, whole.stat.bytes);
      }
    }
  }
}

constexpr rlim_t kPiece = kStreamBufferSize; // the log is written in pieces of this size

// A failed file keeps exactly what the system took before the failure: a
// limit inside a piece of the log takes a short write, one on a piece
// boundary a refused one.
TEST(WriteFailure, FileSizeLimitKeepsWhatWasAccepted) {
  // The limit's signal would end a program that does not guard itself
  // against it, such as Wine; SignalIsNoConcernOfTheCaller covers that.
  signal(SIGXFSZ, SIG_IGN);
  const std::string input = "1000000\n7\n";
  RunResult whole = run_dicestat(input);
  ASSERT_TRUE(ended_with(whole, 0));
  ASSERT_EQ(whole.dice.bytes.size(), 3000000u);
  const rlim_t limits[] = {
      0,          // nothing fits; the report fails too
      1,          // one byte of each file
      kPiece - 1, // the first piece, short by one
      kPiece,     // exactly the first piece; the second is refused
      kPiece + 1, // one byte of the second piece
      2999999,    // the final piece at closing, short by one
      3000000,    // the whole log fits: no failure
  };
  for (rlim_t limit : limits) {
    SCOPED_TRACE("limit " + std::to_string(limit));
    RunOptions options;
    options.input = input;
    options.file_size_limit = limit;
    RunResult run = run_dicestat(options);

    bool dice_lost = limit < whole.dice.bytes.size();
    bool stat_lost = limit < whole.stat.bytes.size();
    EXPECT_TRUE(ended_with(run, dice_lost || stat_lost ? 1 : 0));
    EXPECT_EQ(run.out, kPrompts + (dice_lost ? kDiceLost : "") + (stat_lost ? kStatLost : ""));
    EXPECT_EQ(run.dice.bytes.size(), std::min<size_t>(limit, 3000000));
    EXPECT_TRUE(run.dice.bytes == whole.dice.bytes.substr(0, limit))
        << "roll log is not a prefix of the whole one";
    EXPECT_EQ(run.stat.bytes, whole.stat.bytes.substr(0, limit));
  }
}

TEST(WriteFailure, FileSizeSignalIsNoConcernOfTheCaller) {
  if (!kNativeProgram) GTEST_SKIP() << kNeedsNativeProgram;
  // The program is started with the default action for SIGXFSZ, which
  // would end it at the first write past the limit.
  signal(SIGXFSZ, SIG_DFL);
  RunOptions options;
  options.input = "10000\n7\n";
  options.file_size_limit = kPiece;
  RunResult run = run_dicestat(options);
  EXPECT_TRUE(ended_with(run, 1));
  EXPECT_EQ(run.out, kPrompts + kDiceLost);
  EXPECT_EQ(run.dice.bytes, model::rolls(7, 10000).log.substr(0, kPiece));
}

} // namespace
} // namespace e2e
