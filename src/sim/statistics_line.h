// The statistics lines of a report, worked out and written in one place for
// both programs: dicestat writes them to its report, and dicestat-chart
// checks a report against them and writes them for rolls it counted itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/format/decimal.h"
#include "platform/format/fixed_point.h"

// Where a field lies within a line's text.
struct TextSpan {
  size_t at;     // its first byte
  size_t length; // its bytes
};

// "label count share deviation", and " !!" when the share lies outside the
// band; without the line end.
struct StatisticsLine {
  char text[2 * kDecimalTextMax + 2 * kFixedTextMax + 6]; // three blanks and " !!"
  size_t length;
  TextSpan share;     // "%2.4f": the count in percent of the rolls
  TextSpan deviation; // "%+2.4f": the share less the expected one
  float percent;      // the share, as the totals line adds it up
  bool marked;        // the share lies outside the band
};

// "Totals: count share ", without the line end.
struct TotalsLine {
  char text[kDecimalTextMax + kFixedTextMax + 10]; // "Totals: " and two blanks
  size_t length;
  TextSpan share; // "%2.4f": the shares added up
};

// What the totals line sums, line by line.
struct StatisticsTotals {
  int32_t count = 0; // the counts, wrapping as 32-bit counters do
  float percent = 0; // the shares, added in single precision
};

// The line of the outcome `label` that came up `count` times in a run asked
// for `roll_count` rolls (0 or negative too), into `*line`; its count and
// share are added to `*totals`.
void format_statistics_line(int32_t label, int32_t count, int32_t roll_count,
                            StatisticsTotals *totals, StatisticsLine *line);

// The totals line of the lines added to `totals`, into `*line`.
void format_totals_line(const StatisticsTotals &totals, TotalsLine *line);
