// The statistics lines of a report from 36 counts and the rolls made, as
// dicestat writes them (sim/statistics_line.h): so a chart drawn from a roll
// log shows the very text the run's report holds.
#pragma once

#include <cstdint>

#include "chart/read/report_parse.h"

// The 36 rows and the totals of the report of a run asked for `roll_count`
// rolls (possibly 0 or negative) that counted `counts`, kOutcomes of them,
// each within a report's fields; roll_count as given.
// The numbers are those of the report's text, as parse_report reads them.
// The header's seed and clock fields are left as they are.
Report report_from_counts(const Counts &counts, int32_t roll_count);

// Statistics line `outcome` and the totals line of that report, as dicestat
// writes them, without the line end.
std::string row_text(const Counts &counts, int32_t roll_count, int outcome);
std::string totals_text(const Counts &counts, int32_t roll_count);
