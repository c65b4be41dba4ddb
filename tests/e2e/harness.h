// Runs the built program once in a fresh scratch directory: standard input
// fed from bytes, standard output captured, and the two output files read
// back afterwards.
#pragma once

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

enum class Input {
  kPipe,         // the bytes, then end of input
  kPipeLeftOpen, // the bytes, and the pipe stays open until the program ends
  kDevNull,      // /dev/null
  kClosed,       // no descriptor 0 at all
};

enum class Output {
  kPipe,         // captured
  kPipeNoReader, // the read end is closed before the program writes
  kDevFull,      // every write fails with no space left
  kClosed,       // no descriptor 1 at all
};

struct RunOptions {
  std::string input;                                // bytes for standard input
  Input input_mode = Input::kPipe;                  // where standard input comes from
  Output output_mode = Output::kPipe;               // where standard output goes
  std::vector<std::string> args;                    // words after the program name
  std::function<void(const std::string &)> prepare; // sets up the scratch directory
  rlim_t file_size_limit = RLIM_INFINITY;           // RLIMIT_FSIZE of the program
  bool ignore_sigxfsz = true;                       // SIGXFSZ disposition it starts with
  int timeout_seconds = 60;                         // killed and failed after this
};

struct FileResult {
  bool exists = false;  // something of that name is in the scratch directory
  bool regular = false; // it is a regular file (only then are the bytes read)
  std::string bytes;    // its content
};

struct RunResult {
  bool finished = false; // ended by itself before the timeout
  bool exited = false;   // ended by exit, not by a signal
  int status = -1;       // exit status, or the signal number when !exited
  std::string out;       // standard output bytes (kPipe only)
  std::string err;       // standard error bytes
  FileResult dice;       // dicefile.txt
  FileResult stat;       // statfile.txt
  double seconds = 0;    // wall time from start to end
};

// Records a test failure (and kills the program) when it does not end in
// time, so a hang cannot stall the suite.
RunResult run_dicestat(const RunOptions &options);

// Shorthand for the common case: the answers through a pipe, nothing else.
RunResult run_dicestat(const std::string &input);

// Success when the run ended by itself with `status` and wrote nothing to
// standard error; otherwise says what happened instead.
::testing::AssertionResult ended_with(const RunResult &run, int status);

// Scratch directory set-up, for RunOptions::prepare. Each one fails the
// current test when the system refuses.
void put_file(const std::string &dir, const std::string &name, const std::string &bytes);
void put_directory(const std::string &dir, const std::string &name);
void put_symlink(const std::string &dir, const std::string &name, const std::string &target);

// The exact standard output of a run that asked both questions and had
// nothing to report.
extern const std::string kPrompts;

} // namespace e2e
