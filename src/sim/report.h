// The content of the two output files: the roll log, written as the rolls
// are drawn, and the statistics report with its header, one line per outcome
// and the totals.
#pragma once

#include <cstdint>

#include "sim/roll/roll.h"

struct Stream;

// "Number of rolls" and "Seed" as read (0 when the clock is to supply it).
void write_report_header(Stream *stat_file, int32_t roll_count, int32_t seed_read);

// "Time": the clock value that seeds the run instead.
void write_clock_line(Stream *stat_file, int32_t clock_value);

// The empty line that ends the header.
void write_header_end(Stream *stat_file);

// The 36 statistics lines of `tallies`, an empty line, and their totals.
void write_statistics(Stream *stat_file, int32_t roll_count, const Tallies &tallies);
