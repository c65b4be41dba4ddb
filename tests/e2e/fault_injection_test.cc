// Faults from outside while the program runs: signals that stop and resume
// it or are ignored, signals that end it part way, standard input that
// cannot be read, and files that the user may not create or replace.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "checks.h"
#include "platform/io/stream.h"

namespace e2e {
namespace {

// A file creation that fails must not wait for a key without a terminal;
// a run that does not wait takes a fraction of this.
constexpr double kPromptly = 5.0;

const std::string kNoDice = "Can't open dice file\r\n";
const std::string kNoStat = "Can't open stat file\r\n";

// ---------------------------------------------------------------------------
// Signals whose default action neither ends the program nor is caught by it.

// Stopped and resumed every few milliseconds, and sent a signal that is
// ignored by default: interrupted reads and writes must be taken up again
// where they stopped, so the files are those of an undisturbed run.
TEST(Signals, StopContinueAndIgnoredOnesChangeNothing) {
  if (!kNativeProgram) GTEST_SKIP() << kNeedsNativeProgram;
  if (program_wrapper()) GTEST_SKIP() << "a huge run under " << program_wrapper();
  const std::string answers = "20000000\n7\n";
  RunResult whole = run_dicestat(answers);
  ASSERT_TRUE(ended_with(whole, 0));
  ASSERT_EQ(whole.dice.bytes.size(), 60000000u);

  struct {
    const char *why;
    std::vector<std::string> writes; // the answers, each piece in a read of its own
  } cases[] = {
      {"during the roll loop and the file writes", {answers}},
      // Blocked in reads of a pipe that stays open: a read that came back
      // empty or failed after a stop would end or wait for the input.
      {"during reads that wait for the next piece", {"2000", "000", "0\n", "7", "\n"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.why);
    RunOptions options;
    options.pieces = c.writes;
    options.gap_ms = 40;
    options.input_mode = Input::kPipeLeftOpen;
    options.signals = {SIGSTOP, SIGCONT, SIGWINCH, SIGCHLD, SIGURG};
    options.signal_every_ms = 2;
    RunResult run = run_dicestat(options);
    EXPECT_TRUE(ended_with(run, 0));
    EXPECT_GE(run.signals_sent, 5) << "the run was hardly disturbed";
    EXPECT_EQ(run.out, kPrompts);
    EXPECT_TRUE(run.dice.bytes == whole.dice.bytes) << "roll log differs";
    EXPECT_EQ(run.stat.bytes, whole.stat.bytes);
  }
}

// ---------------------------------------------------------------------------
// Ended part way: what reached the files before.

// Ended from outside in the middle of the roll loop, the program leaves
// its files as the last whole write left them: the roll log in whole
// pieces of the stream's buffer size, of the right rolls, and the report, whose header was
// still in its buffer, empty. The prompts, still in the buffer of an
// output that is no terminal, are lost as well.
TEST(Signals, EndedMidRunLeavesWholePiecesOnly) {
  if (!kNativeProgram) GTEST_SKIP() << kNeedsNativeProgram;
  if (program_wrapper()) GTEST_SKIP() << "timing under " << program_wrapper();
  struct {
    const char *why;
    int signo;
    bool exits; // caught and turned into an exit with status 1
  } cases[] = {
      {"terminate", SIGTERM, false},
      {"interrupt", SIGINT, false},
      {"kill", SIGKILL, false},
      // Taken for a processor fault: ends at once, buffers unwritten.
      {"segmentation fault", SIGSEGV, true},
  };
  constexpr int32_t kSeed = 99;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.why);
    RunOptions options;
    // Far more rolls than fit in the time before the signal.
    options.input = "100000000\n" + std::to_string(kSeed) + "\n";
    options.signals = {c.signo};
    options.signal_every_ms = 60;
    options.signal_after_first_piece = true;
    RunResult run = run_dicestat(options);
    ASSERT_TRUE(run.finished);
    if (c.exits) {
      EXPECT_TRUE(run.exited && run.status == 1)
          << "exited " << run.exited << ", status or signal " << run.status;
      EXPECT_NE(run.err, "") << "a fault is reported";
    } else {
      EXPECT_TRUE(!run.exited && run.status == c.signo)
          << "exited " << run.exited << ", status or signal " << run.status;
      EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(run.out, "");
    size_t size = run.dice.bytes.size();
    EXPECT_GT(size, 0u) << "ended before the first piece was written";
    EXPECT_LT(size, 300000000u) << "finished before the signal";
    EXPECT_EQ(size % kStreamBufferSize, 0u) << "a piece was cut: " << size << " bytes";
    EXPECT_EQ(model::matching_prefix(run.dice.bytes, kSeed), size);
    EXPECT_TRUE(run.stat.regular);
    EXPECT_EQ(run.stat.bytes, "");
  }
}

// ---------------------------------------------------------------------------
// Standard input that cannot be read.

TEST(Input, ReadsThatFailAreTheEndOfInput) {
  if (!kNativeProgram) GTEST_SKIP() << kNeedsNativeProgram;
  RunOptions options;
  options.input_file = "."; // the scratch directory: every read fails with EISDIR
  options.timeout_seconds = 20;
  RunResult run = run_dicestat(options);
  EXPECT_TRUE(ended_with(run, 0));
  EXPECT_LT(run.seconds, kPromptly);
  EXPECT_EQ(run.out, kPrompts);
  EXPECT_TRUE(holds_run(run, 0, kClock));
}

// ---------------------------------------------------------------------------
// Files the user may not create or replace. Run unprivileged, since root
// may write anywhere: as root, the program runs as user and group 65534
// (the usual "nobody"), which then owns the scratch directory.

constexpr uid_t kUnprivileged = 65534;

// `options` set to run the program as that user, when the test is root.
void run_unprivileged(RunOptions *options) {
  if (geteuid() != 0) return;
  options->command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  for (const std::string &word : program_command()) options->command.push_back(word);
  auto prepare = options->prepare;
  options->prepare = [prepare](const std::string &dir) {
    ASSERT_EQ(chown(dir.c_str(), kUnprivileged, kUnprivileged), 0) << dir;
    if (prepare) prepare(dir);
  };
}

void set_mode(const std::string &path, mode_t mode) {
  ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
}

// Exit statuses of the runner's child, or of setpriv, when it could not
// chdir or exec.
constexpr int kNotStarted[] = {126, 127};

TEST(Permissions, FilesThatMayNotBeWritten) {
  if (!kNativeProgram) GTEST_SKIP() << kNeedsNativeProgram;
  {
    RunOptions probe;
    probe.input = "0\n1\n";
    run_unprivileged(&probe);
    RunResult run = run_dicestat(probe);
    for (int status : kNotStarted)
      if (run.exited && run.status == status)
        GTEST_SKIP() << "user 65534 cannot start the program where it was built (status " << status
                     << "); its directories must be searchable by others";
    ASSERT_TRUE(ended_with(run, 0));
  }
  if (!kNativeProgram) GTEST_SKIP() << kNeedsNativeProgram;
  const std::string old_dice = "old dice\r\n";
  const std::string old_stat = "old stat\r\n";
  struct {
    const char *why;
    std::function<void(const std::string &)> prepare;
    int status;
    std::string message;
    // What each file holds afterwards; none: there is nothing of that name.
    std::optional<std::string> dice;
    std::optional<std::string> stat;
  } cases[] = {
      {"working directory read-only", [](const std::string &dir) { set_mode(dir, 0555); }, 1,
       kNoDice, std::nullopt, std::nullopt},
      {"roll log read-only: left as it was, the report not begun",
       [&](const std::string &dir) {
         put_file(dir, "dicefile.txt", old_dice);
         set_mode(dir + "/dicefile.txt", 0444);
       },
       1, kNoDice, old_dice, std::nullopt},
      {"report read-only: the roll log is created empty, the report left alone",
       [&](const std::string &dir) {
         put_file(dir, "statfile.txt", old_stat);
         set_mode(dir + "/statfile.txt", 0444);
       },
       1, kNoStat, "", old_stat},
      {"report read-only: an old roll log is cut to nothing",
       [&](const std::string &dir) {
         put_file(dir, "dicefile.txt", old_dice);
         set_mode(dir + "/dicefile.txt", 0666);
         put_file(dir, "statfile.txt", old_stat);
         set_mode(dir + "/statfile.txt", 0444);
       },
       1, kNoStat, "", old_stat},
      // Replacing a file needs no right to the directory.
      {"directory read-only, both files writable: a whole run",
       [&](const std::string &dir) {
         put_file(dir, "dicefile.txt", old_dice);
         put_file(dir, "statfile.txt", old_stat);
         set_mode(dir + "/dicefile.txt", 0666);
         set_mode(dir + "/statfile.txt", 0666);
         set_mode(dir, 0555);
       },
       0, "", model::rolls(1, 36).log, std::nullopt},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.why);
    RunOptions options;
    options.input = "36\n1\n";
    // Left open, the input would hang a key wait that read it.
    options.input_mode = Input::kPipeLeftOpen;
    options.prepare = c.prepare;
    run_unprivileged(&options);
    options.timeout_seconds = 20;
    RunResult run = run_dicestat(options);
    EXPECT_TRUE(ended_with(run, c.status));
    EXPECT_LT(run.seconds, kPromptly);
    EXPECT_EQ(run.out, kPrompts + c.message);
    EXPECT_EQ(run.dice.regular, c.dice.has_value());
    if (c.dice) {
      EXPECT_EQ(run.dice.bytes, *c.dice);
    }
    if (c.status == 0) {
      EXPECT_TRUE(holds_run(run, 36, 1));
    } else {
      EXPECT_EQ(run.stat.regular, c.stat.has_value());
      if (c.stat) {
        EXPECT_EQ(run.stat.bytes, *c.stat);
      }
    }
  }
}

} // namespace
} // namespace e2e
