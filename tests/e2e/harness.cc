#include "harness.h"

#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "model.h"

extern char **environ;

namespace e2e {

const std::string kPrompts = "Enter number of rolls: Enter seed or blank for time: ";

namespace {

using Clock = std::chrono::steady_clock;

// Who runs the program for RunOptions::unprivileged: the usual "nobody".
constexpr uid_t kUnprivilegedUser = 65534;
constexpr gid_t kUnprivilegedGroup = 65534;

std::string errno_text() {
  return std::strerror(errno);
}

// Descriptors 0 to 2 must be taken before any pipe is made, or a pipe end
// could land on one of them and be clobbered in the child.
void hold_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) < 0) open("/dev/null", O_RDWR);
}

// A program that ends without reading all its input must not take the
// test process down with it.
void ignore_broken_pipes() {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, nullptr);
}

struct Pipe {
  int read_end = -1;
  int write_end = -1;
};

Pipe make_pipe() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe2: " << errno_text();
    return {};
  }
  return {fds[0], fds[1]};
}

void close_fd(int &fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Runs between fork and exec: async-signal-safe calls only.
[[noreturn]] void start_child(const RunOptions &options, const std::string &dir, int in_fd,
                              int out_fd, int err_fd, char *const argv[], char *const envp[]) {
  // A session of its own has no controlling terminal, so the key wait
  // cannot block on the terminal of whoever runs the tests.
  setsid();
  if (options.unprivileged && geteuid() == 0 &&
      (setgroups(0, nullptr) != 0 || setgid(kUnprivilegedGroup) != 0 ||
       setuid(kUnprivilegedUser) != 0))
    _exit(126);
  if (chdir(dir.c_str()) != 0) _exit(126);

  if (options.input_mode == Input::kDevNull) in_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (options.input_mode == Input::kDirectory) in_fd = open(".", O_RDONLY | O_CLOEXEC);
  if (options.output_mode == Output::kDevFull) out_fd = open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (in_fd >= 0)
    dup2(in_fd, 0);
  else
    close(0);
  if (out_fd >= 0)
    dup2(out_fd, 1);
  else
    close(1);
  dup2(err_fd, 2);

  reset_child_signals(options.ignore_sigxfsz);

  if (options.file_size_limit != RLIM_INFINITY) {
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    limit.rlim_cur = options.file_size_limit;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
  }

  execve(argv[0], argv, envp);
  _exit(127);
}

// Takes what a ready pipe holds; closes it at end of file.
void drain(short revents, int &fd, std::string *bytes) {
  if (!revents) return;
  char chunk[65536];
  ssize_t n = read(fd, chunk, sizeof chunk);
  if (n > 0)
    bytes->append(chunk, static_cast<size_t>(n));
  else if (n == 0 || errno != EINTR)
    close_fd(fd);
}

// Standard input in pieces. A piece after the first is begun only once the
// pipe is empty again (the program has read everything before it) and the
// gap has passed since.
struct Feed {
  std::vector<std::string> pieces; // each in a write of its own
  uint64_t repeat = 1;             // each piece is written this many times over
  uint64_t copy = 0;               // copies of the current piece written so far
  uint64_t written = 0;            // bytes written in all
  bool close_after = true;         // end of input once everything is written
  Clock::duration gap{};           // pause between the program's read and the next piece
  size_t piece = 0;                // the piece being written
  size_t sent = 0;                 // bytes of it written so far
  bool waiting_for_read = false;   // a piece is written; the next is held back
  Clock::time_point next_at;       // when the next piece may begin (after the read)
  bool gap_running = false;        // the pipe was seen empty; waiting for next_at
};

constexpr auto kEmptyPipeCheck = std::chrono::milliseconds(2);

bool pipe_is_empty(int fd) {
  int queued = 0;
  return ioctl(fd, FIONREAD, &queued) == 0 && queued == 0;
}

// Moves past empty pieces and finished ones; closes the pipe after the last
// one when asked. Returns how long poll may sleep before the feed needs a
// look again (-1: not on the feed's account).
int advance_feed(Feed &feed, int &in_fd) {
  for (;;) {
    if (in_fd < 0) return -1;
    if (feed.piece >= feed.pieces.size()) {
      if (feed.close_after) close_fd(in_fd);
      return -1;
    }
    if (feed.waiting_for_read) {
      if (!feed.gap_running) {
        if (!pipe_is_empty(in_fd)) return static_cast<int>(kEmptyPipeCheck.count());
        feed.gap_running = true;
        feed.next_at = Clock::now() + feed.gap;
      }
      auto wait = std::chrono::ceil<std::chrono::milliseconds>(feed.next_at - Clock::now());
      if (wait.count() > 0) return static_cast<int>(wait.count());
      feed.waiting_for_read = feed.gap_running = false;
    }
    if (feed.sent < feed.pieces[feed.piece].size()) return -1;
    if (!feed.pieces[feed.piece].empty() && ++feed.copy < feed.repeat) {
      feed.sent = 0;
      return -1;
    }
    feed.copy = 0;
    ++feed.piece;
    feed.sent = 0;
    feed.waiting_for_read = feed.piece < feed.pieces.size();
  }
}

bool feed_wants_to_write(const Feed &feed, int in_fd) {
  return in_fd >= 0 && feed.piece < feed.pieces.size() && !feed.waiting_for_read &&
         feed.sent < feed.pieces[feed.piece].size();
}

// Signals for the running program, sent from the poll loop.
struct Pester {
  pid_t pid = -1;
  std::vector<int> signals; // sent one at a time, round and round
  Clock::duration every{};  // between two of them
  Clock::time_point next_at;
  size_t next = 0; // the one sent next
  int sent = 0;
};

// Sends the signal that is due, if any. Returns how long poll may sleep
// before the next one is due (-1: none ever).
int pester(Pester &p) {
  if (p.signals.empty()) return -1;
  auto now = Clock::now();
  if (now >= p.next_at) {
    if (kill(p.pid, p.signals[p.next]) == 0) ++p.sent;
    p.next = (p.next + 1) % p.signals.size();
    p.next_at = now + p.every;
  }
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(p.next_at - now).count());
}

// Feeds standard input, sends the signals and drains standard output and
// error until both are at end of file or the deadline passes. Returns
// false on timeout.
bool pump(Feed &feed, Pester &signals, int &in_fd, int &out_fd, std::string *out, int &err_fd,
          std::string *err, Clock::time_point deadline) {
  if (in_fd >= 0) fcntl(in_fd, F_SETFL, fcntl(in_fd, F_GETFL) | O_NONBLOCK);

  while (out_fd >= 0 || err_fd >= 0) {
    int feed_wait = advance_feed(feed, in_fd);
    int signal_wait = pester(signals);
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    int timeout = static_cast<int>(left.count());
    if (feed_wait >= 0 && feed_wait < timeout) timeout = feed_wait;
    if (signal_wait >= 0 && signal_wait < timeout) timeout = signal_wait;

    pollfd fds[3];
    int count = 0;
    int in_slot = -1, out_slot = -1, err_slot = -1;
    if (feed_wants_to_write(feed, in_fd)) {
      in_slot = count;
      fds[count++] = {in_fd, POLLOUT, 0};
    }
    if (out_fd >= 0) {
      out_slot = count;
      fds[count++] = {out_fd, POLLIN, 0};
    }
    if (err_fd >= 0) {
      err_slot = count;
      fds[count++] = {err_fd, POLLIN, 0};
    }
    int ready = poll(fds, static_cast<nfds_t>(count), timeout);
    if (ready < 0 && errno != EINTR) {
      ADD_FAILURE() << "poll: " << errno_text();
      return false;
    }
    if (ready <= 0) continue;

    if (in_slot >= 0 && fds[in_slot].revents) {
      const std::string &piece = feed.pieces[feed.piece];
      ssize_t n = write(in_fd, piece.data() + feed.sent, piece.size() - feed.sent);
      if (n > 0) feed.sent += static_cast<size_t>(n);
      if (n > 0) feed.written += static_cast<uint64_t>(n);
      // A program that stopped reading has closed its end; the rest is moot.
      if (n < 0 && errno != EAGAIN && errno != EINTR) {
        feed.piece = feed.pieces.size();
        close_fd(in_fd);
      }
    }
    drain(out_slot >= 0 ? fds[out_slot].revents : 0, out_fd, out);
    drain(err_slot >= 0 ? fds[err_slot].revents : 0, err_fd, err);
  }
  return true;
}

// Waits for the program to end, noting its peak resident memory; kills it
// at the deadline.
bool reap(pid_t pid, Clock::time_point deadline, int *wait_status, long *peak_rss_kib) {
  struct rusage usage = {};
  for (;;) {
    pid_t done = wait4(pid, wait_status, WNOHANG, &usage);
    *peak_rss_kib = usage.ru_maxrss;
    if (done == pid) return true;
    if (done < 0 && errno != EINTR) {
      ADD_FAILURE() << "wait4: " << errno_text();
      return true;
    }
    if (Clock::now() >= deadline) {
      kill(pid, SIGKILL);
      wait4(pid, wait_status, 0, &usage);
      *peak_rss_kib = usage.ru_maxrss;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::string describe_input(const RunOptions &options) {
  std::string text;
  if (options.writes.empty()) return options.input.substr(0, 40);
  for (const std::string &piece : options.writes) text += "[" + piece.substr(0, 20) + "]";
  return text.substr(0, 60);
}

} // namespace

ScratchDir::ScratchDir() {
  const char *tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/dicestat-e2e-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()))
    path_ = name.data();
  else
    ADD_FAILURE() << "mkdtemp " << pattern << ": " << errno_text();
}

ScratchDir::~ScratchDir() {
  if (path_.empty()) return;
  // A test may have taken away write permission; give it back first, so
  // that the contents can go even when the test is not run as root.
  nftw(
      path_.c_str(),
      [](const char *p, const struct stat *, int type, FTW *) {
        if (type == FTW_D || type == FTW_DNR) chmod(p, 0700);
        return 0;
      },
      16, FTW_PHYS);
  // Depth first and without following links: a link to /dev/full goes,
  // not the device.
  nftw(
      path_.c_str(), [](const char *p, const struct stat *, int, FTW *) { return remove(p); }, 16,
      FTW_DEPTH | FTW_PHYS);
}

// Only a regular file is read: a link to a device would never end.
FileResult read_back(const std::string &path) {
  FileResult file;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return file;
  file.exists = true;
  file.regular = S_ISREG(st.st_mode);
  if (!file.regular) return file;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    ADD_FAILURE() << "open " << path << ": " << errno_text();
    return file;
  }
  char chunk[65536];
  ssize_t n;
  while ((n = read(fd, chunk, sizeof chunk)) > 0) file.bytes.append(chunk, static_cast<size_t>(n));
  if (n < 0) ADD_FAILURE() << "read " << path << ": " << errno_text();
  close(fd);
  return file;
}

std::vector<std::string> child_environment(const EnvChanges &changes) {
  std::vector<std::string> entries;
  for (char **entry = environ; *entry; ++entry) {
    std::string text = *entry;
    std::string name = text.substr(0, text.find('='));
    bool changed = false;
    for (const auto &change : changes) changed = changed || change.first == name;
    if (!changed) entries.push_back(text);
  }
  for (const auto &change : changes)
    if (change.second) entries.push_back(change.first + "=" + *change.second);
  return entries;
}

std::vector<char *> exec_list(std::vector<std::string> &words) {
  std::vector<char *> list;
  for (std::string &word : words) list.push_back(word.data());
  list.push_back(nullptr);
  return list;
}

void prepare_test_process() {
  hold_standard_descriptors();
  ignore_broken_pipes();
}

void reset_child_signals(bool ignore_sigxfsz) {
  // The program has to guard itself against these; start it unguarded.
  // Dispositions the test process inherited (an ignored SIGINT or SIGHUP
  // under a background shell) would otherwise pass on through exec.
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  for (int signo : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP, SIGTTIN, SIGTTOU})
    sigaction(signo, &action, nullptr);
  action.sa_handler = ignore_sigxfsz ? SIG_IGN : SIG_DFL;
  sigaction(SIGXFSZ, &action, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

const char *program_wrapper() {
  const char *wrapper = getenv("DICESTAT_WRAPPER");
  return wrapper && *wrapper ? wrapper : nullptr;
}

RunResult run_dicestat(const RunOptions &options) {
  RunResult result;
  prepare_test_process();

  ScratchDir scratch;
  if (scratch.path().empty()) return result;
  if (options.unprivileged && geteuid() == 0 &&
      chown(scratch.path().c_str(), kUnprivilegedUser, kUnprivilegedGroup) != 0) {
    ADD_FAILURE() << "chown " << scratch.path() << ": " << errno_text();
    return result;
  }
  if (options.prepare) options.prepare(scratch.path());
  if (::testing::Test::HasFatalFailure()) return result;

  std::vector<std::string> words = {options.program.empty() ? DICESTAT_BINARY : options.program};
  if (options.program.empty() && program_wrapper()) words.insert(words.begin(), program_wrapper());
  words.insert(words.end(), options.args.begin(), options.args.end());
  std::vector<char *> argv = exec_list(words);
  std::vector<std::string> environment = child_environment(options.env);
  std::vector<char *> envp = exec_list(environment);

  Feed feed;
  feed.pieces = options.writes.empty() ? std::vector<std::string>{options.input} : options.writes;
  feed.close_after = options.input_mode == Input::kPipe;
  feed.gap = std::chrono::milliseconds(options.write_gap_ms);
  if (options.writes.empty()) feed.repeat = options.input_repeat;

  bool piped_in = options.input_mode == Input::kPipe || options.input_mode == Input::kPipeLeftOpen;
  Pipe in = piped_in ? make_pipe() : Pipe{};
  Pipe out = options.output_mode == Output::kPipe || options.output_mode == Output::kPipeNoReader
                 ? make_pipe()
                 : Pipe{};
  Pipe err = make_pipe();
  // Nobody will ever read this pipe: the program's first write meets a
  // closed reader.
  if (options.output_mode == Output::kPipeNoReader) close_fd(out.read_end);

  // The program's peak memory counts the pages it inherits at fork: keep
  // them to what the test process really uses.
  malloc_trim(0);
  auto start = Clock::now();
  auto deadline = start + std::chrono::seconds(options.timeout_seconds);
  pid_t pid = fork();
  if (pid < 0) {
    ADD_FAILURE() << "fork: " << errno_text();
    return result;
  }
  if (pid == 0)
    start_child(options, scratch.path(), in.read_end, out.write_end, err.write_end, argv.data(),
                envp.data());

  close_fd(in.read_end);
  close_fd(out.write_end);
  close_fd(err.write_end);
  Pester signals;
  signals.pid = pid;
  signals.signals = options.signals;
  signals.every = std::chrono::milliseconds(options.signal_every_ms);
  signals.next_at = start + signals.every;
  bool drained = pump(feed, signals, in.write_end, out.read_end, &result.out, err.read_end,
                      &result.err, deadline);
  result.signals_sent = signals.sent;
  result.input_written = feed.written;
  int wait_status = 0;
  result.finished =
      reap(pid, drained ? deadline : Clock::now(), &wait_status, &result.peak_rss_kib) && drained;
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  close_fd(in.write_end);
  close_fd(out.read_end);
  close_fd(err.read_end);

  if (!result.finished)
    ADD_FAILURE() << "dicestat did not end within " << options.timeout_seconds
                  << " s and was killed; input began \"" << describe_input(options) << "\"";
  result.exited = WIFEXITED(wait_status);
  result.status = result.exited ? WEXITSTATUS(wait_status) : WTERMSIG(wait_status);
  result.dice = read_back(scratch.path() + "/dicefile.txt");
  result.stat = read_back(scratch.path() + "/statfile.txt");
  return result;
}

RunResult run_dicestat(const std::string &input) {
  RunOptions options;
  options.input = input;
  return run_dicestat(options);
}

::testing::AssertionResult ended_with(const RunResult &run, int status) {
  if (!run.finished) return ::testing::AssertionFailure() << "killed after the timeout";
  if (!run.exited) return ::testing::AssertionFailure() << "ended by signal " << run.status;
  if (run.status != status)
    return ::testing::AssertionFailure() << "exit status " << run.status << ", not " << status;
  if (!run.err.empty())
    return ::testing::AssertionFailure() << "wrote to standard error:\n" << run.err;
  return ::testing::AssertionSuccess();
}

std::optional<int32_t> report_time(const RunResult &run) {
  const std::string seed_zero = "Seed: 0 \r\n";
  size_t at = run.stat.bytes.find(seed_zero);
  if (at == std::string::npos) return std::nullopt;
  size_t line = at + seed_zero.size();
  size_t end = run.stat.bytes.find("\r\n", line);
  if (end == std::string::npos) return std::nullopt;
  return time_line_value(run.stat.bytes.substr(line, end - line));
}

::testing::AssertionResult holds_run(const RunResult &run, int32_t roll_count, int32_t seed) {
  ::testing::AssertionResult verdict = ::testing::AssertionSuccess();
  bool differs = false;
  auto differ = [&]() -> ::testing::AssertionResult & {
    if (!differs) verdict = ::testing::AssertionFailure();
    differs = true;
    return verdict << "\n  ";
  };

  std::vector<std::string> lines = report_lines(run.stat.bytes);
  std::vector<std::string> header = {"Number of rolls: " + std::to_string(roll_count) + " ",
                                     "Seed: " + std::to_string(seed) + " "};
  int32_t used = seed;
  if (seed == 0) {
    std::optional<int32_t> time = lines.size() > 2 ? time_line_value(lines[2]) : std::nullopt;
    if (time)
      used = *time;
    else
      differ() << "no Time line after \"Seed: 0 \"";
    header.push_back("Time: " + std::to_string(used) + " ");
  }
  header.push_back("");

  Rolls rolls = model_rolls(used, roll_count);
  std::vector<std::string> counts = header;
  for (int i = 0; i < kOutcomes; ++i)
    counts.push_back(std::to_string(outcome_label(i)) + " " + std::to_string(rolls.tallies[i]) +
                     " ");
  if (lines.size() != header.size() + kOutcomes + 2)
    differ() << "report has " << lines.size() << " lines, not " << header.size() + kOutcomes + 2;
  for (size_t i = 0; i < counts.size() && i < lines.size(); ++i) {
    // Header lines are whole; an outcome line is checked up to its count.
    bool whole = i < header.size();
    std::string got = whole ? lines[i] : lines[i].substr(0, counts[i].size());
    if (got != counts[i]) differ() << "report line " << i << " is \"" << lines[i] << "\"";
  }
  if (run.dice.bytes != rolls.log)
    differ() << "roll log is not that of seed " << used << " (" << run.dice.bytes.size()
             << " bytes, " << rolls.log.size() << " expected)";
  return verdict;
}

void put_file(const std::string &dir, const std::string &name, const std::string &bytes) {
  std::string path = dir + "/" + name;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0) << "create " << path << ": " << errno_text();
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  ASSERT_EQ(done, bytes.size()) << "write " << path;
}

void put_directory(const std::string &dir, const std::string &name) {
  std::string path = dir + "/" + name;
  ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << "mkdir " << path << ": " << errno_text();
}

void put_symlink(const std::string &dir, const std::string &name, const std::string &target) {
  std::string path = dir + "/" + name;
  ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0) << "symlink " << path << ": " << errno_text();
}

} // namespace e2e
