// The one runner of the end-to-end tests: the program (or anything else)
// started in a fresh scratch directory with the given input, environment,
// limits and signals, its standard input and output on pipes, files or a
// pseudo-terminal of its own; console bytes, files, exit status and peak
// memory collected afterwards. Every wait ends at a deadline at the latest,
// and a program that has not ended by itself is killed and the test failed.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>
#include <termios.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

using Millis = std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// How long something that should happen may take on a loaded machine.
constexpr Millis kAppears{10000};

#ifndef DICESTAT_E2E_NATIVE
#define DICESTAT_E2E_NATIVE 1 // the program is this build's own
#endif

// Whether the program under test is a native POSIX process, not the Windows
// program under Wine (DICESTAT_E2E_PROGRAM); cases that need one (signals, a
// terminal of its own, another user) skip themselves with kNeedsNativeProgram.
constexpr bool kNativeProgram = DICESTAT_E2E_NATIVE;
constexpr char kNeedsNativeProgram[] = "needs a native POSIX program";
// For the Windows program, the build also names a session command
// (DICESTAT_E2E_SESSION): the harness runs it with "start" before the first
// test, with no limit and outside every run's timeout, and with "stop" after
// the last, so that each run, limited or not, finds Wine whole and running.

// The command the program is run under (DICESTAT_WRAPPER, for instance a
// memory checker), or null. Runs whose timing or resource limits mean
// nothing under a wrapper skip themselves.
const char *program_wrapper();

// The words that start the program: the wrapper, if any, and its path.
std::vector<std::string> program_command();

// Changes to the environment the program starts with, one per name: a value
// sets the variable, no value removes it.
using EnvChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

enum class Input {
  kPipe,         // the bytes, then end of input
  kPipeLeftOpen, // the bytes, and the pipe stays open until the program ends
  kClosed,       // no descriptor 0 at all
};

enum class Output {
  kPipe,         // captured
  kPipeNoReader, // the read end is closed before the program writes
  kClosed,       // no descriptor 1 at all
  // With `terminal`: a captured pipe all the same, the terminal staying
  // standard input and controlling terminal; its echo is not captured.
  kPipeBesideTerminal,
};

struct RunOptions {
  std::string input;   // bytes for standard input, `repeat` times over
  uint64_t repeat = 1; // so that a huge input never has to be held at once
  // When not empty, standard input instead: each piece written only once
  // the program has read all of the one before (and `gap_ms` more have
  // passed), so that each arrives in a read of its own.
  std::vector<std::string> pieces;
  int gap_ms = 0;
  Input input_mode = Input::kPipe;
  Output output_mode = Output::kPipe;
  std::string input_file;  // when set, standard input is this file (scratch-relative)
  std::string output_file; // when set, standard output is this file
  // Standard input and output are a pseudo-terminal that is the program's
  // controlling terminal, in the usual interactive mode except that output
  // is not post-processed: the screen holds the bytes as written, and the
  // echo of Enter is a bare LF. Input is typed with session_type. A closed
  // input or output mode closes that descriptor all the same.
  bool terminal = false;
  std::vector<std::string> command;                 // empty: program_command()
  std::vector<std::string> args;                    // words after the command
  EnvChanges env;                                   // made to the test's own environment
  std::function<void(const std::string &)> prepare; // sets up the scratch directory
  rlim_t file_size_limit = RLIM_INFINITY;           // RLIMIT_FSIZE of the program
  // Sent one at a time, round and round, one every `signal_every_ms` (the
  // first after that long), until the program ends.
  std::vector<int> signals;
  int signal_every_ms = 10;
  // The first signal also waits until dicefile.txt holds bytes, so that a
  // slow start (a loaded machine, the sanitizers) cannot outrun it.
  bool signal_after_first_piece = false;
  int timeout_seconds = 60; // killed and failed after this
};

struct FileResult {
  bool exists = false;  // something of that name is in the scratch directory
  bool regular = false; // it is a regular file (only then are the bytes read)
  std::string bytes;    // its content
};

struct RunResult {
  bool finished = false; // ended by itself before the deadline
  bool exited = false;   // ended by exit, not by a signal
  int status = -1;       // exit status, or the signal number when !exited
  std::string out;       // standard output bytes, or everything the terminal showed
  std::string err;       // standard error bytes
  FileResult dice;       // dicefile.txt
  FileResult stat;       // statfile.txt
  double seconds = 0;    // wall time from start to end
  // Peak resident memory of the program, in KiB, counting the test
  // process's pages it inherits at fork: compare it with another run.
  long peak_rss_kib = 0;
  int signals_sent = 0;       // how many of RunOptions::signals went out
  uint64_t input_written = 0; // bytes the program's standard input took
};

// A running program. Going out of scope kills one still running, and
// removes the scratch directory with everything in it.
struct Session {
  std::string dir; // the scratch directory; empty when it could not be made
  pid_t pid = -1;
  int in_fd = -1;            // write end of standard input, or the terminal's keyboard
  int out_fd = -1;           // read end of standard output, or the terminal's screen
  int err_fd = -1;           // read end of standard error
  RunResult result;          // filled in as the program runs
  termios initial_mode = {}; // the terminal's mode when the program started
  Clock::time_point start, deadline;
  std::vector<int> signals; // RunOptions::signals, sent in turn
  Clock::time_point next_signal;
  Millis signal_every{};
  bool signal_after_first_piece = false; // RunOptions::signal_after_first_piece
  bool ended = false;                    // reaped

  Session() = default;
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;
  ~Session();
};

// Starts the program. Fails the test and returns false when it cannot.
bool session_start(Session *s, const RunOptions &options);

// Types `bytes` at the terminal's keyboard (or into the input pipe).
void session_type(Session *s, const std::string &bytes);

// Waits until the program has shown `text` (see shown_text); the failure
// message holds the screen.
::testing::AssertionResult session_shows(Session *s, const std::string &text);

// Waits `wait`, taking in output meanwhile; true when the program still runs.
bool session_running_after(Session *s, Millis wait);

// The terminal's mode as it is now.
termios session_mode(const Session &s);

// Waits for the program to end by itself within `within` (killing it and
// failing the test otherwise), takes the rest of its output and reads back
// the files.
RunResult session_finish(Session *s, Millis within = kAppears);

// The whole run: started, fed its input and its signals, finished.
RunResult run_dicestat(const RunOptions &options);
RunResult run_dicestat(const std::string &input); // the answers through a pipe

// What a terminal shows of the program's text, whatever way it draws it:
// control sequences dropped, a cursor move to the right read as blanks.
std::string shown_text(const std::string &screen);

// Scratch directory set-up, for RunOptions::prepare. Each one fails the
// current test when the system refuses.
void put_file(const std::string &dir, const std::string &name, const std::string &bytes);
void put_directory(const std::string &dir, const std::string &name);
void put_symlink(const std::string &dir, const std::string &name, const std::string &target);

} // namespace e2e
