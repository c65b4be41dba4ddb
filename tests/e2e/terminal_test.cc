// The dialogue at a real terminal: prompts on screen before each wait,
// answers typed as a user types them, end of input by Ctrl+D, and the
// single-key wait after a failed file creation with the terminal's mode put
// back. Also answers that reach a pipe in separate reads.
#include <signal.h>
#include <termios.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "checks.h"

namespace e2e {
namespace {

const std::string kCountPrompt = "Enter number of rolls: ";
const std::string kSeedPrompt = "Enter seed or blank for time: ";

// Long enough for a program that does not wait to have gone on.
constexpr Millis kStillWaiting{500};

// Success when the two modes agree in their flags and control characters.
::testing::AssertionResult same_mode(const termios &expected, const termios &actual) {
  ::testing::AssertionResult verdict = ::testing::AssertionSuccess();
  bool differs = false;
  auto flags = [&](const std::string &name, tcflag_t want, tcflag_t got) {
    if (want == got) return;
    if (!differs) verdict = ::testing::AssertionFailure();
    differs = true;
    char text[96];
    std::snprintf(text, sizeof text, "\n  %s %#o, not %#o", name.c_str(),
                  static_cast<unsigned>(got), static_cast<unsigned>(want));
    verdict << text;
  };
  flags("c_iflag", expected.c_iflag, actual.c_iflag);
  flags("c_oflag", expected.c_oflag, actual.c_oflag);
  flags("c_cflag", expected.c_cflag, actual.c_cflag);
  flags("c_lflag", expected.c_lflag, actual.c_lflag);
  for (size_t i = 0; i < NCCS; ++i)
    flags("c_cc[" + std::to_string(i) + "]", expected.c_cc[i], actual.c_cc[i]);
  return verdict;
}

// Waits until the terminal has left line input, while the program runs.
bool leaves_line_input(Session *s) {
  auto end = Clock::now() + kAppears;
  while (session_mode(*s).c_lflag & ICANON)
    if (Clock::now() >= end || !session_running_after(s, Millis(1))) return false;
  return true;
}

// The program's text as the terminal shows it.
std::string shown(const Session &s) {
  return shown_text(s.result.out);
}

std::string visible(const std::string &bytes) {
  return ::testing::PrintToString(bytes);
}

RunOptions at_terminal() {
  RunOptions options;
  options.terminal = true;
  options.timeout_seconds = 30;
  return options;
}

size_t count_of(const std::string &text, const std::string &part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// ---------------------------------------------------------------------------
// Answers typed at the prompts.

enum class Do {
  kType,       // type the text
  kScreen,     // wait until the screen is exactly the text
  kStillWaits, // the program is still running a moment later, the screen exactly the text
};

struct Step {
  Do what;
  std::string text;
};

struct Typing {
  const char *name;
  std::vector<Step> steps;
  std::string final_screen; // empty: the order of echo and prompt is not fixed
  int32_t roll_count;
  int32_t seed;
  Input input = Input::kPipe; // kClosed: the terminal is not descriptor 0
  Output output = Output::kPipe;
};

// With output post-processing off, the echo of Enter is a bare LF; the
// program writes no line end of its own on these paths.
const Typing kTypings[] = {
    {"AnswersOnSeparateLines",
     {{Do::kScreen, kCountPrompt},
      {Do::kType, "12\r"},
      {Do::kScreen, kCountPrompt + "12\n" + kSeedPrompt},
      {Do::kType, "7\r"}},
     kCountPrompt + "12\n" + kSeedPrompt + "7\n",
     12,
     7},
    // The empty line is passed over: no second prompt, no new first one.
    {"EnterAloneAsksNothingMore",
     {{Do::kScreen, kCountPrompt},
      {Do::kType, "\r"},
      {Do::kStillWaits, kCountPrompt + "\n"},
      {Do::kType, "3\r5\r"}},
     "",
     3,
     5},
    {"TwoNumbersOnOneLine",
     {{Do::kScreen, kCountPrompt}, {Do::kType, "5 7\r"}},
     kCountPrompt + "5 7\n" + kSeedPrompt,
     5,
     7},
    {"BlankSeedLineTakesTheClock",
     {{Do::kScreen, kCountPrompt},
      {Do::kType, "36\r"},
      {Do::kScreen, kCountPrompt + "36\n" + kSeedPrompt},
      {Do::kType, "\r"}},
     kCountPrompt + "36\n" + kSeedPrompt + "\n",
     36,
     kClock},
    // Both reads fail: the second at once, without a new read.
    {"CtrlDAtTheFirstPromptEndsInput",
     {{Do::kScreen, kCountPrompt}, {Do::kType, "\x04"}},
     kCountPrompt + kSeedPrompt,
     0,
     kClock},
    // Ctrl+D after digits hands them over without a line end; the field
    // then needs more, and a second Ctrl+D is the end of input.
    {"CtrlDAfterDigitsEndsTheFieldAtTheNextOne",
     {{Do::kScreen, kCountPrompt},
      {Do::kType, "12\x04"},
      {Do::kStillWaits, kCountPrompt + "12"},
      {Do::kType, "\x04"}},
     kCountPrompt + "12" + kSeedPrompt,
     12,
     kClock},
    {"LettersFailTheSeedReadAtOnce",
     {{Do::kScreen, kCountPrompt}, {Do::kType, "abc\r"}},
     kCountPrompt + "abc\n" + kSeedPrompt,
     0,
     kClock},
    // Descriptor 0 stays taken: the terminal opened for the key wait
    // cannot become standard input.
    {"NoStandardInputReadsNothing", {}, kCountPrompt + kSeedPrompt, 0, kClock, Input::kClosed},
    // Descriptor 1 stays taken: the prompts cannot reach the terminal.
    {"NoStandardOutputShowsNoPrompt",
     {{Do::kType, "36 1\r"}},
     "36 1\n",
     36,
     1,
     Input::kPipe,
     Output::kClosed},
};

void PrintTo(const Typing &c, std::ostream *os) {
  *os << c.name;
}

class TypedAnswers : public ::testing::TestWithParam<Typing> {};

TEST_P(TypedAnswers, BecomeRollCountAndSeed) {
  if (!kNativeProgram) GTEST_SKIP() << kNeedsNativeProgram;
  const Typing &c = GetParam();
  RunOptions options = at_terminal();
  options.input_mode = c.input;
  options.output_mode = c.output;
  Session t;
  ASSERT_TRUE(session_start(&t, options));
  for (const Step &step : c.steps) {
    SCOPED_TRACE(visible(step.text));
    switch (step.what) {
    case Do::kType:
      session_type(&t, step.text);
      break;
    case Do::kScreen:
      ASSERT_TRUE(session_shows(&t, step.text));
      EXPECT_EQ(shown(t), step.text);
      break;
    case Do::kStillWaits:
      ASSERT_TRUE(session_running_after(&t, kStillWaiting)) << visible(shown(t));
      EXPECT_EQ(shown(t), step.text);
      break;
    }
  }
  // The last answer is in: the program goes on without more.
  RunResult run = session_finish(&t);
  std::string screen = shown_text(run.out);
  EXPECT_TRUE(ended_with(run, 0));
  if (!c.final_screen.empty()) {
    EXPECT_EQ(screen, c.final_screen);
  }
  size_t prompts = c.output == Output::kClosed ? 0 : 1;
  EXPECT_EQ(count_of(screen, kCountPrompt), prompts) << visible(screen);
  EXPECT_EQ(count_of(screen, kSeedPrompt), prompts) << visible(screen);
  EXPECT_TRUE(holds_run(run, c.roll_count, c.seed));
  // Typed answers never change the mode.
  EXPECT_TRUE(same_mode(t.initial_mode, session_mode(t)));
}

INSTANTIATE_TEST_SUITE_P(Terminal, TypedAnswers, ::testing::ValuesIn(kTypings),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The key wait after a file cannot be created.

struct KeyWait {
  const char *name;
  const char *blocked; // the file a directory stands in the way of
  std::string answers; // typed at the first prompt, one line
  std::string message; // the program's report
  std::string key;     // typed during the wait; none: a signal instead
  int signo;           // sent when no key is typed
  Output output = Output::kPipe;
};

const std::string kNoDice = "Can't open dice file\r\n";
const std::string kNoStat = "Can't open stat file\r\n";

const KeyWait kKeyWaits[] = {
    {"AnyKeyEndsIt", "dicefile.txt", "36 1\r", kNoDice, "x", 0},
    {"SecondFileFailing", "statfile.txt", "36 1\r", kNoStat, "x", 0},
    // Signal keys are off during the wait: each of these would otherwise
    // interrupt or quit the program.
    {"CtrlCIsAnOrdinaryKey", "dicefile.txt", "36 1\r", kNoDice, "\x03", 0},
    {"CtrlBackslashIsAnOrdinaryKey", "dicefile.txt", "36 1\r", kNoDice, "\x1c", 0},
    // Line editing is off too: end of input is just a key.
    {"CtrlDIsAnOrdinaryKey", "dicefile.txt", "36 1\r", kNoDice, "\x04", 0},
    // The rest of the answer line stays in the standard input's buffer,
    // which the wait does not read.
    {"LeftoverAnswerTextDoesNotEndIt", "dicefile.txt", "36 1 extra\r", kNoDice, "x", 0},
    {"TerminateSignal", "dicefile.txt", "36 1\r", kNoDice, "", SIGTERM},
    {"HangupSignal", "dicefile.txt", "36 1\r", kNoDice, "", SIGHUP},
    // The prompts and the message wait in a pipe's buffer until the wait
    // writes them out: the user must be able to read them meanwhile.
    {"StandardOutputAPipe", "dicefile.txt", "36 1\r", kNoDice, "x", 0, Output::kPipeBesideTerminal},
};

// What the wait must switch off, and what it must leave alone.
::testing::AssertionResult is_raw_from(const termios &raw, const termios &before) {
  if (raw.c_lflag & (ICANON | ECHO | ISIG | IEXTEN))
    return ::testing::AssertionFailure() << "line editing, echo or signal keys still on";
  if (raw.c_iflag & (IXON | ICRNL | INLCR | IGNCR))
    return ::testing::AssertionFailure() << "flow control or input translation still on";
  if (raw.c_cc[VMIN] != 1 || raw.c_cc[VTIME] != 0)
    return ::testing::AssertionFailure() << "not one byte without a timer";
  if (raw.c_oflag != before.c_oflag || raw.c_cflag != before.c_cflag)
    return ::testing::AssertionFailure() << "output or line settings changed";
  return ::testing::AssertionSuccess();
}

void PrintTo(const KeyWait &c, std::ostream *os) {
  *os << c.name;
}

class KeyWaits : public ::testing::TestWithParam<KeyWait> {};

TEST_P(KeyWaits, ModeIsPutBack) {
  if (!kNativeProgram) GTEST_SKIP() << kNeedsNativeProgram;
  const KeyWait &c = GetParam();
  RunOptions options = at_terminal();
  options.prepare = [&](const std::string &dir) { put_directory(dir, c.blocked); };
  options.output_mode = c.output;
  bool on_screen = c.output != Output::kPipeBesideTerminal;
  Session t;
  ASSERT_TRUE(session_start(&t, options));
  if (on_screen) {
    ASSERT_TRUE(session_shows(&t, kCountPrompt));
  }
  termios before = session_mode(t);
  EXPECT_TRUE(same_mode(t.initial_mode, before)) << "changed at start-up";

  session_type(&t, c.answers);
  ASSERT_TRUE(session_shows(&t, c.message));
  ASSERT_TRUE(leaves_line_input(&t)) << "the terminal never left line input";
  EXPECT_TRUE(is_raw_from(session_mode(t), before));
  ASSERT_TRUE(session_running_after(&t, kStillWaiting)) << "did not wait for a key";

  if (!c.key.empty())
    session_type(&t, c.key);
  else
    ASSERT_EQ(kill(t.pid, c.signo), 0);
  RunResult run = session_finish(&t);

  if (c.key.empty()) {
    EXPECT_TRUE(run.finished && !run.exited && run.status == c.signo)
        << "exited " << run.exited << ", status or signal " << run.status;
    EXPECT_EQ(run.err, "");
  } else {
    EXPECT_TRUE(ended_with(run, 1));
  }
  EXPECT_TRUE(same_mode(before, session_mode(t)));
  // The echoed answer line, both prompts, the message; the key not echoed.
  std::string echoed = on_screen ? c.answers.substr(0, c.answers.size() - 1) + "\n" : "";
  EXPECT_EQ(shown(t), kCountPrompt + echoed + kSeedPrompt + c.message);
  EXPECT_FALSE(run.stat.regular);
}

INSTANTIATE_TEST_SUITE_P(Terminal, KeyWaits, ::testing::ValuesIn(kKeyWaits),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(KeyWait, KeyTypedAheadEndsItAtOnce) {
  if (!kNativeProgram) GTEST_SKIP() << kNeedsNativeProgram;
  RunOptions options = at_terminal();
  options.prepare = [](const std::string &dir) { put_directory(dir, "dicefile.txt"); };
  Session t;
  ASSERT_TRUE(session_start(&t, options));
  ASSERT_TRUE(session_shows(&t, kCountPrompt));
  termios before = session_mode(t);
  // The x is typed (and echoed) while the terminal is still in line input;
  // it is not part of the answer line, so it is left for the wait.
  session_type(&t, "36 1\rx");
  RunResult run = session_finish(&t);
  EXPECT_TRUE(ended_with(run, 1));
  // The program may write the seed prompt before the terminal echoes the x.
  std::string screen = shown(t);
  size_t x = screen.find('x');
  ASSERT_NE(x, std::string::npos) << visible(screen);
  EXPECT_EQ(screen.erase(x, 1), kCountPrompt + "36 1\n" + kSeedPrompt + kNoDice);
  EXPECT_TRUE(same_mode(before, session_mode(t)));
}

// ---------------------------------------------------------------------------
// Standard input from a pipe, arriving in separate reads.

struct Pieces {
  const char *why;
  std::vector<std::string> writes;
  Input mode; // left open: a read that wants more than was sent hangs the run
  int32_t roll_count;
  int32_t seed;
};

const Pieces kPieces[] = {
    {"Ctrl+Z ends the text of its read; the field goes on in the next read",
     {std::string("12\x1a\r\n", 5), "3\r\n"},
     Input::kPipe,
     123,
     kClock},
    {"bytes after Ctrl+Z in the same read are dropped too",
     {std::string("12\x1a"
                  "99\n",
                  6),
      "3\n7\n"},
     Input::kPipeLeftOpen,
     123,
     7},
    {"a read holding only Ctrl+Z is the end of input; later bytes are never read",
     {"12", "\x1a", "3\n7\n"},
     Input::kPipeLeftOpen,
     12,
     kClock},
    {"a field goes on across reads", {"1", "2", "\n7\n"}, Input::kPipeLeftOpen, 12, 7},
    {"CR LF within one read", {"12", "\r\n7\r\n"}, Input::kPipeLeftOpen, 12, 7},
    {"the last number is read at the end of input", {"20\n", "5"}, Input::kPipe, 20, 5},
    {"the seed split across reads", {"36\n", "4", "2\n"}, Input::kPipeLeftOpen, 36, 42},
    {"the count's line end in a read of its own is no blank answer",
     {"36", "\n", "7\n"},
     Input::kPipeLeftOpen,
     36,
     7},
    {"a blank answer in a read of its own", {"36\n", "\n"}, Input::kPipeLeftOpen, 36, kClock},
    {"a blank answer split across reads", {"36\n", " \t", "\n"}, Input::kPipeLeftOpen, 36, kClock},
};

TEST(SeparateReads, FieldsAndLinesSpanReads) {
  for (const Pieces &c : kPieces) {
    SCOPED_TRACE(c.why);
    RunOptions options;
    options.pieces = c.writes;
    options.input_mode = c.mode;
    options.timeout_seconds = 10; // a read that waits for more hangs until then
    RunResult run = run_dicestat(options);
    EXPECT_TRUE(ended_with(run, 0));
    EXPECT_EQ(run.out, kPrompts);
    EXPECT_TRUE(holds_run(run, c.roll_count, c.seed));
  }
}

} // namespace
} // namespace e2e
