#include "chart/read/report_from_counts.h"

#include "sim/statistics_line.h"

namespace {

// The text of a field, and the value as a reader of that text gets it:
// what the report says, not more.
double field(const char *text, TextSpan span, bool plus_sign, std::string &field_text) {
  field_text.assign(text + span.at, span.length);
  double written = 0;
  read_fixed(field_text, plus_sign, written);
  return written;
}

// Each statistics line in turn, handed to each(outcome, line), summed into
// totals; then the totals line.
template <typename Each>
TotalsLine statistics_lines(const Counts &counts, int32_t roll_count, StatisticsTotals &totals,
                            Each each) {
  StatisticsLine line;
  for (int i = 0; i < kOutcomes; ++i) {
    format_statistics_line(outcome_labels[i], static_cast<int32_t>(counts[i]), roll_count, &totals,
                           &line);
    each(i, line);
  }
  TotalsLine totals_line;
  format_totals_line(totals, &totals_line);
  return totals_line;
}

} // namespace

Report report_from_counts(const Counts &counts, int32_t roll_count) {
  Report report;
  report.roll_count = roll_count;
  StatisticsTotals sums;
  TotalsLine totals =
      statistics_lines(counts, roll_count, sums, [&](int i, const StatisticsLine &line) {
        ReportRow &row = report.rows[i];
        row.label = outcome_labels[i];
        row.count = static_cast<int32_t>(counts[i]);
        row.share = field(line.text, line.share, false, row.share_text);
        row.deviation = field(line.text, line.deviation, true, row.deviation_text);
        row.marked = line.marked;
      });
  report.total_count = sums.count;
  report.total_share = field(totals.text, totals.share, false, report.total_share_text);
  return report;
}

std::string row_text(const Counts &counts, int32_t roll_count, int outcome) {
  std::string text;
  StatisticsTotals sums;
  statistics_lines(counts, roll_count, sums, [&](int i, const StatisticsLine &line) {
    if (i == outcome) text.assign(line.text, line.length);
  });
  return text;
}

std::string totals_text(const Counts &counts, int32_t roll_count) {
  StatisticsTotals sums;
  TotalsLine totals =
      statistics_lines(counts, roll_count, sums, [](int, const StatisticsLine &) {});
  return std::string(totals.text, totals.length);
}
