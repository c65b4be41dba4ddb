#include "checks.h"

#include <sstream>
#include <vector>

namespace e2e {

const std::string kPrompts = "Enter number of rolls: Enter seed or blank for time: ";

::testing::AssertionResult ended_with(const RunResult &run, int status) {
  if (!run.finished) return ::testing::AssertionFailure() << "killed after the timeout";
  if (!run.exited) return ::testing::AssertionFailure() << "ended by signal " << run.status;
  if (run.status != status)
    return ::testing::AssertionFailure() << "exit status " << run.status << ", not " << status;
  if (!run.err.empty())
    return ::testing::AssertionFailure() << "wrote to standard error:\n" << run.err;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult holds_run(const RunResult &run, int32_t roll_count, int32_t seed) {
  std::ostringstream differences;
  std::vector<std::string> lines = model::report_lines(run.stat.bytes);
  std::vector<std::string> expected = {"Number of rolls: " + std::to_string(roll_count) + " ",
                                       "Seed: " + std::to_string(seed) + " "};
  int32_t used = seed;
  if (seed == kClock) {
    std::optional<int32_t> time =
        lines.size() > 2 ? model::time_line_value(lines[2]) : std::nullopt;
    if (!time) differences << "\n  no Time line after \"Seed: 0 \"";
    used = time.value_or(seed);
    expected.push_back("Time: " + std::to_string(used) + " ");
  }
  expected.push_back("");
  size_t header = expected.size();

  model::Rolls rolls = model::rolls(used, roll_count);
  for (int i = 0; i < model::kOutcomes; ++i)
    expected.push_back(std::to_string(model::outcome_label(i)) + " " +
                       std::to_string(rolls.tallies[i]) + " ");
  // After the outcome lines, an empty line and the totals.
  if (lines.size() != expected.size() + 2)
    differences << "\n  report has " << lines.size() << " lines, not " << expected.size() + 2;
  for (size_t i = 0; i < expected.size() && i < lines.size(); ++i) {
    // Header lines are whole; an outcome line is checked up to its count.
    std::string got = i < header ? lines[i] : lines[i].substr(0, expected[i].size());
    if (got != expected[i]) differences << "\n  report line " << i << " is \"" << lines[i] << "\"";
  }
  if (run.dice.bytes != rolls.log)
    differences << "\n  roll log is not that of seed " << used << " (" << run.dice.bytes.size()
                << " bytes, " << rolls.log.size() << " expected)";
  if (differences.str().empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differences.str();
}

} // namespace e2e
