// dicestat-chart run as a user would: where it reads from, what it says and
// returns when it cannot draw, and that it then writes nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scratch.h"

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

// Runs the chart in a scratch directory holding statfile.txt (a real
// report), dicefile.txt, an empty directory "dir" and "huge.txt".
Outcome run_chart(const std::string &args, const std::string &redirect = "") {
  static const std::string report = dicestat_report("36\n1\n");
  Scratch scratch;
  write_file(scratch.path("statfile.txt"), report);
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
