// The e-processes measured: how often fair dice looked at after every roll
// take them to 20 or 1,000, beside the chi-square test of fit repeated every
// 100 rolls; how many rolls they need against a loaded d6 and against a d6
// that repeats its last roll, beside the fixed-count tests; and the speed and
// memory of --follow on a pipe. Seeded streams: the same tables every run.
// Usage: bench_anytime [SEQUENCE_SHARE], the share of the full sequence
// counts to run (1 by default).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/non_central_chi_squared.hpp>

#include "chart/stats/anytime_fit.h"
#include "chart/stats/anytime_independence.h"
#include "chart/stats/fit.h"
#include "chart/stats/monte_carlo.h"
#include "chart/stats/no_throw.h"

namespace {

using ChiSquared = boost::math::chi_squared_distribution<double, NoThrow>;
using NonCentral = boost::math::non_central_chi_squared_distribution<double, NoThrow>;

constexpr uint64_t kSeed = 2024;
constexpr int kLookEvery = 100; // rolls between the repeated chi-square tests
constexpr double kLevels[2] = {0.05, 0.001};
constexpr double kPower = 0.8;

enum class Dice { kFair, kLoaded, kSticky };

// A sequence of `rolls` faces of a K-faced die: fair; a d6 with face 0 at
// 0.20 and the others at 0.16; or a fair d6 that repeats its last roll one
// time in five.
std::vector<uint8_t> roll(Dice dice, int faces, int rolls, uint64_t index) {
  RandomStream s = random_stream(kSeed, index);
  std::vector<uint8_t> out(rolls);
  for (int t = 0; t < rolls; ++t) {
    if (dice == Dice::kLoaded) {
      uint32_t r = random_below(s, 100);
      out[t] = static_cast<uint8_t>(r < 20 ? 0 : 1 + (r - 20) / 16);
    } else if (dice == Dice::kSticky && t > 0 && random_below(s, 5) == 0) {
      out[t] = out[t - 1];
    } else {
      out[t] = static_cast<uint8_t>(random_below(s, faces));
    }
  }
  return out;
}

// Whether Pearson's test of fit against fair dice, run every kLookEvery
// rolls, ever rejects at each level.
void repeated_chi_square(const std::vector<uint8_t> &rolls, int faces, bool rejected[2]) {
  std::vector<int64_t> counts(faces);
  for (size_t t = 0; t < rolls.size(); ++t) {
    ++counts[rolls[t]];
    if ((t + 1) % kLookEvery != 0) continue;
    double expected = static_cast<double>(t + 1) / faces, chi2 = 0;
    for (int64_t c : counts) chi2 += (c - expected) * (c - expected) / expected;
    double p = chi2_upper_tail(chi2, faces - 1);
    for (int k = 0; k < 2; ++k) rejected[k] = rejected[k] || p < kLevels[k];
  }
}

void type_one_errors(int faces, int sequences, int rolls) {
  int fit[2] = {}, order[2] = {}, chi2[2] = {};
  for (int s = 0; s < sequences; ++s) {
    std::vector<uint8_t> r = roll(Dice::kFair, faces, rolls, static_cast<uint64_t>(s));
    std::vector<double> fair(faces, 1.0 / faces);
    Anytime f = anytime_fit_of_rolls(r.data(), rolls, fair);
    Anytime o = anytime_independence_of(r.data(), rolls, faces);
    bool rejected[2] = {};
    repeated_chi_square(r, faces, rejected);
    for (int k = 0; k < 2; ++k) {
      fit[k] += f.reached[k] != 0;
      order[k] += o.reached[k] != 0;
      chi2[k] += rejected[k];
    }
  }
  auto share = [&](int n) { return 100.0 * n / sequences; };
  std::printf("| d%d | %d | %.2f %% | %.3f %% | %.2f %% | %.3f %% | %.2f %% | %.3f %% |\n", faces,
              sequences, share(fit[0]), share(fit[1]), share(order[0]), share(order[1]),
              share(chi2[0]), share(chi2[1]));
  std::fflush(stdout);
}

// The q-quantile of the rolls until each level, a roll count past `rolls`
// standing for "not within the rolls drawn".
std::string quantile_text(std::vector<int64_t> v, double q) {
  std::sort(v.begin(), v.end());
  int64_t x = v[static_cast<size_t>(std::ceil(q * v.size())) - 1];
  return x == INT64_MAX ? "beyond" : std::to_string(x);
}

// The fewest rolls at which a chi-square test with `df` degrees of freedom
// rejects at `level` with kPower, for a non-centrality of `per_roll` a
// roll (or a pair, times `rolls_per_unit`).
int64_t fixed_count(int df, double level, double per_roll, int rolls_per_unit) {
  double critical = quantile(complement(ChiSquared(df), level));
  double lambda = NonCentral::find_non_centrality(df, critical, 1 - kPower);
  return static_cast<int64_t>(std::ceil(lambda / per_roll)) * rolls_per_unit;
}

void power(Dice dice, int sequences, int rolls) {
  std::vector<int64_t> until[2];
  for (int s = 0; s < sequences; ++s) {
    std::vector<uint8_t> r = roll(dice, 6, rolls, 1000000 + static_cast<uint64_t>(s));
    Anytime found = dice == Dice::kLoaded
                        ? anytime_fit_of_rolls(r.data(), rolls, std::vector<double>(6, 1.0 / 6))
                        : anytime_independence_of(r.data(), rolls, 6);
    for (int k = 0; k < 2; ++k) until[k].push_back(found.reached[k] ? found.reached[k] : INT64_MAX);
  }
  // Loaded: 6 (0.2 - 1/6)^2 + 30 (0.16 - 1/6)^2 = 0.008 a roll, 5 df.
  // Sticky, at lag 1 with pairs apart: phi^2 = 0.2^2 * 5 = 0.2 a pair, 25 df.
  bool loaded = dice == Dice::kLoaded;
  for (int k = 0; k < 2; ++k)
    std::printf("| %s | %g | %s | %s | %lld |\n",
                loaded ? "loaded d6, fit" : "sticky d6, independence", 1 / kLevels[k],
                quantile_text(until[k], 0.5).c_str(), quantile_text(until[k], 0.8).c_str(),
                static_cast<long long>(loaded ? fixed_count(5, kLevels[k], 0.008, 1)
                                              : fixed_count(25, kLevels[k], 0.2, 2)));
  std::fflush(stdout);
}

// --follow reading `text` from a pipe: seconds and peak resident KiB.
void follow_speed(const char *what, const std::string &text, int64_t rolls) {
  int to_chart[2];
  std::fflush(stdout); // or the child writes what is buffered once more
  if (pipe(to_chart) != 0) return;
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    dup2(to_chart[0], 0);
    close(to_chart[0]);
    close(to_chart[1]);
    if (freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
    execl(CHART_BINARY, CHART_BINARY, "--follow", "-", static_cast<char *>(nullptr));
    _exit(127);
  }
  close(to_chart[0]);
  for (size_t at = 0; at < text.size();) {
    ssize_t n = write(to_chart[1], text.data() + at, text.size() - at);
    if (n <= 0) break;
    at += static_cast<size_t>(n);
  }
  close(to_chart[1]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("| %s | %lld | %.2f s | %.2f M | %.1f MiB |\n", what, static_cast<long long>(rolls),
              seconds, rolls / seconds / 1e6, usage.ru_maxrss / 1024.0);
  std::fflush(stdout);
}

std::string rolls_text(int64_t rolls, const char *separator) {
  RandomStream s = random_stream(kSeed, 7);
  std::string text;
  for (int64_t t = 0; t < rolls; ++t) {
    uint32_t i = random_below(s, 36);
    text += static_cast<char>('1' + i / 6);
    text += static_cast<char>('1' + i % 6);
    text += separator;
  }
  return text;
}

} // namespace

int main(int argc, char **argv) {
  double share = argc > 1 ? std::atof(argv[1]) : 1;
  auto count = [&](int full) { return std::max(1, static_cast<int>(full * share)); };
  std::printf("Type-I error, 10,000 rolls looked at after every roll (chi-square: every %d)\n\n",
              kLookEvery);
  std::printf("| dice | sequences | fit e >= 20 | fit e >= 1000 | independence e >= 20 | "
              "independence e >= 1000 | chi-square p < 0.05 | chi-square p < 0.001 |\n"
              "|---|---|---|---|---|---|---|---|\n");
  type_one_errors(6, count(10000), 10000);
  type_one_errors(20, count(2000), 10000);
  std::printf("\nPower: rolls until e first reaches the level, beside the fixed-count test's "
              "rolls for 80 %% power at 1/level\n\n"
              "| dice | level | median | 80th percentile | fixed count |\n|---|---|---|---|---|\n");
  power(Dice::kLoaded, count(2000), 20000);
  power(Dice::kSticky, count(2000), 20000);
  std::printf("\n--follow on a pipe\n\n| input | rolls | time | rolls/s | peak RSS |\n"
              "|---|---|---|---|---|\n");
  follow_speed("dicefile.txt form, one line", rolls_text(10000000, " "), 10000000);
  follow_speed("one roll a line", rolls_text(5000000, "\n"), 5000000);
  return 0;
}
