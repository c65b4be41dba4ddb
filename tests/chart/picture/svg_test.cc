// The picture: well-formed XML by a real parser, the cells, marks and
// caption that the report calls for, and text escaping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/dice.h"
#include "chart/picture/svg.h"
#include "chart/read/report_parse.h"
#include "programs.h"

namespace {

Report parsed(const std::string &bytes) {
  ParseResult p = parse_report(bytes);
  EXPECT_TRUE(p.ok) << p.error;
  return p.report;
}

// The picture with the report's tests of fit and their power.
std::string render_svg(const Report &r, std::string_view source) {
  return ::render_svg(r, source, test_fit(counts_of(r), {}));
}

// What xmllint says about the document; empty when it is well formed.
std::string xml_errors(const std::string &svg) {
  Scratch scratch;
  write_file(scratch.path("chart.svg"), svg);
  if (run_shell("xmllint --noout " + shell_quote(scratch.path("chart.svg")) + " 2>" +
                shell_quote(scratch.path("errors"))) == 0)
    return "";
  std::string errors = read_file(scratch.path("errors"));
  return errors.empty() ? "xmllint failed" : errors;
}

bool have_xmllint() {
  return run_shell("command -v xmllint >/dev/null 2>&1") == 0;
}

// The fill of each grid cell, in label order.
std::vector<std::string> cell_fills(const std::string &svg) {
  const std::string kCell = "class=\"cell", kFill = "fill=\"";
  const size_t kColour = 7; // "#rrggbb"
  std::vector<std::string> fills;
  for (size_t at = svg.find(kCell); at != std::string::npos; at = svg.find(kCell, at + 1)) {
    size_t fill = svg.find(kFill, at);
    if (fill == std::string::npos) break;
    fills.push_back(svg.substr(fill + kFill.size(), kColour));
  }
  return fills;
}

TEST(Svg, IsWellFormedForEveryKindOfReport) {
  if (!have_xmllint()) GTEST_SKIP() << "xmllint not installed (Debian package libxml2-utils)";
  for (const char *answers : {"36\n1\n", "0\n5\n", "-1\n5\n", "36\n\n"}) {
    std::string svg = render_svg(parsed(dicestat_report(answers)), "statfile.txt");
    EXPECT_EQ(xml_errors(svg), "") << "answers " << answers;
  }
}

TEST(Svg, DrawsEveryOutcomeAndMarksTheMarkedOnes) {
  Report r = parsed(dicestat_report("36\n1\n"));
  std::string svg = render_svg(r, "statfile.txt");
  EXPECT_EQ(count_of(svg, "class=\"cell\""), 8u);
  EXPECT_EQ(count_of(svg, "class=\"cell marked\""), 28u);
  EXPECT_EQ(count_of(svg, ">!!</text>"), 28u + 1) << "one per marked cell and one in the legend";
  // 26 came up four times in 36.
  EXPECT_NE(svg.find("<title>26: 4 rolls, 11.1111 %, deviation +8.3334, outside the band, "
                     "residual 3.00</title>"),
            std::string::npos);
  // Cell colours by the residual, expected 1 and standard deviation 1:
  // blue below, red above, near-white at it, and full only from 4 out, so
  // that the few rolls that put every share outside the band look like chance.
  std::vector<std::string> fills = cell_fills(svg);
  ASSERT_EQ(fills.size(), 36u);
  EXPECT_EQ(fills[0], "#f7f7f7") << "11: as expected";
  EXPECT_EQ(fills[1], "#d1e5f0") << "12: one short, a quarter of the way to full blue";
  EXPECT_EQ(fills[11], "#d6604d") << "26: three over, three quarters of the way to full red";
}

TEST(Svg, CaptionHoldsTheRunsNumbers) {
  std::string answered = render_svg(parsed(dicestat_report("36\n1\n")), "statfile.txt");
  EXPECT_NE(answered.find(">Number of rolls: 36"), std::string::npos);
  EXPECT_NE(answered.find("Seed: 1</text>"), std::string::npos);
  EXPECT_EQ(answered.find("Time:"), std::string::npos);
  EXPECT_NE(answered.find(">Totals: 36 rolls; the shares add up to 100.0000 %</text>"),
            std::string::npos);
  EXPECT_NE(answered.find(">28 of 36 outcomes outside the band, marked !!</text>"),
            std::string::npos);

  Report clocked = parsed(dicestat_report("36\n\n"));
  std::string svg = render_svg(clocked, "statfile.txt");
  EXPECT_NE(svg.find(">Time: " + std::to_string(clocked.time) +
                     ", the clock&apos;s value, was the seed<"),
            std::string::npos);
}

TEST(Svg, NoRollsDrawGreyCellsAndSayWhy) {
  std::string svg = render_svg(parsed(dicestat_report("0\n5\n")), "statfile.txt");
  std::vector<std::string> fills = cell_fills(svg);
  ASSERT_EQ(fills.size(), 36u);
  for (const std::string &fill : fills) EXPECT_EQ(fill, "#bdbdbd");
  EXPECT_EQ(count_of(svg, "class=\"cell marked\""), 0u);
  EXPECT_NE(svg.find(">no share (no rolls)</text>"), std::string::npos);
  EXPECT_NE(svg.find(">No outcome outside the band</text>"), std::string::npos);
}

TEST(Svg, HostileSourceNameStaysText) {
  if (!have_xmllint()) GTEST_SKIP() << "xmllint not installed (Debian package libxml2-utils)";
  std::string name = "a</title><script>&\"'\x01\xff\xc3\xa9.txt";
  std::string svg = render_svg(parsed(dicestat_report("36\n1\n")), name);
  EXPECT_EQ(xml_errors(svg), "");
  EXPECT_EQ(svg.find("<script>"), std::string::npos);
}

TEST(XmlEscape, Vectors) {
  const std::string kBad = "\xef\xbf\xbd"; // U+FFFD, the replacement character
  struct Case {
    std::string in, out;
    const char *why;
  };
  const std::vector<Case> cases = {
      {"a<b>&\"'", "a&lt;b&gt;&amp;&quot;&apos;", "markup characters"},
      {"tab\tline\n", "tab" + kBad + "line" + kBad, "control characters are not wanted in text"},
      {"\x7f", kBad, "DEL"},
      {"\xc3\xa9", "\xc3\xa9", "valid two-byte sequence kept"},
      {"\xf0\x9f\x8e\xb2", "\xf0\x9f\x8e\xb2", "valid four-byte sequence kept"},
      {"\xc3", kBad, "sequence cut off at the end"},
      {"\xc3(", kBad + "(", "lead byte without its continuation"},
      {"\xc0\xaf", kBad + kBad, "overlong form of '/'"},
      {"\xe0\x80\xaf", kBad + kBad + kBad, "overlong three-byte form"},
      {"\xed\xa0\x80", kBad + kBad + kBad, "UTF-16 surrogate"},
      {"\xef\xbf\xbf", kBad + kBad + kBad, "U+FFFF is not an XML character"},
      {"\xf4\x90\x80\x80", kBad + kBad + kBad + kBad, "beyond U+10FFFF"},
      {"\xf5\x80\x80", kBad + kBad + kBad, "F5 and above begin no sequence"},
  };
  for (const Case &c : cases) EXPECT_EQ(xml_escape(c.in), c.out) << c.why;
}

} // namespace
