// Reads a statistics report back from its bytes. A pure function over a byte
// string: it never reads past the given bytes, whatever they hold, and it
// reports what is wrong instead of guessing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "chart/stats/counts.h"
#include "sim/file_facts.h"

struct ReportRow {
  int32_t label = 0;          // 11 to 66: first die, second die
  int32_t count = 0;          // rolls of this outcome
  double share = 0;           // percent of all rolls; NaN when there were no rolls
  double deviation = 0;       // share less the expected share
  std::string share_text;     // the share as written, such as "2.7778" or "-nan"
  std::string deviation_text; // the deviation as written, such as "+0.0001"
  bool marked = false;        // " !!": the share lies outside the band
};

struct Report {
  int32_t roll_count = 0;       // as answered, possibly 0 or negative
  int32_t seed = 0;             // as answered; 0 when the clock supplied it
  bool has_time = false;        // a "Time" line follows the seed
  int32_t time = 0;             // the clock value used as the seed
  bool from_rolls = false;      // worked out from a roll log: no run header
  ReportRow rows[kOutcomes];    // in label order, 11 first
  int32_t total_count = 0;      // sum of the counts
  double total_share = 0;       // running sum of the shares
  std::string total_share_text; // the sum as written
};

struct ParseResult {
  bool ok = false;   // the bytes are a complete report
  Report report;     // filled in when ok
  std::string error; // one line saying what is wrong, such as "line 7: bad count"
};

// The value of a whole text such as "2.7778", "+0.0001" or "-nan", read as
// a share (sign_required false) or a deviation (true) is read in a report;
// false when the text is no such number.
bool read_fixed(std::string_view text, bool sign_required, double &value);

// The line, from 1, that holds outcome i's statistics in the report: after
// its header, 3 lines or 4 with the clock's.
int report_row_line(const Report &report, int i);

// Accepts the report as the program writes it, with CR LF or bare LF line
// ends and with or without a UTF-8 byte-order mark; the blank that ends a
// header or totals line may be missing. Each
// statistics line and the totals must read as the program writes them for
// the counts and the rolls of line 1 (report_from_counts.h).
ParseResult parse_report(std::string_view bytes);

// The report's counts, in label order.
Counts counts_of(const Report &report);
