// The two files as the report writes them, into a host kept in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_host.h"
#include "one_roll_at_a_time.h"
#include "platform/platform.h"
#include "sim/report.h"

namespace {

TEST(Report, HeaderWithAndWithoutClock) {
  FakeHost fake;
  Stream *stat = create_text_file("statfile.txt", "w");
  write_report_header(stat, 36, 0);
  write_clock_line(stat, -1);
  write_header_end(stat);
  close_stream(stat);
  EXPECT_EQ(fake.files[3], "Number of rolls: 36 \r\nSeed: 0 \r\nTime: -1 \r\n\r\n");
}

// Thirty-six rolls of seed 1, counted by hand from its first labels.
TEST(Report, StatisticsLines) {
  FakeHost fake;
  Generator generator;
  Tallies tallies = {};
  Stream *dice = create_text_file("dicefile.txt", "w");
  Stream *stat = create_text_file("statfile.txt", "w");
  generator_seed(&generator, 1);
  for (int i = 0; i < 36; ++i) record_one(dice, next_outcome(&generator), &tallies);
  write_statistics(stat, 36, tallies);
  // The totals are the statistics' own: a second report gives the same lines.
  write_statistics(stat, 36, tallies);
  close_stream(dice);
  close_stream(stat);
  const std::string &whole = fake.files[4];
  ASSERT_EQ(whole.size() % 2, 0u);
  ASSERT_EQ(whole.substr(0, whole.size() / 2), whole.substr(whole.size() / 2));
  const std::string report = whole.substr(0, whole.size() / 2);
  for (const char *line : {"11 1 2.7778 +0.0001\r\n", "12 0 0.0000 -2.7777 !!\r\n",
                           "14 2 5.5556 +2.7779 !!\r\n", "26 4 11.1111 +8.3334 !!\r\n"})
    EXPECT_NE(report.find(line), std::string::npos) << line;
  EXPECT_EQ(report.substr(0, 21), "11 1 2.7778 +0.0001\r\n");
  const std::string kEnd = "\r\n\r\nTotals: 36 100.0000 \r\n";
  EXPECT_EQ(report.substr(report.size() - kEnd.size()), kEnd);
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 38);
}

} // namespace
