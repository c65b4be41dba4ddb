// The parser over reports that dicestat itself writes, over the forms it
// must also accept, and over inputs that are not reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/read/report_parse.h"
#include "model.h"
#include "programs.h"

namespace {

const std::string &report_36_seed_1() {
  static const std::string bytes = dicestat_report("36\n1\n");
  return bytes;
}

const std::string &report_no_rolls() {
  static const std::string bytes = dicestat_report("0\n5\n");
  return bytes;
}

int marked_rows(const Report &r) {
  int n = 0;
  for (const ReportRow &row : r.rows) n += row.marked;
  return n;
}

// The report's lines without their CR LF ends, and back.
std::vector<std::string> lines_of(const std::string &bytes) {
  std::vector<std::string> lines;
  for (size_t pos = 0; pos < bytes.size();) {
    size_t end = bytes.find("\r\n", pos);
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

std::string joined(const std::vector<std::string> &lines) {
  std::string bytes;
  for (const std::string &line : lines) bytes += line + "\r\n";
  return bytes;
}

// The 36-roll report with line `number` (1-based) replaced, removed
// (nullptr) or, when insert is set, preceded by a new line.
std::string edited(size_t number, const char *text, bool insert = false) {
  std::vector<std::string> lines = lines_of(report_36_seed_1());
  auto at = lines.begin() + static_cast<long>(number) - 1;
  if (insert)
    lines.insert(at, text);
  else if (text == nullptr)
    lines.erase(at);
  else
    *at = text;
  return joined(lines);
}

TEST(ParseReport, ThirtySixRollsSeedOne) {
  ParseResult p = parse_report(report_36_seed_1());
  ASSERT_TRUE(p.ok) << p.error;
  const Report &r = p.report;
  EXPECT_EQ(r.roll_count, 36);
  EXPECT_EQ(r.seed, 1);
  EXPECT_FALSE(r.has_time);
  for (int i = 0; i < kOutcomes; ++i)
    EXPECT_EQ(r.rows[i].label, model::outcome_label(i)) << "row " << i;
  // One roll in 36 is 2.7778 against 2.7777 and stays unmarked.
  EXPECT_EQ(r.rows[0].count, 1);
  EXPECT_EQ(r.rows[0].share_text, "2.7778");
  EXPECT_EQ(r.rows[0].deviation_text, "+0.0001");
  EXPECT_DOUBLE_EQ(r.rows[0].deviation, 0.0001);
  EXPECT_FALSE(r.rows[0].marked);
  EXPECT_EQ(r.rows[1].count, 0);
  EXPECT_DOUBLE_EQ(r.rows[1].deviation, -2.7777);
  EXPECT_TRUE(r.rows[1].marked);
  EXPECT_EQ(r.rows[11].label, 26);
  EXPECT_EQ(r.rows[11].count, 4);
  EXPECT_DOUBLE_EQ(r.rows[11].share, 11.1111);
  EXPECT_EQ(marked_rows(r), 28);
  EXPECT_EQ(r.total_count, 36);
  EXPECT_EQ(r.total_share_text, "100.0000");
}

TEST(ParseReport, NoRollsGiveNegativeNaNShares) {
  ParseResult p = parse_report(report_no_rolls());
  ASSERT_TRUE(p.ok) << p.error;
  for (const ReportRow &row : p.report.rows) {
    EXPECT_TRUE(std::isnan(row.share) && std::signbit(row.share)) << row.label;
    EXPECT_TRUE(std::isnan(row.deviation)) << row.label;
    EXPECT_FALSE(row.marked) << row.label;
  }
  EXPECT_TRUE(std::isnan(p.report.total_share));
  EXPECT_EQ(p.report.total_share_text, "-nan");
}

TEST(ParseReport, NegativeRollCountGivesNegativeZeros) {
  // 2147483648 wraps to the most negative count.
  ParseResult p = parse_report(dicestat_report("2147483648\n5\n"));
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.report.roll_count, INT32_MIN);
  for (const ReportRow &row : p.report.rows) {
    EXPECT_TRUE(row.share == 0 && std::signbit(row.share)) << row.label;
    EXPECT_TRUE(row.marked) << row.label;
  }
  EXPECT_EQ(p.report.total_share_text, "0.0000");
}

TEST(ParseReport, ClockSeedHasTimeLine) {
  ParseResult p = parse_report(dicestat_report("36\n\n"));
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.report.seed, 0);
  EXPECT_TRUE(p.report.has_time);
  EXPECT_EQ(p.report.total_count, 36);
}

struct Accepted {
  const char *name;
  std::function<std::string()> bytes;
  std::function<void(const Report &)> check;
};

TEST(ParseReport, AcceptsTheReportsOtherForms) {
  const std::vector<Accepted> cases = {
      {"bare LF line ends",
       [] {
         std::string s;
         for (char c : report_36_seed_1())
           if (c != '\r') s += c;
         return s;
       },
       [](const Report &r) { EXPECT_EQ(r.rows[11].count, 4); }},
      {"header and totals without their trailing blank",
       [] {
         std::vector<std::string> lines = lines_of(report_36_seed_1());
         for (size_t i : {size_t{0}, size_t{1}, lines.size() - 1}) lines[i].pop_back();
         return joined(lines);
       },
       [](const Report &r) { EXPECT_EQ(r.total_share_text, "100.0000"); }},
      {"byte-order mark", [] { return "\xef\xbb\xbf" + report_36_seed_1(); },
       [](const Report &r) { EXPECT_EQ(r.roll_count, 36); }},
  };
  for (const Accepted &c : cases) {
    ParseResult p = parse_report(c.bytes());
    EXPECT_TRUE(p.ok) << c.name << ": " << p.error;
    if (p.ok) c.check(p.report);
  }
}

struct Rejected {
  const char *name;
  std::function<std::string()> bytes;
  const char *error; // the whole message
};

TEST(ParseReport, RejectsWhatIsNotAReport) {
  const std::string long_line(65, '1');
  const std::vector<Rejected> cases = {
      {"empty", [] { return std::string(); }, "empty file"},
      {"wrong first line", [] { return edited(1, "Number of roll: 36 "); },
       "line 1: expected the \"Number of rolls\" line"},
      {"plus sign: %d never writes one", [] { return edited(1, "Number of rolls: +36 "); },
       "line 1: bad number in the \"Number of rolls\" line"},
      {"leading zero", [] { return edited(1, "Number of rolls: 036 "); },
       "line 1: bad number in the \"Number of rolls\" line"},
      {"one past the 32-bit range", [] { return edited(1, "Number of rolls: 2147483648 "); },
       "line 1: bad number in the \"Number of rolls\" line"},
      {"negative zero seed: %d writes 0", [] { return edited(2, "Seed: -0 "); },
       "line 2: bad number in the \"Seed\" line"},
      {"seed line missing", [] { return edited(2, nullptr); },
       "line 2: expected the \"Seed\" line"},
      {"seed 0 needs the Time line", [] { return edited(2, "Seed: 0 "); },
       "line 3: expected the \"Time\" line"},
      {"Time line after a seed that was answered", [] { return edited(3, "Time: 5 ", true); },
       "line 3: expected the empty line after the header"},
      {"labels swapped", [] { return edited(4, "12 0 0.0000 -2.7777 !!"); },
       "line 4: label 12 where 11 belongs"},
      {"last statistics line missing", [] { return edited(39, nullptr); }, "line 39: bad label"},
      {"one statistics line too many", [] { return edited(40, "66 0 0.0000 -2.7777 !!", true); },
       "line 40: expected the empty line before the totals"},
      {"letters in the count", [] { return edited(4, "11 1x 2.7778 +0.0001"); },
       "line 4: bad count"},
      {"negative count", [] { return edited(4, "11 -1 2.7778 +0.0001"); }, "line 4: bad count"},
      {"three decimals", [] { return edited(4, "11 1 2.778 +0.0001"); }, "line 4: bad share"},
      {"share over 100", [] { return edited(4, "11 1 1000.0000 +0.0001"); }, "line 4: bad share"},
      {"signed share", [] { return edited(4, "11 1 +2.7778 +0.0001"); }, "line 4: bad share"},
      {"unsigned deviation", [] { return edited(4, "11 1 2.7778 0.0001"); },
       "line 4: bad deviation"},
      {"half a mark", [] { return edited(4, "11 1 2.7778 +0.0001 !"); },
       "line 4: unexpected text after the deviation"},
      {"blank after an unmarked line", [] { return edited(4, "11 1 2.7778 +0.0001 "); },
       "line 4: unexpected text after the deviation"},
      {"NUL byte",
       [] { return report_36_seed_1().substr(0, 40) + '\0' + report_36_seed_1().substr(41); },
       "line 4: NUL byte"},
      {"CR inside a line", [] { return edited(4, "11 1 2.7778\r+0.0001"); },
       "line 4: unexpected byte 0x0d"},
      {"over-long line", [long_line] { return edited(4, long_line.c_str()); },
       "line 4: longer than 64 bytes"},
      {"byte-order mark after the first byte", [] { return "N\xef\xbb\xbf" + report_36_seed_1(); },
       "line 1: unexpected byte 0xef"},
      {"line after the totals", [] { return report_36_seed_1() + "\r\n"; },
       "line 42: unexpected line after the totals"},
      {"a second report after the first", [] { return report_36_seed_1() + report_36_seed_1(); },
       "line 43: more lines than a report has"},
      {"total count off by one", [] { return edited(41, "Totals: 35 100.0000 "); },
       "line 41: reads \"Totals: 35 100.0000 \", dicestat writes \"Totals: 36 100.0000 \""},
      {"running total of the shares edited", [] { return edited(41, "Totals: 36 99.9999"); },
       "line 41: reads \"Totals: 36 99.9999\", dicestat writes \"Totals: 36 100.0000 \""},
      {"rolls edited: the lines below are those of 36",
       [] { return edited(1, "Number of rolls: 37 "); },
       "line 1: reads \"Number of rolls: 37 \", dicestat writes \"Number of rolls: 36 \" for the "
       "counts below"},
      {"share edited", [] { return edited(7, "14 2 9.9999 +2.7779 !!"); },
       "line 7: reads \"14 2 9.9999 +2.7779 !!\", dicestat writes \"14 2 5.5556 +2.7779 !!\""},
      {"deviation edited", [] { return edited(7, "14 2 5.5556 +2.7778 !!"); },
       "line 7: reads \"14 2 5.5556 +2.7778 !!\", dicestat writes \"14 2 5.5556 +2.7779 !!\""},
      {"mark removed", [] { return edited(7, "14 2 5.5556 +2.7779"); },
       "line 7: reads \"14 2 5.5556 +2.7779\", dicestat writes \"14 2 5.5556 +2.7779 !!\""},
      {"count edited: its share gives it away", [] { return edited(7, "14 3 5.5556 +2.7779 !!"); },
       "line 7: reads \"14 3 5.5556 +2.7779 !!\", dicestat writes \"14 3 8.3333 +5.5556 !!\"; "
       "the counts add up to 37, not to the 36 rolls of line 1"},
      {"count edited with its line: which one cannot be told",
       [] { return edited(7, "14 3 8.3333 +5.5556 !!"); },
       "the counts of lines 4 to 39 add up to 37, not to the 36 rolls of line 1"},
      {"counts past the 32-bit range in all: summed as 32-bit counters wrap",
       [] {
         std::vector<std::string> lines = lines_of(report_36_seed_1());
         lines[3] = "11 2000000000 2.7778 +0.0001";
         lines[4] = "12 2000000000 0.0000 -2.7777 !!";
         return joined(lines);
       },
       "line 4: reads \"11 2000000000 2.7778 +0.0001\", dicestat writes \"11 2000000000 "
       "5555555328.0000 +5555555325.2223 !!\"; the counts add up to 4000000035, not to the 36 "
       "rolls of line 1"},
      {"positive nan: dicestat writes -nan alone",
       [] {
         std::vector<std::string> lines = lines_of(report_no_rolls());
         lines[3] = "11 0 nan +nan";
         return joined(lines);
       },
       "line 4: reads \"11 0 nan +nan\", dicestat writes \"11 0 -nan -nan\""},
      {"cut at a line end",
       [] {
         std::vector<std::string> lines = lines_of(report_36_seed_1());
         lines.resize(20);
         return joined(lines);
       },
       "ends after line 20, without the statistics line for 36"},
      {"a roll log", [] { return std::string("53 65 64 42 42 26 21 14 31 41 "); },
       "line 1: no line end; the file is truncated"},
  };
  for (const Rejected &c : cases) {
    ParseResult p = parse_report(c.bytes());
    EXPECT_FALSE(p.ok) << c.name;
    EXPECT_EQ(p.error, c.error) << c.name;
  }
}

// Every proper prefix of a report is rejected: a cut anywhere, even between
// CR and LF, leaves something missing. Run under the sanitizers, this also
// shows that no cut makes the parser read past the end.
TEST(ParseReport, RejectsEveryTruncation) {
  for (const std::string &whole : {report_36_seed_1(), report_no_rolls()}) {
    for (size_t n = 0; n < whole.size(); ++n) {
      // Exactly n bytes on the heap, so that the sanitizers catch a read beyond them.
      std::unique_ptr<char[]> prefix(new char[n]);
      std::copy(whole.begin(), whole.begin() + static_cast<long>(n), prefix.get());
      ParseResult p = parse_report(std::string_view(prefix.get(), n));
      EXPECT_FALSE(p.ok) << "cut after " << n << " bytes";
      EXPECT_FALSE(p.error.empty()) << "cut after " << n << " bytes";
    }
  }
}

} // namespace
