// Whole runs with known results: the worked examples, no rolls at all, and
// negative roll counts.
#include <gtest/gtest.h>

#include "checks.h"

namespace e2e {
namespace {

// A run that draws nothing prints the same figures on all 36 lines, so its
// whole report can be spelled out.
std::string report_without_rolls(const std::string &header, const std::string &figures,
                                 const std::string &totals) {
  std::string report = header + "\r\n";
  for (int i = 0; i < model::kOutcomes; ++i)
    report += std::to_string(model::outcome_label(i)) + " 0 " + figures + "\r\n";
  return report + "\r\n" + totals + "\r\n";
}

std::string line_for(const std::vector<std::string> &lines, int label) {
  for (int i = 0; i < model::kOutcomes; ++i)
    if (model::outcome_label(i) == label && lines.size() > static_cast<size_t>(3 + i))
      return lines[3 + i];
  return "(no line for " + std::to_string(label) + ")";
}

TEST(Examples, ThirtySixRollsSeedOne) {
  RunResult run = run_dicestat("36\n1\n");
  EXPECT_TRUE(ended_with(run, 0));
  EXPECT_EQ(run.out, kPrompts);

  ASSERT_TRUE(run.dice.regular);
  EXPECT_EQ(run.dice.bytes.substr(0, 30), "53 65 64 42 42 26 21 14 31 41 ");
  EXPECT_EQ(run.dice.bytes.size(), 36u * 3);

  ASSERT_TRUE(run.stat.regular);
  const std::string &report = run.stat.bytes;
  EXPECT_EQ(report.substr(0, 34), "Number of rolls: 36 \r\nSeed: 1 \r\n\r\n");
  std::vector<std::string> lines = model::report_lines(report);
  EXPECT_EQ(line_for(lines, 11), "11 1 2.7778 +0.0001"); // 100/36 is inside the band
  EXPECT_EQ(line_for(lines, 12), "12 0 0.0000 -2.7777 !!");
  EXPECT_EQ(line_for(lines, 13), "13 1 2.7778 +0.0001");
  EXPECT_EQ(line_for(lines, 14), "14 2 5.5556 +2.7779 !!");
  EXPECT_EQ(line_for(lines, 26), "26 4 11.1111 +8.3334 !!");
  const std::string totals = "\r\nTotals: 36 100.0000 \r\n";
  ASSERT_GE(report.size(), totals.size());
  EXPECT_EQ(report.substr(report.size() - totals.size()), totals);
}

TEST(Examples, HundredThousandRollsSeed42) {
  RunResult run = run_dicestat("100000\n42\n");
  EXPECT_TRUE(ended_with(run, 0));
  EXPECT_EQ(run.out, kPrompts);
  EXPECT_EQ(run.dice.bytes.size(), 300000u);
  std::vector<std::string> lines = model::report_lines(run.stat.bytes);
  EXPECT_EQ(line_for(lines, 11), "11 2850 2.8500 +0.0723");    // inside the band
  EXPECT_EQ(line_for(lines, 16), "16 2673 2.6730 -0.1047 !!"); // below 2.6805
}

// No roll is drawn for a count of 0 or less: an empty log, and a report
// whose 36 lines all read the same.
TEST(Examples, CountsWithoutRollsGiveFixedReports) {
  // 0/0 is a not-a-number with its sign bit set; the sum of them too.
  const char *kNoRolls = "-nan -nan", *kNoRollsTotals = "Totals: 0 -nan ";
  // 0 divided by a negative count is a negative zero, below the band; the
  // running sum starts at a positive zero and stays one.
  const char *kNegative = "-0.0000 -2.7777 !!", *kNegativeTotals = "Totals: 0 0.0000 ";
  struct {
    const char *input;
    const char *header;
    const char *line_rest; // what follows "label 0 " on every line
    const char *totals;
  } cases[] = {
      {"0\n1\n", "Number of rolls: 0 \r\nSeed: 1 \r\n", kNoRolls, kNoRollsTotals},
      {"-0\n2147483647\n", "Number of rolls: 0 \r\nSeed: 2147483647 \r\n", kNoRolls,
       kNoRollsTotals}, // minus zero is 0
      {"4294967296\n-1\n", "Number of rolls: 0 \r\nSeed: -1 \r\n", kNoRolls,
       kNoRollsTotals}, // wraps to 0
      {"2147483648\n7\n", "Number of rolls: -2147483648 \r\nSeed: 7 \r\n", kNegative,
       kNegativeTotals}, // wraps
      {"-5\n3\n", "Number of rolls: -5 \r\nSeed: 3 \r\n", kNegative, kNegativeTotals},
      {"-1\n-2147483648\n", "Number of rolls: -1 \r\nSeed: -2147483648 \r\n", kNegative,
       kNegativeTotals},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.input);
    RunResult run = run_dicestat(c.input);
    EXPECT_TRUE(ended_with(run, 0));
    EXPECT_EQ(run.out, kPrompts);
    EXPECT_TRUE(run.dice.regular);
    EXPECT_EQ(run.dice.bytes, "");
    EXPECT_EQ(run.stat.bytes, report_without_rolls(c.header, c.line_rest, c.totals));
  }
}

} // namespace
} // namespace e2e
