#include "checks.h"

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
  ::testing::AssertionResult verdict = ::testing::AssertionSuccess();
  bool differs = false;
  auto differ = [&]() -> ::testing::AssertionResult & {
    if (!differs) verdict = ::testing::AssertionFailure();
    differs = true;
    return verdict << "\n  ";
  };

  std::vector<std::string> lines = model::report_lines(run.stat.bytes);
  std::vector<std::string> header = {"Number of rolls: " + std::to_string(roll_count) + " ",
                                     "Seed: " + std::to_string(seed) + " "};
  int32_t used = seed;
  if (seed == 0) {
    std::optional<int32_t> time =
        lines.size() > 2 ? model::time_line_value(lines[2]) : std::nullopt;
    if (time)
      used = *time;
    else
      differ() << "no Time line after \"Seed: 0 \"";
    header.push_back("Time: " + std::to_string(used) + " ");
  }
  header.push_back("");

  model::Rolls rolls = model::rolls(used, roll_count);
  std::vector<std::string> counts = header;
  for (int i = 0; i < model::kOutcomes; ++i)
    counts.push_back(std::to_string(model::outcome_label(i)) + " " +
                     std::to_string(rolls.tallies[i]) + " ");
  size_t line_count = header.size() + model::kOutcomes + 2;
  if (lines.size() != line_count)
    differ() << "report has " << lines.size() << " lines, not " << line_count;
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

} // namespace e2e
