// dicestat-chart run as a user would: where it reads from, what it says and
// returns when it cannot draw, and that it then writes nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scratch.h"

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

// Runs the chart in a scratch directory holding statfile.txt (a real
// report), reports of a million rolls, of none and of a negative number,
// dicefile.txt, an empty directory "dir" and "huge.txt".
Outcome run_chart(const std::string &args, const std::string &redirect = "") {
  static const std::string report = dicestat_report("36\n1\n");
  static const std::string million = dicestat_report("1000000\n42\n");
  static const std::string none = dicestat_report("0\n1\n");
  static const std::string negative = dicestat_report("-5\n1\n");
  Scratch scratch;
  write_file(scratch.path("statfile.txt"), report);
  write_file(scratch.path("million.txt"), million);
  write_file(scratch.path("none.txt"), none);
  write_file(scratch.path("negative.txt"), negative);
  write_file(scratch.path("dicefile.txt"), "53 65 64 42 42 26 21 14 31 41 ");
  write_file(scratch.path("huge.txt"), std::string(100000, '\n'));
  run_shell("mkdir " + shell_quote(scratch.path("dir")));
  std::string command = "cd " + shell_quote(scratch.dir) + " && " + shell_quote(CHART_BINARY) +
                        " " + args + " 2>err " + (redirect.empty() ? ">out" : redirect);
  Outcome o;
  o.status = run_shell(command);
  o.out = read_file(scratch.path("out"));
  o.err = read_file(scratch.path("err"));
  return o;
}

bool is_svg(const std::string &out) {
  return out.rfind("<?xml", 0) == 0 && out.find("</svg>\n") == out.size() - 7;
}

TEST(ChartCommand, ReadsTheReportFromWhereItIsTold) {
  struct Case {
    const char *args;
    const char *redirect;
  };
  const std::vector<Case> cases = {
      {"", ""},                    // statfile.txt in the current directory
      {"statfile.txt", ""},        // a path
      {"- <statfile.txt", ">out"}, // standard input
      {"-- statfile.txt", ""},     // after the end of options
  };
  for (const Case &c : cases) {
    Outcome o = run_chart(c.args, c.redirect);
    EXPECT_EQ(o.status, 0) << c.args << ": " << o.err;
    EXPECT_TRUE(is_svg(o.out)) << c.args;
    EXPECT_EQ(o.err, "") << c.args;
  }
}

TEST(ChartCommand, FailsWithOneLineAndStatusTwo) {
  struct Case {
    const char *args;
    const char *err; // all of standard error
  };
  const std::vector<Case> cases = {
      {"missing.txt", "dicestat-chart: missing.txt: No such file or directory\n"},
      {"dir", "dicestat-chart: dir: Is a directory\n"},
      {"dicefile.txt",
       "dicestat-chart: dicefile.txt: line 1: no line end; the file is truncated\n"},
      {"huge.txt", "dicestat-chart: huge.txt: larger than 65536 bytes; not a report\n"},
      {"- </dev/null", "dicestat-chart: standard input: empty file\n"},
  };
  for (const Case &c : cases) {
    Outcome o = run_chart(c.args);
    EXPECT_EQ(o.status, 2) << c.args;
    EXPECT_EQ(o.err, c.err) << c.args;
    EXPECT_EQ(o.out, "") << c.args << ": nothing is drawn";
  }
}

// The p-values of a --summary, fair dice first; empty unless the output is
// exactly the two lines in their form, as writing back what was read shows.
std::vector<double> summary_p(const std::string &out) {
  std::vector<double> p;
  std::string again;
  for (const char *name : {"fair", "generator"}) {
    size_t x_at = out.find("chi2=", again.size()), p_at = out.find(" p=", again.size());
    if (x_at == std::string::npos || p_at == std::string::npos) return {};
    double x = std::strtod(out.c_str() + x_at + 5, nullptr);
    p.push_back(std::strtod(out.c_str() + p_at + 3, nullptr));
    char line[96];
    std::snprintf(line, sizeof line, "%s: chi2=%.4f p=%.4g\n", name, x, p.back());
    again += line;
  }
  return again == out ? p : std::vector<double>{};
}

TEST(ChartCommand, SummaryAndCaptionGiveBothVerdicts) {
  // The report of `printf '2147483647\n42\n' | dicestat`, kept as it is
  // because the run writes a 6.4 GB roll log.
  std::string big = shell_quote(std::string(CHART_TEST_DATA) + "/seed42-2147483647.txt");
  struct Case {
    std::string file;
    bool fair_fits;         // p at or above 0.05; else below 10^-9
    const char *fair_words; // in the chart's caption
  };
  for (const Case &c : {Case{"million.txt", true, "Consistent with fair dice (p = "},
                        Case{big, false, "Not fair dice (p below 10^-9)"}}) {
    std::vector<double> p = summary_p(run_chart("--summary " + c.file).out);
    ASSERT_EQ(p.size(), 2u) << c.file;
    EXPECT_TRUE(c.fair_fits ? p[0] >= 0.05 : p[0] < 1e-9) << c.file << ": " << p[0];
    EXPECT_GE(p[1], 0.05) << c.file << ": the generator's own split fits";
    std::string svg = run_chart(c.file).out;
    EXPECT_NE(svg.find(c.fair_words), std::string::npos) << c.file;
    EXPECT_NE(svg.find("Consistent with the generator&apos;s own"), std::string::npos) << c.file;
  }
}

TEST(ChartCommand, SummaryOfNoRollsOrOfANonReport) {
  for (const char *file : {"none.txt", "negative.txt"})
    EXPECT_EQ(run_chart(std::string("--summary ") + file).out,
              "fair: chi2=nan p=nan\ngenerator: chi2=nan p=nan\n")
        << file;
  Outcome o = run_chart("--summary dicefile.txt");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out, "");
}

TEST(ChartCommand, FullOutputIsAnError) {
  Outcome o = run_chart("statfile.txt", ">/dev/full");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "dicestat-chart: standard output: No space left on device\n");
}

TEST(ChartCommand, Arguments) {
  Outcome help = run_chart("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: dicestat-chart", 0), 0u);

  for (const char *args : {"-x", "statfile.txt statfile.txt"}) {
    Outcome o = run_chart(args);
    EXPECT_EQ(o.status, 2) << args;
    EXPECT_EQ(o.out, "") << args;
    EXPECT_NE(o.err.find("usage: dicestat-chart"), std::string::npos) << args;
  }
}

} // namespace
