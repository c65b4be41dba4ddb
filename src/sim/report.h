// The content of the two output files: the roll log, written as the rolls
// are drawn, and the statistics report with its header, one line per outcome
// and the totals.
#pragma once

#include <cstdint>

#include "sim/generator.h"

struct Stream;

extern int32_t tallies[kOutcomes]; // rolls of each outcome so far
extern int32_t total_count;        // sum of the tallies reported so far
extern float total_percent;        // running single-precision sum of the shares

// "Number of rolls" and "Seed" as read (0 when the clock is to supply it).
void write_report_header(Stream *stat_file, int32_t roll_count, int32_t seed_read);

// "Time": the clock value that seeds the run instead.
void write_clock_line(Stream *stat_file, int32_t clock_value);

// The empty line that ends the header.
void write_header_end(Stream *stat_file);

// The 36 statistics lines, an empty line, and the totals.
void write_statistics(Stream *stat_file, int32_t roll_count);
