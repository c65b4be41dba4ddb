#include "sim/report.h"

#include "platform/platform.h"
#include "sim/share.h"

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
  int32_t total_count = 0;
  float total_percent = 0; // the running single-precision sum of the shares
  for (int i = 0; i < kOutcomes; ++i) {
    float percent = share_percent(tallies[i], roll_count);
    write_formatted(stat_file, "%d %d %2.4f %+2.4f", outcome_labels[i], tallies[i],
                    static_cast<double>(percent), share_deviation(percent));
    if (share_marked(percent)) write_formatted(stat_file, " !!");
    write_formatted(stat_file, "\n");
    total_count += tallies[i];
    total_percent = add_share(total_percent, percent);
  }
  write_formatted(stat_file, "\n");
  write_formatted(stat_file, "Totals: %d %2.4f \n", total_count,
                  static_cast<double>(total_percent));
}
