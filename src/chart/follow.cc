#include "chart/follow.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "chart/host_io.h"
#include "chart/read/roll_tokens.h"
#include "chart/stats/anytime_fit.h"
#include "chart/stats/anytime_independence.h"
#include "chart/words/anytime_words.h"
#include "chart/words/shown_name.h"
#include "sim/file_facts.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 2;
constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;
constexpr const char *kDefaultLog = "dicefile.txt";
// Bytes read at a time: what a pipe holds, and at a terminal one line.
constexpr size_t kPieceBytes = size_t{1} << 16;
// Answers kept for writing out at most: past this they go out even while
// more input waits, so memory stays bounded however fast rolls come.
constexpr size_t kMaxHeldBytes = size_t{1} << 16;
// As many rolls as a report counts.
constexpr int64_t kMaxRolls = INT32_MAX;

volatile std::sig_atomic_t interrupted = 0;

struct Follower {
  TokenReader tokens;
  FitProcess fit;
  IndependenceProcess order;
  bool told[2][kAnytimeLevels] = {}; // each level's sentence said, fit then independence
  std::string out;                   // written but not yet written out
  std::string error;                 // why it stopped early; empty when it did not
  std::vector<uint8_t> outcomes;     // of a line
};

bool take(Follower &f, const uint8_t *outcomes, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (f.fit.found.rolls == kMaxRolls) {
      f.error = "more rolls than a report holds, " + std::to_string(kMaxRolls);
      return false;
    }
    add_fit_roll(f.fit, outcomes[i]);
    add_independence_roll(f.order, outcomes[i]);
  }
  return true;
}

// The answer to a line: both processes, and the levels reached for the
// first time, in words.
void answer(Follower &f) {
  f.out += follow_line(f.fit.found, f.order.found);
  const Anytime *found[2] = {&f.fit.found, &f.order.found};
  for (int test = 0; test < 2; ++test)
    for (int k = 0; k < kAnytimeLevels; ++k)
      if (found[test]->reached[k] != 0 && !f.told[test][k]) {
        f.out += reached_line(test == 1, k, found[test]->reached[k]);
        f.told[test][k] = true;
      }
}

bool write_out(Follower &f);

// A piece of input, line by line; false once it must stop.
bool read_piece(Follower &f, const unsigned char *bytes, size_t size) {
  for (size_t at = 0; at < size;) {
    const void *line_end = std::memchr(bytes + at, '\n', size - at);
    size_t end =
        line_end == nullptr ? size : static_cast<const unsigned char *>(line_end) - bytes + 1;
    f.outcomes.resize(end - at + 1);
    size_t n = read_tokens(f.tokens, bytes + at, end - at, f.outcomes.data());
    if (!take(f, f.outcomes.data(), n)) return false;
    if (!f.tokens.error.empty()) {
      f.error = f.tokens.error;
      return false;
    }
    if (line_end != nullptr) answer(f);
    if (f.out.size() >= kMaxHeldBytes && !write_out(f)) return false;
    at = end;
  }
  return true;
}

bool write_out(Follower &f) {
  errno = 0;
  bool ok = std::fwrite(f.out.data(), 1, f.out.size(), stdout) == f.out.size() &&
            std::fflush(stdout) == 0;
  f.out.clear();
  if (!ok && f.error.empty()) f.error = errno != 0 ? std::strerror(errno) : "write failed";
  return ok;
}

// Reads until the end of input, Ctrl-C or an error.
void follow(Follower &f, int fd, bool ends) {
  std::unique_ptr<unsigned char[]> piece(new unsigned char[kPieceBytes]);
  bool terminal = is_terminal(kStandardOutput);
  while (interrupted == 0) {
    long got = read_some(fd, piece.get(), kPieceBytes);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      f.error = std::strerror(errno);
      return;
    }
    if (got == 0 && ends) return;
    if (got == 0) {
      if (!write_out(f)) return;
      pause_briefly();
      continue;
    }
    if (!read_piece(f, piece.get(), static_cast<size_t>(got))) return;
    if ((terminal || !input_waiting(fd)) && !write_out(f)) return;
  }
}

} // namespace

int follow_rolls(const Options &options) {
  const char *path = options.path != nullptr ? options.path : kDefaultLog;
  bool from_input = std::strcmp(path, "-") == 0;
  std::string name = shown_name(from_input ? "standard input" : path);
  int fd = from_input ? kStandardInput : open_to_follow(path);
  if (fd < 0) {
    std::fprintf(stderr, "dicestat-chart: %s: %s\n", name.c_str(), std::strerror(errno));
    return kExitFailure;
  }
  on_interrupt(&interrupted);
  Follower f;
  f.fit = start_fit_process(std::vector<double>(kOutcomes, 1.0 / kOutcomes));
  f.order = start_independence_process(kOutcomes);
  follow(f, fd, from_input);
  if (f.error.empty()) {
    uint8_t last;
    size_t n = finish_tokens(f.tokens, &last);
    if (f.tokens.error.empty())
      take(f, &last, n);
    else
      f.error = f.tokens.error;
  }
  // The last summary.
  f.out += follow_line(f.fit.found, f.order.found) + verdict_line(false, f.fit.found) +
           verdict_line(true, f.order.found);
  write_out(f);
  if (f.error.empty()) return kExitOk;
  std::string where = f.tokens.where.empty() ? name : name + ":" + f.tokens.where;
  std::fprintf(stderr, "dicestat-chart: %s: %s\n", where.c_str(), f.error.c_str());
  return kExitFailure;
}
