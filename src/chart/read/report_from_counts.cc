#include "chart/read/report_from_counts.h"

#include "platform/format/fixed_point.h"
#include "sim/share.h"

namespace {

// The text of value as the report writes it, into text, and the value as a
// reader of that text gets it, returned: what the report says, not more.
double fixed4(double value, bool plus_sign, std::string &text) {
  char digits[kFixedTextMax];
  text.assign(digits, format_fixed4(value, plus_sign, digits));
  double written = 0;
  read_fixed(text, plus_sign, written);
  return written;
}

} // namespace

Report report_from_counts(const Counts &counts, int32_t roll_count) {
  Report report;
  report.roll_count = roll_count;
  float total_share = 0; // summed in single precision, as the report sums it
  for (int i = 0; i < kOutcomes; ++i) {
    ReportRow &row = report.rows[i];
    row.count = static_cast<int32_t>(counts[i]);
    float percent = share_percent(row.count, roll_count);
    row.label = outcome_labels[i];
    row.share = fixed4(static_cast<double>(percent), false, row.share_text);
    row.deviation = fixed4(share_deviation(percent), true, row.deviation_text);
    row.marked = share_marked(percent);
    report.total_count += row.count;
    total_share = add_share(total_share, percent);
  }
  report.total_share = fixed4(static_cast<double>(total_share), false, report.total_share_text);
  return report;
}

std::string row_text(const ReportRow &row) {
  return std::to_string(row.label) + " " + std::to_string(row.count) + " " + row.share_text + " " +
         row.deviation_text + (row.marked ? " !!" : "");
}

std::string totals_text(const Report &report) {
  return "Totals: " + std::to_string(report.total_count) + " " + report.total_share_text + " ";
}
