#include "chart/read/report_parse.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "chart/read/report_from_counts.h"

namespace {

// The longest line a report holds is under 40 bytes; anything much longer
// is not a report, and the bound keeps every message short.
constexpr size_t kMaxLineLength = 64;

// Header (3 or 4 lines), 36 statistics lines, an empty line, the totals.
constexpr size_t kMaxLines = 4 + kOutcomes + 2;

// A share is at most 100 and a deviation at most 97.2223 in magnitude.
constexpr size_t kMaxIntegerDigits = 3;
constexpr size_t kFractionDigits = 4;

// The longest decimal form of a signed 32-bit value without its sign.
constexpr size_t kMaxIntDigits = 10;

constexpr std::string_view kRollsPrefix = "Number of rolls: ";
constexpr std::string_view kSeedPrefix = "Seed: ";
constexpr std::string_view kTimePrefix = "Time: ";
constexpr std::string_view kTotalsPrefix = "Totals: ";
constexpr std::string_view kMark = " !!";

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool take(std::string_view &s, std::string_view prefix) {
  if (s.substr(0, prefix.size()) != prefix) return false;
  s.remove_prefix(prefix.size());
  return true;
}

// A run of digits with no superfluous leading zero; returns its length, 0 if none.
size_t digit_run(std::string_view s) {
  size_t n = 0;
  while (n < s.size() && is_digit(s[n])) ++n;
  if (n > 1 && s[0] == '0') return 0;
  return n;
}

// A decimal integer as "%d" writes it: no plus sign, no leading zero, no
// "-0", within the signed 32-bit range.
bool take_int(std::string_view &s, int32_t &value) {
  bool negative = take(s, "-");
  size_t n = digit_run(s);
  if (n == 0 || n > kMaxIntDigits) return false;
  if (negative && s[0] == '0') return false;
  int64_t magnitude = 0;
  for (size_t i = 0; i < n; ++i) magnitude = magnitude * 10 + (s[i] - '0');
  int64_t v = negative ? -magnitude : magnitude;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    return false;
  value = static_cast<int32_t>(v);
  s.remove_prefix(n);
  return true;
}

// A fixed-point number as "%2.4f" (or "%+2.4f" when signed) writes it:
// digits, a point and four decimals, or "nan" or "inf". The sign comes from
// the text, so "-0.0000" is a negative zero and "-nan" a NaN with its sign set.
bool take_fixed(std::string_view &s, bool sign_required, double &value, std::string &text) {
  std::string_view start = s;
  // "%2.4f" never writes a plus sign; a plus there fails as a bad digit.
  bool negative = take(s, "-");
  if (!negative && sign_required && !take(s, "+")) return false;
  double magnitude;
  if (take(s, "nan")) {
    magnitude = std::numeric_limits<double>::quiet_NaN();
  } else if (take(s, "inf")) {
    magnitude = std::numeric_limits<double>::infinity();
  } else {
    size_t whole = digit_run(s);
    if (whole == 0 || whole > kMaxIntegerDigits) return false;
    size_t length = whole + 1 + kFractionDigits;
    if (s.size() < length || s[whole] != '.') return false;
    for (size_t i = whole + 1; i < length; ++i)
      if (!is_digit(s[i])) return false;
    if (std::from_chars(s.data(), s.data() + length, magnitude).ec != std::errc()) return false;
    s.remove_prefix(length);
  }
  value = std::copysign(magnitude, negative ? -1.0 : 1.0);
  text.assign(start.data(), start.size() - s.size());
  return true;
}

// Whether two reports read the same in the statistics line for outcome i
// (its label and count are the caller's to match), and in the totals.
bool same_row(const Report &a, const Report &b, int i) {
  const ReportRow &x = a.rows[i], &y = b.rows[i];
  return x.share_text == y.share_text && x.deviation_text == y.deviation_text &&
         x.marked == y.marked;
}

bool same_totals(const Report &a, const Report &b) {
  return a.total_count == b.total_count && a.total_share_text == b.total_share_text;
}

// The first outcome whose statistics line differs, kOutcomes when none does.
int first_different_row(const Report &a, const Report &b) {
  int i = 0;
  while (i < kOutcomes && same_row(a, b, i)) ++i;
  return i;
}

std::string quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

struct Parser {
  std::vector<std::string_view> lines; // without their line ends
  size_t next = 0;                     // index of the next line to read
  size_t first_row = 0;                // index of the statistics line for 11
  std::string error;

  bool fail(size_t index, const std::string &what) {
    error = "line " + std::to_string(index + 1) + ": " + what;
    return false;
  }

  // The next line, or a message naming what the file ends without.
  bool line(std::string_view &out, const char *what) {
    if (next >= lines.size()) {
      error = "ends after line " + std::to_string(lines.size()) + ", without " + what;
      return false;
    }
    out = lines[next++];
    return true;
  }

  // "<prefix><integer>", and the blank that the program writes after it.
  bool header_int(std::string_view prefix, const char *what, int32_t &value) {
    std::string_view s;
    if (!line(s, what)) return false;
    if (!take(s, prefix)) return fail(next - 1, std::string("expected ") + what);
    if (!take_int(s, value)) return fail(next - 1, std::string("bad number in ") + what);
    take(s, " ");
    if (!s.empty()) return fail(next - 1, std::string("unexpected text after ") + what);
    return true;
  }

  bool empty_line(const char *what) {
    std::string_view s;
    if (!line(s, what)) return false;
    if (!s.empty()) return fail(next - 1, std::string("expected ") + what);
    return true;
  }

  bool statistics_line(int index, ReportRow &row) {
    int32_t label = outcome_labels[index];
    std::string what = "the statistics line for " + std::to_string(label);
    std::string_view s;
    if (!line(s, what.c_str())) return false;
    size_t at = next - 1;
    if (!take_int(s, row.label) || !take(s, " ")) return fail(at, "bad label");
    if (row.label != label)
      return fail(at, "label " + std::to_string(row.label) + " where " + std::to_string(label) +
                          " belongs");
    if (!take_int(s, row.count) || row.count < 0 || !take(s, " ")) return fail(at, "bad count");
    if (!take_fixed(s, false, row.share, row.share_text) || !take(s, " "))
      return fail(at, "bad share");
    if (!take_fixed(s, true, row.deviation, row.deviation_text)) return fail(at, "bad deviation");
    row.marked = take(s, kMark);
    if (!s.empty()) return fail(at, "unexpected text after the deviation");
    return true;
  }

  bool totals_line(Report &report) {
    std::string_view s;
    if (!line(s, "the totals line")) return false;
    size_t at = next - 1;
    if (!take(s, kTotalsPrefix)) return fail(at, "expected the totals line");
    if (!take_int(s, report.total_count) || !take(s, " ")) return fail(at, "bad total count");
    if (!take_fixed(s, false, report.total_share, report.total_share_text))
      return fail(at, "bad total share");
    take(s, " ");
    if (!s.empty()) return fail(at, "unexpected text after the totals");
    return true;
  }

  // Line `index` against what dicestat writes in its place.
  bool differs(size_t index, const std::string &written, const std::string &more = "") {
    return fail(index,
                "reads " + quoted(lines[index]) + ", dicestat writes " + quoted(written) + more);
  }

  // Every statistics line and the totals as dicestat writes them for the
  // counts read and the rolls of line 1; the first line that differs is
  // refused. An edited count shows at its own line when its share no longer
  // fits it. When every line fits its count but the counts do not add up to
  // the rolls, some count was changed within the reach of its share, or a
  // whole line rewritten: which one cannot be told, and the message says
  // only that the counts do not add up.
  bool matches_program(const Report &read) {
    Counts counts = counts_of(read);
    int64_t sum = rolls_in(counts);
    int64_t rolls = read.roll_count > 0 ? read.roll_count : 0;
    std::string add_up = " add up to " + std::to_string(sum) + ", not to the " +
                         std::to_string(rolls) + " rolls of line 1";
    // Lines that are all dicestat's for as many rolls as the counts add up
    // to, totals included, leave line 1 the one that differs.
    if (sum != rolls && sum == read.total_count) {
      Report own = report_from_counts(counts, static_cast<int32_t>(sum));
      if (first_different_row(read, own) == kOutcomes && same_totals(read, own))
        return differs(0, std::string(kRollsPrefix) + std::to_string(sum) + " ",
                       " for the counts below");
    }
    Report written = report_from_counts(counts, read.roll_count);
    int row = first_different_row(read, written);
    if (row < kOutcomes)
      return differs(first_row + static_cast<size_t>(row), row_text(counts, read.roll_count, row),
                     sum == rolls ? "" : "; the counts" + add_up);
    if (sum != rolls) {
      error = "the counts of lines " + std::to_string(first_row + 1) + " to " +
              std::to_string(first_row + kOutcomes) + add_up;
      return false;
    }
    if (!same_totals(read, written))
      return differs(lines.size() - 1, totals_text(counts, read.roll_count));
    return true;
  }
};

// Splits the bytes into lines, rejecting what no report holds: a last line
// without a line end, over-long lines, control bytes and non-ASCII bytes.
bool split_lines(std::string_view bytes, Parser &p) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t index = p.lines.size();
    if (index == kMaxLines) return p.fail(index, "more lines than a report has");
    std::string_view rest = bytes.substr(pos);
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxLineLength)
      return p.fail(index, "longer than " + std::to_string(kMaxLineLength) + " bytes");
    for (char c : line) {
      auto byte = static_cast<unsigned char>(c);
      if (byte == 0) return p.fail(index, "NUL byte");
      if (byte < 0x20 || byte >= 0x7f) {
        static const char kHex[] = "0123456789abcdef";
        return p.fail(index, std::string("unexpected byte 0x") + kHex[byte >> 4] + kHex[byte & 15]);
      }
    }
    if (end == std::string_view::npos) return p.fail(index, "no line end; the file is truncated");
    p.lines.push_back(line);
    pos += end + 1;
  }
  return true;
}

} // namespace

int report_row_line(const Report &report, int i) {
  constexpr int kHeaderLines = 3; // rolls, seed, the empty line
  return kHeaderLines + (report.has_time ? 1 : 0) + 1 + i;
}

bool read_fixed(std::string_view text, bool sign_required, double &value) {
  std::string ignored;
  return take_fixed(text, sign_required, value, ignored) && text.empty();
}

ParseResult parse_report(std::string_view bytes) {
  ParseResult result;
  Parser p;
  // Saved by an editor that marks UTF-8 so.
  constexpr std::string_view kByteOrderMark = "\xef\xbb\xbf";
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    bytes.remove_prefix(kByteOrderMark.size());
  if (bytes.empty()) {
    result.error = "empty file";
    return result;
  }
  Report &r = result.report;
  bool ok = split_lines(bytes, p) &&
            p.header_int(kRollsPrefix, "the \"Number of rolls\" line", r.roll_count) &&
            p.header_int(kSeedPrefix, "the \"Seed\" line", r.seed);
  // Only a seed of 0 takes the clock, and then the "Time" line is there.
  if (ok && r.seed == 0) {
    ok = p.header_int(kTimePrefix, "the \"Time\" line", r.time);
    r.has_time = ok;
  }
  ok = ok && p.empty_line("the empty line after the header");
  p.first_row = p.next;
  for (int i = 0; ok && i < kOutcomes; ++i) ok = p.statistics_line(i, r.rows[i]);
  ok = ok && p.empty_line("the empty line before the totals") && p.totals_line(r);
  if (ok && p.next < p.lines.size()) ok = p.fail(p.next, "unexpected line after the totals");
  ok = ok && p.matches_program(r);
  result.ok = ok;
  if (!ok) result.error = p.error;
  return result;
}

Counts counts_of(const Report &report) {
  Counts counts;
  for (const ReportRow &row : report.rows) counts.push_back(row.count);
  return counts;
}
