#include "harness.h"

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "support/scratch.h"

extern char **environ;

namespace e2e {
namespace {

// How often a wait looks whether the program has ended.
constexpr Millis kPoll{10};

constexpr cc_t kCtrlC = 0x03, kCtrlD = 0x04, kCtrlBackslash = 0x1c, kCtrlZ = 0x1a;

std::string errno_text() {
  return std::strerror(errno);
}

void close_fd(int &fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Descriptors 0 to 2 must be taken before any pipe is made, or a pipe end
// could land on one of them and be clobbered in the child; and a program
// that stops reading must not take the test process down with SIGPIPE.
void prepare_test_process() {
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) < 0) open("/dev/null", O_RDWR);
  signal(SIGPIPE, SIG_IGN);
}

std::vector<char *> exec_list(std::vector<std::string> &words) {
  std::vector<char *> list;
  for (std::string &word : words) list.push_back(word.data());
  list.push_back(nullptr);
  return list;
}

std::vector<std::string> child_environment(const EnvChanges &changes) {
  std::vector<std::string> entries;
  for (char **entry = environ; *entry; ++entry) {
    std::string text = *entry;
    auto names = [&](const auto &change) { return text.rfind(change.first + "=", 0) == 0; };
    if (std::none_of(changes.begin(), changes.end(), names)) entries.push_back(text);
  }
  for (const auto &change : changes)
    if (change.second) entries.push_back(change.first + "=" + *change.second);
  return entries;
}

// The usual interactive modes, spelled out so that the tests do not depend
// on the system's defaults; only output post-processing is off.
bool set_usual_mode(int fd) {
  termios mode;
  if (tcgetattr(fd, &mode) != 0) return false;
  mode.c_iflag |= ICRNL | IXON;
  mode.c_iflag &= ~(INLCR | IGNCR);
  mode.c_oflag |= OPOST;
  mode.c_oflag &= ~(ONLCR | OCRNL | ONLRET);
  mode.c_lflag |= ICANON | ECHO | ECHOE | ECHOK | ISIG | IEXTEN;
  mode.c_lflag &= ~ECHONL;
  mode.c_cc[VINTR] = kCtrlC;
  mode.c_cc[VQUIT] = kCtrlBackslash;
  mode.c_cc[VEOF] = kCtrlD;
  mode.c_cc[VSUSP] = kCtrlZ;
  return tcsetattr(fd, TCSANOW, &mode) == 0;
}

// Opens `name` (a path in the scratch directory, or an absolute one) for
// the program; -1 when it cannot.
int open_for_program(const std::string &dir, const std::string &name, int flags) {
  return open((name[0] == '/' ? name : dir + "/" + name).c_str(), flags | O_CLOEXEC);
}

// Runs between fork and exec: async-signal-safe calls only. `fds` go on
// descriptors 0 to 2 (-1 leaves one closed).
[[noreturn]] void start_child(const int fds[3], int terminal, const std::string &dir,
                              rlim_t file_size_limit, char *const argv[], char *const envp[]) {
  // A session of its own; without a terminal of its own it has no
  // controlling terminal, so it cannot block on that of whoever runs the
  // tests.
  if (setsid() < 0 || chdir(dir.c_str()) != 0) _exit(126);
  if (terminal >= 0 && ioctl(terminal, TIOCSCTTY, 0) != 0) _exit(126);
  for (int target = 0; target <= 2; ++target) {
    if (fds[target] >= 0)
      dup2(fds[target], target);
    else
      close(target);
  }
  // The program has to guard itself against these; start it unguarded.
  // Dispositions the test process inherited (an ignored SIGINT or SIGHUP
  // under a background shell) would otherwise pass on through exec. SIGXFSZ
  // is left as the test sets it.
  for (int signo : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP, SIGTTIN, SIGTTOU})
    signal(signo, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  const rlimit limit = {file_size_limit, file_size_limit};
  if (file_size_limit != RLIM_INFINITY && setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
  execve(argv[0], argv, envp);
  _exit(127);
}

bool make_pipe(int *read_end, int *write_end) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  *read_end = fds[0];
  *write_end = fds[1];
  return true;
}

// Notes the program's end, its status and its peak memory.
void reap(Session *s, int options) {
  struct rusage usage = {};
  int status = 0;
  pid_t done;
  while ((done = wait4(s->pid, &status, options, &usage)) < 0 && errno == EINTR) {
  }
  if (done != s->pid) return;
  s->ended = true;
  s->result.exited = WIFEXITED(status);
  s->result.status = s->result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  s->result.peak_rss_kib = usage.ru_maxrss;
  s->result.seconds = std::chrono::duration<double>(Clock::now() - s->start).count();
}

// Takes what `fd` holds now; closes it at its end (end of file, or EIO
// from a terminal nobody holds any more).
void drain(int &fd, std::string *bytes) {
  char chunk[65536];
  ssize_t n = 0;
  while (fd >= 0 && ((n = read(fd, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)))
    if (n > 0) bytes->append(chunk, static_cast<size_t>(n));
  if (n < 0 && errno == EAGAIN) return; // more to come
  if (n < 0 && errno != EIO) ADD_FAILURE() << "read: " << errno_text();
  close_fd(fd);
}

// Only a regular file is read: a link to a device would never end.
FileResult read_back(const std::string &path) {
  FileResult file;
  struct stat st;
  file.exists = lstat(path.c_str(), &st) == 0;
  file.regular = file.exists && S_ISREG(st.st_mode);
  int fd = file.regular ? open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW) : -1;
  if (file.regular && fd < 0) ADD_FAILURE() << "open " << path << ": " << errno_text();
  drain(fd, &file.bytes);
  return file;
}

// Sends the signal that is due; returns how long until the next one.
Millis send_due_signal(Session *s) {
  if (s->signals.empty() || s->ended) return kAppears;
  auto now = Clock::now();
  struct stat log;
  if (s->signal_after_first_piece && s->result.signals_sent == 0 &&
      (stat((s->dir + "/dicefile.txt").c_str(), &log) != 0 || log.st_size == 0))
    s->next_signal = std::max(s->next_signal, now + Millis(1));
  if (now >= s->next_signal) {
    int signo = s->signals[s->result.signals_sent % s->signals.size()];
    if (kill(s->pid, signo) == 0) ++s->result.signals_sent;
    s->next_signal = now + s->signal_every;
  }
  return std::chrono::ceil<Millis>(s->next_signal - now);
}

bool all_done(const Session &s) {
  return s.ended && s.out_fd < 0 && s.err_fd < 0;
}

// Takes in the program's output, sends its signals and notes its end until
// `done` holds, `within` has passed or the deadline; returns whether `done`
// held. Output, or when `writing` room in the program's input, cuts a
// pause short.
bool pump_until(Session *s, Millis within, const std::function<bool()> &done,
                bool writing = false) {
  auto end = std::min(Clock::now() + within, s->deadline);
  while (!done()) {
    if (all_done(*s) || Clock::now() >= end) return done();
    Millis pause =
        std::min({kPoll, std::chrono::ceil<Millis>(end - Clock::now()), send_due_signal(s)});
    pollfd fds[3] = {
        {s->out_fd, POLLIN, 0}, {s->err_fd, POLLIN, 0}, {writing ? s->in_fd : -1, POLLOUT, 0}};
    if (poll(fds, 3, static_cast<int>(std::max(pause, Millis(0)).count())) < 0 && errno != EINTR)
      ADD_FAILURE() << "poll: " << errno_text();
    drain(s->out_fd, &s->result.out);
    drain(s->err_fd, &s->result.err);
    if (!s->ended) reap(s, WNOHANG);
  }
  return true;
}

// Writes what it can of `bytes` to the program's input within `within`,
// taking in its output meanwhile; returns how much went in. It stops
// short when the program closes its end.
size_t write_input(Session *s, const std::string &bytes, Millis within) {
  size_t done = 0;
  auto written = [&] {
    ssize_t n = write(s->in_fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) done += static_cast<size_t>(n);
    // A full input: let the program read meanwhile.
    return done == bytes.size() || (n < 0 && errno != EAGAIN && errno != EINTR);
  };
  pump_until(s, within, written, true);
  s->result.input_written += done;
  return done;
}

// Whether the program has read all that was written to its input.
bool input_taken(const Session &s) {
  int queued = 0;
  return ioctl(s.in_fd, FIONREAD, &queued) != 0 || queued == 0;
}

#ifdef DICESTAT_E2E_SESSION
// Runs the session command with `word`, with no limit and a bound of its
// own, far longer than a run's: making a new Wine prefix can take minutes
// on a loaded machine.
::testing::AssertionResult run_session(const char *word) {
  RunOptions options;
  options.command = {DICESTAT_E2E_SESSION, word};
  options.timeout_seconds = 600;
  RunResult run = run_dicestat(options);
  if (run.finished && run.exited && run.status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << DICESTAT_E2E_SESSION << " " << word << " ended with "
                                       << (run.exited ? "status " : "signal ") << run.status
                                       << "; it wrote " << run.out << run.err;
}

// The program's surroundings made whole before the first test and ended
// after the last, outside every run's limits and timeout: for the Windows
// program, Wine (tests/wine-session/session.sh), which a run under a file
// size limit must not be the first to start. Without them no test runs.
class ProgramSession : public ::testing::Environment {
public:
  void SetUp() override {
    ASSERT_TRUE(run_session("start"));
    started_ = true;
  }
  void TearDown() override {
    if (started_) {
      EXPECT_TRUE(run_session("stop"));
    }
  }

private:
  bool started_ = false;
};

::testing::Environment *const program_session =
    ::testing::AddGlobalTestEnvironment(new ProgramSession);
#endif

} // namespace

const char *program_wrapper() {
  const char *wrapper = getenv("DICESTAT_WRAPPER");
  return wrapper && *wrapper ? wrapper : nullptr;
}

std::vector<std::string> program_command() {
  std::vector<std::string> words = {DICESTAT_BINARY};
  if (program_wrapper()) words.insert(words.begin(), program_wrapper());
  return words;
}

Session::~Session() {
  if (pid > 0 && !ended) {
    kill(pid, SIGKILL);
    reap(this, 0);
    ADD_FAILURE() << "the program still ran when the test ended and was killed";
  }
  for (int *fd : {&in_fd, &out_fd, &err_fd}) close_fd(*fd);
  if (!dir.empty()) remove_scratch_dir(dir);
}

bool session_start(Session *s, const RunOptions &options) {
  prepare_test_process();
  s->dir = make_scratch_dir("dicestat-e2e");
  if (s->dir.empty()) return false;
  if (options.prepare) options.prepare(s->dir);
  if (::testing::Test::HasFatalFailure()) return false;

  int child[3] = {-1, -1, -1}; // the program's descriptors 0 to 2
  int terminal = -1;           // the program's side of its terminal
  bool ok = make_pipe(&s->err_fd, &child[2]);
  char name[128];
  if (options.terminal) {
    s->in_fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ok = ok && s->in_fd >= 0 && grantpt(s->in_fd) == 0 && unlockpt(s->in_fd) == 0 &&
         ptsname_r(s->in_fd, name, sizeof name) == 0 &&
         (terminal = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC)) >= 0 && set_usual_mode(terminal) &&
         tcgetattr(terminal, &s->initial_mode) == 0 && (s->out_fd = dup(s->in_fd)) >= 0;
    if (options.input_mode != Input::kClosed) child[0] = terminal;
    if (options.output_mode == Output::kPipeBesideTerminal) {
      close_fd(s->out_fd);
      ok = ok && make_pipe(&s->out_fd, &child[1]);
    } else if (options.output_mode != Output::kClosed) {
      child[1] = terminal;
    }
  } else {
    if (!options.input_file.empty())
      child[0] = open_for_program(s->dir, options.input_file, O_RDONLY);
    else if (options.input_mode != Input::kClosed)
      ok = ok && make_pipe(&child[0], &s->in_fd);
    if (!options.output_file.empty())
      child[1] = open_for_program(s->dir, options.output_file, O_WRONLY);
    else if (options.output_mode != Output::kClosed)
      ok = ok && make_pipe(&s->out_fd, &child[1]);
    if (options.output_mode == Output::kPipeNoReader) close_fd(s->out_fd);
  }
  std::vector<std::string> words = options.command.empty() ? program_command() : options.command;
  words.insert(words.end(), options.args.begin(), options.args.end());
  std::vector<char *> argv = exec_list(words);
  std::vector<std::string> environment = child_environment(options.env);
  std::vector<char *> envp = exec_list(environment);

  // The program's peak memory counts the pages it inherits at fork: keep
  // them to what the test process really uses.
  malloc_trim(0);
  s->start = Clock::now();
  s->deadline = s->start + std::chrono::seconds(options.timeout_seconds);
  if (ok && (s->pid = fork()) == 0)
    start_child(child, terminal, s->dir, options.file_size_limit, argv.data(), envp.data());
  if (!ok || s->pid < 0) ADD_FAILURE() << "starting the program: " << errno_text();
  for (int &fd : child)
    if (fd != terminal) close_fd(fd);
  close_fd(terminal);
  for (int fd : {s->in_fd, s->out_fd, s->err_fd})
    if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  s->signals = options.signals;
  s->signal_every = Millis(options.signal_every_ms);
  s->signal_after_first_piece = options.signal_after_first_piece;
  s->next_signal = s->start + s->signal_every;
  return ok && s->pid > 0;
}

void session_type(Session *s, const std::string &bytes) {
  size_t done = write_input(s, bytes, kAppears);
  if (done != bytes.size())
    ADD_FAILURE() << "typed only " << done << " of " << ::testing::PrintToString(bytes);
}

::testing::AssertionResult session_shows(Session *s, const std::string &text) {
  auto shown = [&] { return shown_text(s->result.out).find(text) != std::string::npos; };
  if (pump_until(s, kAppears, shown)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "the screen does not show " << ::testing::PrintToString(text)
         << (s->ended ? " (program ended)" : "") << "; it shows "
         << ::testing::PrintToString(s->result.out);
}

bool session_running_after(Session *s, Millis wait) {
  pump_until(s, wait, [] { return false; });
  return !s->ended;
}

termios session_mode(const Session &s) {
  // The keyboard side answers with the program's side's mode.
  termios mode = {};
  if (tcgetattr(s.in_fd, &mode) != 0) ADD_FAILURE() << "tcgetattr: " << errno_text();
  return mode;
}

RunResult session_finish(Session *s, Millis within) {
  s->result.finished = pump_until(s, within, [&] { return all_done(*s); });
  if (!s->ended) {
    kill(s->pid, SIGKILL);
    reap(s, 0);
    ADD_FAILURE() << "the program did not end in time and was killed; it showed "
                  << ::testing::PrintToString(s->result.out.substr(0, 300));
  }
  // What a killed program wrote last, or what a grandchild kept open.
  pump_until(s, kPoll, [&] { return all_done(*s); });
  s->result.dice = read_back(s->dir + "/dicefile.txt");
  s->result.stat = read_back(s->dir + "/statfile.txt");
  return s->result;
}

RunResult run_dicestat(const RunOptions &options) {
  Session s;
  if (!session_start(&s, options)) return s.result;
  const Millis whole = std::chrono::seconds(options.timeout_seconds); // each wait: to the deadline
  // Once the program has closed its input, the rest is moot.
  bool feeding = s.in_fd >= 0;
  for (uint64_t copy = 0; feeding && options.pieces.empty() && copy < options.repeat; ++copy)
    feeding = write_input(&s, options.input, whole) == options.input.size();
  for (size_t i = 0; feeding && i < options.pieces.size(); ++i) {
    if (i > 0) {
      feeding = pump_until(&s, whole, [&] { return input_taken(s); });
      session_running_after(&s, Millis(options.gap_ms));
    }
    feeding = feeding && write_input(&s, options.pieces[i], whole) == options.pieces[i].size();
  }
  if (options.input_mode != Input::kPipeLeftOpen) close_fd(s.in_fd);
  return session_finish(&s, whole);
}

RunResult run_dicestat(const std::string &input) {
  RunOptions options;
  options.input = input;
  return run_dicestat(options);
}

std::string shown_text(const std::string &screen) {
  std::string text;
  for (size_t i = 0; i < screen.size(); ++i) {
    if (screen[i] != '\x1b') {
      text += screen[i];
    } else if (i + 1 < screen.size() && screen[i + 1] == '[') { // CSI: parameters, final byte
      size_t end = screen.find_first_not_of("0123456789;?<=> !\"#$%&'()*+,-./:", i + 2);
      if (end == std::string::npos) break;
      int count = std::max(1, std::atoi(screen.c_str() + i + 2));
      if (screen[end] == 'C') text.append(static_cast<size_t>(count), ' ');
      i = end;
    } else if (i + 1 < screen.size() && screen[i + 1] == ']') { // OSC: up to BEL or ESC "\"
      size_t end = screen.find_first_of("\x07\x1b", i + 2);
      if (end == std::string::npos) break;
      i = screen[end] == '\x1b' ? end + 1 : end;
    } else { // intermediate bytes, then a final one
      while (i + 1 < screen.size() && screen[i + 1] >= 0x20 && screen[i + 1] <= 0x2f) ++i;
      ++i;
    }
  }
  return text;
}

void put_file(const std::string &dir, const std::string &name, const std::string &bytes) {
  std::string path = dir + "/" + name;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0) << "create " << path << ": " << errno_text();
  ssize_t n = write(fd, bytes.data(), bytes.size());
  close(fd);
  ASSERT_EQ(n, static_cast<ssize_t>(bytes.size())) << "write " << path;
}

void put_directory(const std::string &dir, const std::string &name) {
  ASSERT_EQ(mkdir((dir + "/" + name).c_str(), 0755), 0) << "mkdir " << name << ": " << errno_text();
}

void put_symlink(const std::string &dir, const std::string &name, const std::string &target) {
  ASSERT_EQ(symlink(target.c_str(), (dir + "/" + name).c_str()), 0)
      << "symlink " << name << ": " << errno_text();
}

} // namespace e2e
