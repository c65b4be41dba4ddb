// Runs the built program once in a fresh scratch directory: standard input
// fed from bytes, standard output captured, and the two output files read
// back afterwards.
#pragma once

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// Changes to the environment the program starts with, one per name: a value
// sets the variable, no value removes it.
using EnvChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

// The test process's environment with `changes` made, as "name=value" entries.
std::vector<std::string> child_environment(const EnvChanges &changes);

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it
// when this goes. An empty path means it could not be made (and the test
// has failed).
class ScratchDir {
public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;

  const std::string &path() const { return path_; }

private:
  std::string path_;
};

enum class Input {
  kPipe,         // the bytes, then end of input
  kPipeLeftOpen, // the bytes, and the pipe stays open until the program ends
  kDevNull,      // /dev/null
  kClosed,       // no descriptor 0 at all
  kDirectory,    // the scratch directory itself: every read fails (EISDIR)
};

enum class Output {
  kPipe,         // captured
  kPipeNoReader, // the read end is closed before the program writes
  kDevFull,      // every write fails with no space left
  kClosed,       // no descriptor 1 at all
};

struct RunOptions {
  std::string input; // bytes for standard input
  // When not empty, standard input instead: each piece in a write of its
  // own, begun only after the program has read all of the one before and
  // then `write_gap_ms` more have passed, so each arrives in a read of its
  // own.
  std::vector<std::string> writes;
  int write_gap_ms = 200;
  Input input_mode = Input::kPipe;                  // where standard input comes from
  Output output_mode = Output::kPipe;               // where standard output goes
  std::vector<std::string> args;                    // words after the program name
  std::function<void(const std::string &)> prepare; // sets up the scratch directory
  rlim_t file_size_limit = RLIM_INFINITY;           // RLIMIT_FSIZE of the program
  bool ignore_sigxfsz = true;                       // SIGXFSZ disposition it starts with
  int timeout_seconds = 60;                         // killed and failed after this
  EnvChanges env;                                   // made to the test's own environment
  std::string program;                              // run instead of dicestat when set
  // `input` is written this many times over, one copy after another, so
  // that a huge input never has to be held at once. Not for `writes`.
  uint64_t input_repeat = 1;
  // Sent to the program one at a time, round and round, one every
  // `signal_every_ms` (the first after that long), until it ends.
  std::vector<int> signals;
  int signal_every_ms = 10;
  // As root: the program runs as user and group 65534, which owns the
  // scratch directory, so that file modes hold for it. Otherwise it runs
  // as the test does, which is unprivileged already.
  bool unprivileged = false;
};

struct FileResult {
  bool exists = false;  // something of that name is in the scratch directory
  bool regular = false; // it is a regular file (only then are the bytes read)
  std::string bytes;    // its content
};

// What is at `path`; the bytes only of a regular file.
FileResult read_back(const std::string &path);

struct RunResult {
  bool finished = false; // ended by itself before the timeout
  bool exited = false;   // ended by exit, not by a signal
  int status = -1;       // exit status, or the signal number when !exited
  std::string out;       // standard output bytes (kPipe only)
  std::string err;       // standard error bytes
  FileResult dice;       // dicefile.txt
  FileResult stat;       // statfile.txt
  double seconds = 0;    // wall time from start to end
  // Peak resident memory of the program, in KiB: the larger of its own and
  // that of the test process's pages it inherits at fork (kept to what the
  // test uses, about 2 MiB), so compare it with another run of the test.
  long peak_rss_kib = 0;
  int signals_sent = 0; // how many of RunOptions::signals went out
  // Bytes written into the standard input pipe: the program took all but
  // what the pipe still held when it ended.
  uint64_t input_written = 0;
};

// Records a test failure (and kills the program) when it does not end in
// time, so a hang cannot stall the suite.
RunResult run_dicestat(const RunOptions &options);

#ifndef DICESTAT_E2E_NATIVE
#define DICESTAT_E2E_NATIVE 1 // the program is this build's own
#endif

// Whether the program under test is a native POSIX process. The Windows
// program, run under Wine through a wrapper script (DICESTAT_E2E_PROGRAM),
// is not: cases that send it signals, give it a terminal of its own or run
// it as another user skip themselves for it with kNeedsNativeProgram.
constexpr bool kNativeProgram = DICESTAT_E2E_NATIVE;
constexpr char kNeedsNativeProgram[] = "needs a native POSIX program";

// The command the program is run under (DICESTAT_WRAPPER, for instance a
// memory checker), or null when it runs directly. The wrapper is given the
// program's path and arguments. Runs whose timing or resource limits mean
// nothing under a wrapper skip themselves.
const char *program_wrapper();

// Shorthand for the common case: the answers through a pipe, nothing else.
RunResult run_dicestat(const std::string &input);

// Success when the run ended by itself with `status` and wrote nothing to
// standard error; otherwise says what happened instead.
::testing::AssertionResult ended_with(const RunResult &run, int status);

// Success when the two files are those of a run of `roll_count` rolls
// seeded with `seed`. A seed of 0 asks the clock: the report must then say
// "Seed: 0 " and give the value taken in its Time line, and the rolls must
// be those of that value. Lists every difference.
::testing::AssertionResult holds_run(const RunResult &run, int32_t roll_count, int32_t seed);

// The value in the report's Time line, if the report has one.
std::optional<int32_t> report_time(const RunResult &run);

// Scratch directory set-up, for RunOptions::prepare. Each one fails the
// current test when the system refuses.
void put_file(const std::string &dir, const std::string &name, const std::string &bytes);
void put_directory(const std::string &dir, const std::string &name);
void put_symlink(const std::string &dir, const std::string &name, const std::string &target);

// For runners of their own (the terminal runner): the test process set up
// to start programs, the child's signal state reset between fork and exec
// (async-signal-safe), and words as an exec argument list (pointing into
// `words`, closed by a null).
void prepare_test_process();
void reset_child_signals(bool ignore_sigxfsz);
std::vector<char *> exec_list(std::vector<std::string> &words);

// The exact standard output of a run that asked both questions and had
// nothing to report.
extern const std::string kPrompts;

} // namespace e2e
