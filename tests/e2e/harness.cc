#include "harness.h"

#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace e2e {

const std::string kPrompts = "Enter number of rolls: Enter seed or blank for time: ";

namespace {

using Clock = std::chrono::steady_clock;

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

class ScratchDir {
public:
  ScratchDir() {
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/dicestat-e2e-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()))
      path_ = name.data();
    else
      ADD_FAILURE() << "mkdtemp " << pattern << ": " << errno_text();
  }
  ~ScratchDir() {
    // Depth first and without following links: a link to /dev/full goes,
    // not the device.
    if (!path_.empty())
      nftw(
          path_.c_str(), [](const char *p, const struct stat *, int, FTW *) { return remove(p); },
          16, FTW_DEPTH | FTW_PHYS);
  }
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;

  const std::string &path() const { return path_; }

private:
  std::string path_;
};

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
                              int out_fd, int err_fd, char *const argv[]) {
  // A session of its own has no controlling terminal, so the key wait
  // cannot block on the terminal of whoever runs the tests.
  setsid();
  if (chdir(dir.c_str()) != 0) _exit(126);

  if (options.input_mode == Input::kDevNull) in_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
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

  // The program has to guard itself against these; start it unguarded.
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &action, nullptr);
  action.sa_handler = options.ignore_sigxfsz ? SIG_IGN : SIG_DFL;
  sigaction(SIGXFSZ, &action, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);

  if (options.file_size_limit != RLIM_INFINITY) {
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    limit.rlim_cur = options.file_size_limit;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
  }

  execv(argv[0], argv);
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

// Feeds standard input and drains standard output and error until both
// are at end of file or the deadline passes. Returns false on timeout.
bool pump(int &in_fd, const std::string &input, bool close_input, int &out_fd, std::string *out,
          int &err_fd, std::string *err, Clock::time_point deadline) {
  size_t sent = 0;
  if (in_fd >= 0) fcntl(in_fd, F_SETFL, fcntl(in_fd, F_GETFL) | O_NONBLOCK);
  if (close_input && input.empty()) close_fd(in_fd);

  while (out_fd >= 0 || err_fd >= 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;

    pollfd fds[3];
    int count = 0;
    int in_slot = -1, out_slot = -1, err_slot = -1;
    if (in_fd >= 0 && sent < input.size()) {
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
    int ready = poll(fds, static_cast<nfds_t>(count), static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) {
      ADD_FAILURE() << "poll: " << errno_text();
      return false;
    }
    if (ready <= 0) continue;

    if (in_slot >= 0 && fds[in_slot].revents) {
      ssize_t n = write(in_fd, input.data() + sent, input.size() - sent);
      if (n > 0) sent += static_cast<size_t>(n);
      // A program that stopped reading has closed its end; the rest is moot.
      if (n < 0 && errno != EAGAIN && errno != EINTR) sent = input.size();
      if (sent == input.size() && close_input) close_fd(in_fd);
    }
    drain(out_slot >= 0 ? fds[out_slot].revents : 0, out_fd, out);
    drain(err_slot >= 0 ? fds[err_slot].revents : 0, err_fd, err);
  }
  return true;
}

// Waits for the program to end; kills it at the deadline.
bool reap(pid_t pid, Clock::time_point deadline, int *wait_status) {
  for (;;) {
    pid_t done = waitpid(pid, wait_status, WNOHANG);
    if (done == pid) return true;
    if (done < 0 && errno != EINTR) {
      ADD_FAILURE() << "waitpid: " << errno_text();
      return true;
    }
    if (Clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, wait_status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

} // namespace

RunResult run_dicestat(const RunOptions &options) {
  RunResult result;
  hold_standard_descriptors();
  ignore_broken_pipes();

  ScratchDir scratch;
  if (scratch.path().empty()) return result;
  if (options.prepare) options.prepare(scratch.path());
  if (::testing::Test::HasFatalFailure()) return result;

  std::vector<std::string> words = {DICESTAT_BINARY};
  words.insert(words.end(), options.args.begin(), options.args.end());
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  bool piped_in = options.input_mode == Input::kPipe || options.input_mode == Input::kPipeLeftOpen;
  Pipe in = piped_in ? make_pipe() : Pipe{};
  Pipe out = options.output_mode == Output::kPipe || options.output_mode == Output::kPipeNoReader
                 ? make_pipe()
                 : Pipe{};
  Pipe err = make_pipe();
  // Nobody will ever read this pipe: the program's first write meets a
  // closed reader.
  if (options.output_mode == Output::kPipeNoReader) close_fd(out.read_end);

  auto start = Clock::now();
  auto deadline = start + std::chrono::seconds(options.timeout_seconds);
  pid_t pid = fork();
  if (pid < 0) {
    ADD_FAILURE() << "fork: " << errno_text();
    return result;
  }
  if (pid == 0)
    start_child(options, scratch.path(), in.read_end, out.write_end, err.write_end, argv.data());

  close_fd(in.read_end);
  close_fd(out.write_end);
  close_fd(err.write_end);
  bool drained = pump(in.write_end, options.input, options.input_mode == Input::kPipe, out.read_end,
                      &result.out, err.read_end, &result.err, deadline);
  int wait_status = 0;
  result.finished = reap(pid, drained ? deadline : Clock::now(), &wait_status) && drained;
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  close_fd(in.write_end);
  close_fd(out.read_end);
  close_fd(err.read_end);

  if (!result.finished)
    ADD_FAILURE() << "dicestat did not end within " << options.timeout_seconds
                  << " s and was killed; input began \"" << options.input.substr(0, 40) << "\"";
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
