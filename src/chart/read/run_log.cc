#include "chart/read/run_log.h"

#include <algorithm>

#include "chart/read/replay.h"

namespace {

// The run's rolls drawn at a time to hold the log's against.
constexpr size_t kDrawnRolls = 4096;

struct Comparison {
  Generator generator;
  int64_t run_rolls;    // the run's
  int64_t same = 0;     // the log's rolls so far, all the run's
  bool differs = false; // a roll is not the run's, or comes after the run's last
  std::string log_roll; // at the first difference: the log's roll, in words
  std::string run_roll; // and the run's
  uint8_t drawn[kDrawnRolls];
};

std::string label(uint8_t outcome) {
  return std::to_string(outcome_labels[outcome]);
}

bool differ(Comparison &c, std::string log_roll, std::string run_roll) {
  c.differs = true;
  c.log_roll = std::move(log_roll);
  c.run_roll = std::move(run_roll);
  return false;
}

// The run's roll after those compared into `outcome`; false when it made
// no more.
bool draw_next(Comparison &c, uint8_t &outcome) {
  if (c.same == c.run_rolls) return false;
  roll_outcomes(&c.generator, 1, &outcome);
  return true;
}

std::string run_words(const Comparison &c, bool drawn, uint8_t outcome) {
  return drawn ? "rolled " + label(outcome) : "made " + std::to_string(c.run_rolls) + " rolls";
}

// A RollSink: the log's rolls against as many of the run's.
bool compare(void *context, const uint8_t *rolls, size_t count) {
  Comparison &c = *static_cast<Comparison *>(context);
  for (size_t done = 0; done < count;) {
    if (c.same == c.run_rolls) return differ(c, "is " + label(rolls[done]), run_words(c, false, 0));
    size_t n = std::min({count - done, kDrawnRolls, static_cast<size_t>(c.run_rolls - c.same)});
    roll_outcomes(&c.generator, n, c.drawn);
    auto k = static_cast<size_t>(std::mismatch(c.drawn, c.drawn + n, rolls + done).first - c.drawn);
    c.same += static_cast<int64_t>(k);
    if (k < n) return differ(c, "is " + label(rolls[done + k]), run_words(c, true, c.drawn[k]));
    done += n;
  }
  return true;
}

// A log that ends inside a label, as a cut may leave it: the run's own if
// that label begins as the run's next roll does.
bool cut_inside_label(Comparison &c, char face) {
  uint8_t next = 0;
  bool drawn = draw_next(c, next);
  if (drawn && outcome_labels[next] / 10 == face - '0') return true;
  return differ(c, std::string("is cut off after ") + face, run_words(c, drawn, next));
}

} // namespace

LogMatch match_run_log(LogSource source, const Report &report) {
  Comparison c;
  c.generator = run_generator(report);
  c.run_rolls = run_rolls(report);
  source.sink = {compare, &c};
  LogRead log = read_roll_log(source, nullptr);
  bool cut = !c.differs && !log.ok && log.cut_face != 0 && cut_inside_label(c, log.cut_face);
  LogMatch match;
  if (!c.differs && !log.ok && !cut) {
    match.where = log.where;
    match.error = log.error;
    return match;
  }
  match.ok = true;
  match.rolls = c.same;
  if (c.differs) {
    match.kin = LogKin::kOther;
    match.difference = "another run's roll log: roll " + std::to_string(c.same + 1) + " " +
                       c.log_roll + ", dicestat's run of seed " + std::to_string(run_seed(report)) +
                       " " + c.run_roll;
  } else {
    match.kin = cut || c.same < c.run_rolls ? LogKin::kCut : LogKin::kOwn;
  }
  return match;
}
