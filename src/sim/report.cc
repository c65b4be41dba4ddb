#include "sim/report.h"

#include "platform/platform.h"
#include "sim/statistics_line.h"

namespace {

// A line's text, then its line end.
void write_line(Stream *stat_file, const char *text, size_t length) {
  write_block(stat_file, text, length);
  write_formatted(stat_file, "\n");
}

} // namespace

void write_report_header(Stream *stat_file, int32_t roll_count, int32_t seed_read) {
  write_formatted(stat_file, "Number of rolls: %d \n", roll_count);
  write_formatted(stat_file, "Seed: %d \n", seed_read);
}

void write_clock_line(Stream *stat_file, int32_t clock_value) {
  write_formatted(stat_file, "Time: %d \n", clock_value);
}

void write_header_end(Stream *stat_file) {
  write_formatted(stat_file, "\n");
}

void write_statistics(Stream *stat_file, int32_t roll_count, const Tallies &tallies) {
  StatisticsTotals totals;
  StatisticsLine line;
  for (int i = 0; i < kOutcomes; ++i) {
    format_statistics_line(outcome_labels[i], tallies[i], roll_count, &totals, &line);
    write_line(stat_file, line.text, line.length);
  }
  write_formatted(stat_file, "\n");
  TotalsLine totals_line;
  format_totals_line(totals, &totals_line);
  write_line(stat_file, totals_line.text, totals_line.length);
}
