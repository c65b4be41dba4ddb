// A plain model of what a run must produce, written apart from the
// program's own code, and small helpers for taking its output apart. The
// one copy of these facts in the tests.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace model {

constexpr int kOutcomes = 36;

// 11, 12, ..., 16, 21, ..., 66: first die in the tens, second in the units.
int outcome_label(int index);

// One step of the generator from `*state`: its output, 0 to 32767.
inline int next_output(uint32_t *state) {
  *state = *state * 1103515245u + 12345u;
  return static_cast<int>((*state >> 16) & 0x7FFF);
}

// One step of the generator from `*state`: the outcome index it gives.
inline int next_outcome(uint32_t *state) {
  return next_output(state) % kOutcomes;
}

struct Rolls {
  std::string log;                             // the roll log the run must write
  std::array<int32_t, kOutcomes> tallies = {}; // how often each outcome came up
};

// The rolls of a run seeded with `seed`; none when `count` is 0 or less.
Rolls rolls(int32_t seed, int32_t count);

// How many bytes at the start of `log` are the roll log of `seed`, drawn
// along the log so that tens of megabytes need no copy.
size_t matching_prefix(const std::string &log, int32_t seed);

// The report's lines without their CR LF. Fails the current test when a
// line end is anything but CR LF or the text does not end with one.
std::vector<std::string> report_lines(const std::string &report);

// "Time: <n> " read strictly; empty when the line has any other form.
std::optional<int32_t> time_line_value(const std::string &line);

} // namespace model
