// Standard input nobody would type: a gibibyte of one character, lines of
// megabytes, NUL and other bytes that are neither digits nor white space.
// Each has a defined outcome; none may crash the program, hang it or make
// it hold more than its buffer.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "checks.h"

namespace e2e {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr size_t kField = 32767; // characters in one field at most

// The value of a field of `digits` ones, kept modulo 2^32.
int32_t ones_wrapped(size_t digits) {
  uint32_t value = 0;
  for (size_t i = 0; i < digits; ++i) value = value * 10 + 1;
  return static_cast<int32_t>(value);
}

struct Answer {
  const char *why;
  std::string input;
  Input mode; // left open: a read that waits for more than was sent hangs the run
  int32_t roll_count;
  int32_t seed;
};

std::string nul_then(const std::string &text) {
  return std::string(1, '\0') + text;
}

// Built when the test runs: every test process would hold them otherwise.
std::vector<Answer> answers() {
  return {
      // Lines of megabytes.
      {"blanks between the two numbers, 10 MiB of them", "5" + std::string(10 * kMiB, ' ') + "7\n",
       Input::kPipeLeftOpen, 5, 7},
      {"10 MiB of blanks after the count belong to its line",
       "5" + std::string(10 * kMiB, ' ') + "\n7\n", Input::kPipeLeftOpen, 5, 7},
      {"a seed line of 10 MiB of blanks and tabs is a blank answer",
       "5\n" + std::string(5 * kMiB, ' ') + std::string(5 * kMiB, '\t') + "\n",
       Input::kPipeLeftOpen, 5, kClock},
      {"10 MiB of empty lines before the count are passed over",
       std::string(10 * kMiB, '\n') + "5\n7\n", Input::kPipeLeftOpen, 5, 7},
      {"100,000 digits: each field takes 32,767 of them, the rest is never read",
       std::string(100000, '1') + "\n", Input::kPipeLeftOpen, ones_wrapped(kField),
       ones_wrapped(kField)},
      {"a 10 MiB line of letters fails both reads; the rest is never read",
       std::string(10 * kMiB, 'x') + "\n", Input::kPipeLeftOpen, 0, kClock},

      // NUL is neither white space nor a digit: it ends a field or fails it.
      {"NUL before the count fails both reads", nul_then("5 7\n"), Input::kPipeLeftOpen, 0, kClock},
      {"NUL after the count fails the seed read", "5" + nul_then(" 7\n"), Input::kPipeLeftOpen, 5,
       kClock},
      {"NUL opening the seed line is no blank answer and fails the read", "5\n" + nul_then("7\n"),
       Input::kPipeLeftOpen, 5, kClock},
      {"NUL after the seed ends its field", "5\n7" + nul_then("\n"), Input::kPipeLeftOpen, 5, 7},
      {"NUL right after a sign: the sign is lost, both reads fail", "-" + nul_then("5 7\n"),
       Input::kPipeLeftOpen, 0, kClock},
      {"NUL at the very end of the input", "5 7" + nul_then(""), Input::kPipe, 5, 7},
      {"a mebibyte of NULs: both reads fail at the first, the rest is never read",
       std::string(kMiB, '\0') + "5 7\n", Input::kPipeLeftOpen, 0, kClock},

      // Other bytes that are not digits.
      {"a byte with the high bit set",
       "\xff"
       "5 7\n",
       Input::kPipeLeftOpen, 0, kClock},
      {"a digit in another script (UTF-8 full-width 5)", "\xef\xbc\x95 7\n", Input::kPipeLeftOpen,
       0, kClock},
      {"vertical tab and form feed are white space", "\v\f5\v7\n", Input::kPipeLeftOpen, 5, 7},
      {"white space other than blanks and tabs makes no blank answer", "5\n\v\n", Input::kPipe, 5,
       kClock},
  };
}

TEST(HostileInput, DefinedAnswers) {
  for (const Answer &a : answers()) {
    SCOPED_TRACE(a.why);
    RunOptions options;
    options.input = a.input;
    options.input_mode = a.mode;
    options.timeout_seconds = 30;
    RunResult run = run_dicestat(options);
    EXPECT_TRUE(ended_with(run, 0));
    EXPECT_EQ(run.out, kPrompts);
    EXPECT_TRUE(holds_run(run, a.roll_count, a.seed));
  }
}

// ---------------------------------------------------------------------------
// Floods of up to a gibibyte, streamed. Both reads fail either way: the
// fields of zeros are 0, and blank space runs into the end of the input.

// The program keeps one buffer of input, whatever the input's size: its
// peak memory is that of a run with a small input, give or take this.
constexpr long kRssMarginKiB = 1024;
// And, where no sanitizer adds its own, that of a small program. The peak
// counts the test's own pages copied at fork too, a few MiB. Under Wine the
// emulator's own pages come on top, so only the margin holds there.
constexpr long kRssCeilingKiB = 8192;

::testing::AssertionResult memory_is_flat(const RunResult &huge, const RunResult &small) {
  long grown = huge.peak_rss_kib - small.peak_rss_kib;
  if (grown > kRssMarginKiB)
    return ::testing::AssertionFailure()
           << "peak memory " << huge.peak_rss_kib << " KiB, " << grown << " KiB over a small input";
  if (!kSanitized && kNativeProgram && huge.peak_rss_kib > kRssCeilingKiB)
    return ::testing::AssertionFailure() << "peak memory " << huge.peak_rss_kib << " KiB";
  return ::testing::AssertionSuccess();
}

struct Flood {
  const char *why;
  std::string unit;    // the whole input is this, over and over
  uint64_t size;       // how many of it
  bool all_read;       // the program reads to the end of the input
  double most_seconds; // a run that takes longer reads more than it must
};

// Digits stop at the field limit: the program ends after two fields. Blank
// space is passed over to the end of the input. Under the sanitizers every
// byte costs more; 128 MiB will do there.
const Flood kFloods[] = {
    {"a gibibyte of zeros", "0", 1024 * kMiB, false, 5},
    {"a gibibyte of blanks", " ", (kSanitized ? 128 : 1024) * kMiB, true, 30},
    // Every read of the pipe ends where it will, often between CR and LF.
    {"256 MiB of CR LF line ends", "\r\n", (kSanitized ? 128 : 256) * kMiB, true, 30},
};

// Written over and over; small, so that the test's own pages, which the
// peak memory counts, stay few.
constexpr uint64_t kBlock = 64 * 1024;

TEST(HostileInput, GibibyteFloods) {
  if (!kNativeProgram) GTEST_SKIP() << kNeedsNativeProgram;
  if (program_wrapper()) GTEST_SKIP() << "a huge input under " << program_wrapper();
  for (const Flood &f : kFloods) {
    SCOPED_TRACE(f.why);
    RunOptions options;
    while (options.input.size() < kBlock) options.input += f.unit;
    options.timeout_seconds = 60;
    RunResult small = run_dicestat(options); // one block: the same test, a small input
    ASSERT_TRUE(ended_with(small, 0));
    options.repeat = f.size / kBlock;
    RunResult run = run_dicestat(options);
    EXPECT_TRUE(ended_with(run, 0));
    EXPECT_LT(run.seconds, f.most_seconds);
    EXPECT_EQ(run.out, kPrompts);
    EXPECT_TRUE(holds_run(run, 0, kClock));
    if (f.all_read) {
      EXPECT_EQ(run.input_written, f.size) << "the program did not take all its input";
    } else {
      // Two fields, a buffer read ahead and what the pipe holds.
      EXPECT_LT(run.input_written, kMiB) << "the program read on past its answers";
    }
    EXPECT_TRUE(memory_is_flat(run, small)) << "small input: " << small.peak_rss_kib << " KiB";
  }
}

} // namespace
} // namespace e2e
