// The chart's report parser over arbitrary bytes: an accepted report's
// counts add up to its rolls, a rejected one gets one printable line saying
// why, and LF or CR LF line ends give the same result.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "chart/read/report_parse.h"

namespace {

[[noreturn]] void fault(const char *what, const std::string &detail) {
  fprintf(stderr, "%s: %s\n", what, detail.c_str());
  abort();
}

// Everything an accepted report holds, or the error of a rejected one.
std::string outcome(const ParseResult &parsed) {
  if (!parsed.ok) return "error " + parsed.error;
  const Report &r = parsed.report;
  std::string text = std::to_string(r.roll_count) + " " + std::to_string(r.seed) + " " +
                     std::to_string(r.has_time) + " " + std::to_string(r.time) + "\n";
  for (const ReportRow &row : r.rows)
    text += std::to_string(row.label) + " " + std::to_string(row.count) + " " + row.share_text +
            " " + row.deviation_text + " " + std::to_string(row.marked) + "\n";
  return text + std::to_string(r.total_count) + " " + r.total_share_text + "\n";
}

void check_counts(const Report &r) {
  int64_t sum = 0;
  for (const ReportRow &row : r.rows) sum += row.count;
  int64_t rolls = r.roll_count > 0 ? r.roll_count : 0;
  if (sum != r.total_count || sum != rolls)
    fault("counts", std::to_string(sum) + " against totals " + std::to_string(r.total_count) +
                        " and rolls " + std::to_string(r.roll_count));
}

void check_error(const std::string &error) {
  if (error.empty()) fault("error", "rejected without a reason");
  for (char c : error)
    if (c < 0x20 || c >= 0x7f) fault("error", "not one printable line: " + error);
}

// Every line end made `line_end`; empty when a CR stands anywhere but
// before a LF, which the parser rightly reads as a byte of the line.
std::string with_line_ends(std::string_view bytes, std::string_view line_end) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      if (i + 1 == bytes.size() || bytes[i + 1] != '\n') return "";
      continue;
    }
    if (bytes[i] == '\n')
      out += line_end;
    else
      out += bytes[i];
  }
  return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char *>(data), size);
  ParseResult parsed = parse_report(bytes);
  if (parsed.ok)
    check_counts(parsed.report);
  else
    check_error(parsed.error);

  std::string lf = with_line_ends(bytes, "\n");
  if (lf.empty()) return 0;
  std::string want = outcome(parsed);
  std::string crlf = with_line_ends(bytes, "\r\n");
  for (const std::string *other : {&lf, &crlf}) {
    std::string got = outcome(parse_report(*other));
    if (got != want) fault("line ends", got + " against " + want);
  }
  return 0;
}
