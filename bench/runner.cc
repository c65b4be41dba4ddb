// The end-to-end benchmark. For each roll count, dicestat, the write-only
// baseline and the naive peer take turns, run by run, each given its answers
// on a pipe in a scratch directory; then the medians, rates, peak resident
// memory and the paired ratios are reported, and dicestat's roll log is
// checked against the naive peer's. At the largest count, dicestat writing
// the roll log then takes turns with dicestat-chart testing it for
// independence.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int kSeed = 1;
constexpr int kDefaultRuns = 7;
constexpr long long kDefaultRolls[] = {1000000, 10000000, 100000000};
constexpr double kRollBytes = 3;
constexpr double kMega = 1e6;

enum ContenderIndex { kDicestat, kBaseline, kNaive, kContenders };

struct Contender {
  const char *name;
  std::string path;
};

struct Sample {
  double seconds;      // wall time
  double user, system; // processor time in the program and in the kernel for it
  long max_rss_kib;    // ru_maxrss of the finished child
};

double now_seconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double seconds_of(timeval t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

// Starts path with the argument arg, when there is one, and `answers`
// already waiting in the pipe, its output sent to /dev/null; the clock runs
// from the fork to the reaping.
bool run_once(const std::string &path, const char *arg, const std::string &answers,
              Sample *sample) {
  int length = static_cast<int>(answers.size());
  int fds[2];
  if (pipe(fds) != 0) return false;
  bool sent = write(fds[1], answers.data(), answers.size()) == length;
  close(fds[1]);
  if (!sent) {
    close(fds[0]);
    return false;
  }
  double start = now_seconds();
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    if (dup2(fds[0], STDIN_FILENO) < 0 || null < 0 || dup2(null, STDOUT_FILENO) < 0) _exit(126);
    execl(path.c_str(), path.c_str(), arg, static_cast<char *>(nullptr));
    _exit(127);
  }
  close(fds[0]);
  if (pid < 0) return false;
  int status = 0;
  rusage usage = {};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  sample->seconds = now_seconds() - start;
  sample->user = seconds_of(usage.ru_utime);
  sample->system = seconds_of(usage.ru_stime);
  sample->max_rss_kib = usage.ru_maxrss;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "%s failed with status %d\n", path.c_str(), status);
    return false;
  }
  return true;
}

std::string answers_for(long long rolls) {
  return std::to_string(rolls) + "\n" + std::to_string(kSeed) + "\n";
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

long long file_size(const char *name) {
  struct stat st;
  return stat(name, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

bool same_contents(const char *a, const char *b) {
  FILE *fa = fopen(a, "rb");
  FILE *fb = fopen(b, "rb");
  bool same = fa && fb;
  static char block_a[1 << 16], block_b[1 << 16];
  while (same) {
    size_t na = fread(block_a, 1, sizeof block_a, fa);
    size_t nb = fread(block_b, 1, sizeof block_b, fb);
    same = na == nb && memcmp(block_a, block_b, na) == 0;
    if (na == 0) break;
  }
  if (fa) fclose(fa);
  if (fb) fclose(fb);
  return same;
}

std::string cpu_model() {
  FILE *f = fopen("/proc/cpuinfo", "r");
  std::string model = "unknown";
  char line[512];
  while (f && fgets(line, sizeof line, f)) {
    if (strncmp(line, "model name", 10) != 0) continue;
    const char *colon = strchr(line, ':');
    if (colon) model = std::string(colon + 2, strcspn(colon + 2, "\n"));
    break;
  }
  if (f) fclose(f);
  return model;
}

void settle_file_system() {
  int here = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (here < 0) return;
  syncfs(here);
  close(here);
}

// Each run creates its files afresh; the sync settles what the last run's
// removal left for the file system to do, before the clock runs.
void fresh_files() {
  unlink("dicefile.txt");
  unlink("statfile.txt");
  settle_file_system();
}

// Runs every contender `runs` times for `rolls`, rotating who goes first,
// and prints the table for this roll count. False when a run failed or the
// logs disagree.
bool bench_rolls(Contender (&contenders)[kContenders], long long rolls, int runs) {
  std::vector<Sample> samples[kContenders];
  for (int run = 0; run < runs; ++run) {
    for (int turn = 0; turn < kContenders; ++turn) {
      int who = (run + turn) % kContenders;
      fresh_files();
      Sample sample;
      if (!run_once(contenders[who].path, nullptr, answers_for(rolls), &sample)) return false;
      samples[who].push_back(sample);
      if (run == runs - 1 && who != kBaseline)
        rename("dicefile.txt", who == kDicestat ? "dicestat.log" : "naive.log");
    }
  }

  printf("\n%lld rolls, %d runs each\n", rolls, runs);
  printf("  %-10s %10s %14s %8s %8s %8s %13s\n", "contender", "median s", "rolls/s", "MB/s",
         "user s", "sys s", "peak RSS KiB");
  for (int who = 0; who < kContenders; ++who) {
    std::vector<double> seconds, user, system;
    long peak = 0;
    for (const Sample &s : samples[who]) {
      seconds.push_back(s.seconds);
      user.push_back(s.user);
      system.push_back(s.system);
      peak = std::max(peak, s.max_rss_kib);
    }
    double wall = median(seconds);
    printf("  %-10s %10.4f %14.0f %8.1f %8.4f %8.4f %13ld\n", contenders[who].name, wall,
           static_cast<double>(rolls) / wall,
           kRollBytes * static_cast<double>(rolls) / wall / kMega, median(user), median(system),
           peak);
  }
  std::vector<double> over_baseline, naive_over;
  for (int run = 0; run < runs; ++run) {
    over_baseline.push_back(samples[kDicestat][run].seconds / samples[kBaseline][run].seconds);
    naive_over.push_back(samples[kNaive][run].seconds / samples[kDicestat][run].seconds);
  }
  printf("  dicestat / baseline: %.3f   naive / dicestat: %.2f   (medians of paired runs)\n",
         median(over_baseline), median(naive_over));

  bool ok = file_size("dicestat.log") == static_cast<long long>(kRollBytes) * rolls &&
            same_contents("dicestat.log", "naive.log");
  printf("  roll log: %s\n",
         ok ? "identical to the naive peer's" : "DIFFERS from the naive peer's");
  unlink("dicestat.log");
  unlink("naive.log");
  return ok;
}

// dicestat writes the roll log of `rolls` and dicestat-chart --independence
// reads it back, `runs` times each, the one or the other first by turns
// (the log of the run before is there for the chart); prints the medians,
// the paired ratio and the chart's peak resident memory. False when a run
// failed.
bool bench_independence(const std::string &dicestat, const std::string &chart, long long rolls,
                        int runs) {
  std::vector<double> write_seconds, test_seconds, ratios;
  long peak = 0;
  for (int run = 0; run < runs; ++run) {
    Sample written, tested;
    for (int turn = 0; turn < 2; ++turn) {
      bool chart_turn = (run + turn) % 2 == 1;
      if (chart_turn) {
        if (!run_once(chart, "--independence", "", &tested)) return false;
      } else {
        fresh_files();
        if (!run_once(dicestat, nullptr, answers_for(rolls), &written)) return false;
      }
    }
    write_seconds.push_back(written.seconds);
    test_seconds.push_back(tested.seconds);
    ratios.push_back(tested.seconds / written.seconds);
    peak = std::max(peak, tested.max_rss_kib);
  }
  printf("\nindependence at %lld rolls, %d runs each\n", rolls, runs);
  printf("  dicestat writes the log: %.4f s   dicestat-chart --independence tests it: %.4f s\n",
         median(write_seconds), median(test_seconds));
  printf("  chart / dicestat: %.2f (median of paired runs)   chart peak RSS: %ld KiB\n",
         median(ratios), peak);
  return true;
}

// "1000,20000": an empty list when anything else is in it.
std::vector<long long> parse_counts(char *text) {
  std::vector<long long> counts;
  for (char *p = text; *p;) {
    char *end = p;
    long long n = strtoll(p, &end, 10);
    if (end == p || n < 0 || (*end != ',' && *end != '\0')) return {};
    counts.push_back(n);
    p = *end == ',' ? end + 1 : end;
  }
  return counts;
}

void usage(const char *self) {
  fprintf(stderr,
          "usage: %s [--runs N] [--rolls N[,N...]] [--dicestat PATH] [--baseline PATH] "
          "[--naive PATH] [--chart PATH]\n",
          self);
}

} // namespace

int main(int argc, char **argv) {
  Contender contenders[kContenders] = {
      {"dicestat", DICESTAT_BINARY}, {"baseline", BASELINE_BINARY}, {"naive", NAIVE_BINARY}};
  std::string chart = CHART_BINARY;
  int runs = kDefaultRuns;
  std::vector<long long> roll_counts(std::begin(kDefaultRolls), std::end(kDefaultRolls));
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string flag = argv[i];
    char *value = argv[i + 1];
    if (flag == "--runs") {
      runs = atoi(value);
    } else if (flag == "--rolls") {
      roll_counts = parse_counts(value);
    } else if (flag == "--dicestat") {
      contenders[kDicestat].path = value;
    } else if (flag == "--baseline") {
      contenders[kBaseline].path = value;
    } else if (flag == "--naive") {
      contenders[kNaive].path = value;
    } else if (flag == "--chart") {
      chart = value;
    } else {
      runs = 0;
    }
  }
  if (argc % 2 == 0 || runs < 1 || roll_counts.empty()) {
    usage(argv[0]);
    return 2;
  }
  for (Contender &c : contenders) {
    char *full = realpath(c.path.c_str(), nullptr);
    if (!full) {
      fprintf(stderr, "%s: no program at %s\n", c.name, c.path.c_str());
      return 2;
    }
    c.path = full;
    free(full);
  }
  if (!chart.empty()) {
    char *full = realpath(chart.c_str(), nullptr);
    if (!full) {
      fprintf(stderr, "dicestat-chart: no program at %s\n", chart.c_str());
      return 2;
    }
    chart = full;
    free(full);
  }

  const char *tmp = getenv("TMPDIR");
  std::string scratch = std::string(tmp && *tmp ? tmp : "/tmp") + "/dicestat-bench-XXXXXX";
  if (!mkdtemp(&scratch[0]) || chdir(scratch.c_str()) != 0) {
    perror("scratch directory");
    return 1;
  }
  printf("machine: %ld CPUs, %s\nscratch: %s\n", sysconf(_SC_NPROCESSORS_ONLN), cpu_model().c_str(),
         scratch.c_str());
  printf("targets at 100000000 rolls: dicestat / baseline <= 1.25, naive / dicestat >= 12, "
         "peak RSS <= 4096 KiB at every count; chart / dicestat <= 10, chart peak RSS < 163840 "
         "KiB\n");

  bool ok = true;
  for (long long rolls : roll_counts) {
    fflush(stdout);
    if (!bench_rolls(contenders, rolls, runs)) ok = false;
  }
  if (!chart.empty()) {
    long long most = *std::max_element(roll_counts.begin(), roll_counts.end());
    fflush(stdout);
    if (!bench_independence(contenders[kDicestat].path, chart, most, runs)) ok = false;
  }
  unlink("dicefile.txt");
  unlink("statfile.txt");
  unlink("dicestat.log");
  unlink("naive.log");
  if (chdir("/") != 0 || rmdir(scratch.c_str()) != 0) perror("removing the scratch directory");
  return ok ? 0 : 1;
}
