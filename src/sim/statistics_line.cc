#include "sim/statistics_line.h"

#include "sim/share.h"

namespace {

constexpr char kMark[] = " !!";
constexpr char kTotalsPrefix[] = "Totals: ";

size_t append_text(char *out, size_t length, const char *text) {
  while (*text) out[length++] = *text++;
  return length;
}

// "%2.4f" (or "%+2.4f") of value at `length`; where it went into `*span`.
size_t append_fixed(char *out, size_t length, double value, bool plus_sign, TextSpan *span) {
  size_t written = format_fixed4(value, plus_sign, out + length);
  *span = {length, written};
  return length + written;
}

} // namespace

void format_statistics_line(int32_t label, int32_t count, int32_t roll_count,
                            StatisticsTotals *totals, StatisticsLine *line) {
  float percent = share_percent(count, roll_count);
  char *out = line->text;
  size_t length = format_decimal(label, out);
  out[length++] = ' ';
  length += format_decimal(count, out + length);
  out[length++] = ' ';
  length = append_fixed(out, length, static_cast<double>(percent), false, &line->share);
  out[length++] = ' ';
  length = append_fixed(out, length, share_deviation(percent), true, &line->deviation);
  line->marked = share_marked(percent);
  if (line->marked) length = append_text(out, length, kMark);
  line->length = length;
  line->percent = percent;
  // Unsigned, so that counts past the 32-bit range wrap instead of overflowing.
  totals->count =
      static_cast<int32_t>(static_cast<uint32_t>(totals->count) + static_cast<uint32_t>(count));
  totals->percent = add_share(totals->percent, percent);
}

void format_totals_line(const StatisticsTotals &totals, TotalsLine *line) {
  char *out = line->text;
  size_t length = append_text(out, 0, kTotalsPrefix);
  length += format_decimal(totals.count, out + length);
  out[length++] = ' ';
  length = append_fixed(out, length, static_cast<double>(totals.percent), false, &line->share);
  out[length++] = ' ';
  line->length = length;
}
