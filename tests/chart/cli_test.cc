// dicestat-chart run as a user would: where it reads from, what it says and
// returns when it cannot draw, and that it then writes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "chart/read/report_from_counts.h"
#include "programs.h"

#ifndef _WIN32
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#endif

namespace {

#ifdef _WIN32
// Every case runs the chart through sh, which Windows lacks. `make
// test-windows` tries the Windows chart from its zip instead.
TEST(ChartCommand, NeedsSh) {
  GTEST_SKIP() << "runs the chart through sh; make test-windows tries it from the zip";
}
#else

struct Outcome {
  int status = -1;
  std::string out, err;
  long peak_kib = 0; // the chart's peak resident memory (or its shell's, if more)
};

// A failure takes no analysis buffer, and never more memory than this.
constexpr long kMaxPeakKib = 64 * 1024;

// Runs the command with sh: its exit status, or -1, and the peak resident
// memory of sh or of the largest process it waited for.
int run_measured(const std::string &command, long *peak_kib) {
  pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char *>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return -1;
  *peak_kib = usage.ru_maxrss;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A report in dicestat's own lines for these counts and the header's rolls:
// what a forger who knows the program's arithmetic writes.
std::string report_of(const std::string &header, const Counts &counts) {
  auto rolls = static_cast<int32_t>(rolls_in(counts));
  std::string text = header + "\r\n";
  for (int i = 0; i < kOutcomes; ++i) text += row_text(counts, rolls, i) + "\r\n";
  return text + "\r\n" + totals_text(counts, rolls) + "\r\n";
}

// The counts of a report's statistics lines.
Counts counts_in(const std::string &report) {
  Counts counts;
  for (size_t at = report.find("\n11 "); counts.size() < kOutcomes; at = report.find('\n', at + 1))
    counts.push_back(std::atoi(report.c_str() + report.find(' ', at) + 1));
  return counts;
}

// Runs the chart in a scratch directory holding statfile.txt (a real
// report, 36 rolls of seed 1), reports of a million rolls, of none and of a
// negative number, dicefile.txt (its first 10 rolls), a typed list of rolls
// and the same rolls in dicestat's form, lists with a bad token, an empty
// directory "dir", "huge.txt" and "token.txt"; reports that no run writes
// and logs that are another run's.
Outcome run_chart(const std::string &args, const std::string &redirect = "") {
  static std::string log;
  static const std::string report = dicestat_report("36\n1\n", &log);
  static const std::string million = dicestat_report("1000000\n42\n");
  static const std::string none = dicestat_report("0\n1\n");
  static const std::string negative = dicestat_report("-5\n1\n");
  static const std::string head = "Number of rolls: 36 \r\nSeed: 1 \r\n";
  Counts moved = counts_in(million);
  moved[0] += 2500, moved[1] -= 2500;
  Scratch scratch;
  write_file(scratch.path("statfile.txt"), report);
  write_file(scratch.path("bom.txt"), "\xef\xbb\xbf" + report);
  write_file(scratch.path("forged.txt"),
             report_of("Number of rolls: 1000000 \r\nSeed: 42 \r\n", moved));
  write_file(scratch.path("ones.txt"), report_of(head, Counts(kOutcomes, 1)));
  std::vector<std::string> rolls;
  for (size_t at = 0; at < log.size(); at += 3) rolls.push_back(log.substr(at, 3));
  std::sort(rolls.begin(), rolls.end());
  write_file(scratch.path("sorted.txt"),
             std::accumulate(rolls.begin(), rolls.end(), std::string()));
  write_file(scratch.path("long.txt"), log + "11 ");
  write_file(scratch.path("cutoff.txt"), log.substr(0, 6) + "5");
  write_file(scratch.path("million.txt"), million);
  write_file(scratch.path("none.txt"), none);
  write_file(scratch.path("negative.txt"), negative);
  write_file(scratch.path("dicefile.txt"), "53 65 64 42 42 26 21 14 31 41 ");
  write_file(scratch.path("truncated.txt"), "53 65 6");
  write_file(scratch.path("lines.txt"), "53\n65\n");
  write_file(scratch.path("typed.txt"),
             "# my dice, 17 rolls\n11, 12\t13\r\n14 # four\n\n15,16  21");
  write_file(scratch.path("plain.txt"), "11 12 13 14 15 16 21 ");
  write_file(scratch.path("bad.txt"), "# 17\n11,12\t13\r\n 14  170 66\n");
  write_file(scratch.path("binary.txt"), "11 1\x01\xff\"abcdefghijklmnopqrstuvwxyz");
  write_file(scratch.path("huge.txt"), std::string(100000, '\n'));
  write_file(scratch.path("token.txt"), ""); // one token of 200 MB, sparse: NUL bytes
  std::filesystem::resize_file(scratch.path("token.txt"), 200000000);
  run_shell("mkdir " + shell_quote(scratch.path("dir")));
  std::string command = "cd " + shell_quote(scratch.dir) + " && " + shell_quote(CHART_BINARY) +
                        " " + args + " 2>err " + (redirect.empty() ? ">out" : redirect);
  Outcome o;
  o.status = run_measured(command, &o.peak_kib);
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
      {"bom.txt", ""},             // saved with a byte-order mark
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
    std::string args;
    std::string err; // all of standard error
  };
  std::string kNuls; // an endless token of NUL bytes, as its message shows it
  for (int i = 0; i < 20; ++i) kNuls += "\\x00";
  kNuls = "\"" + kNuls + "...\" is not a face of any die d4 to d100; --faces names other faces\n";
  const std::vector<Case> cases = {
      {"missing.txt", "dicestat-chart: missing.txt: No such file or directory\n"},
      {"dir", "dicestat-chart: dir: Is a directory\n"},
      {"bad.txt", "dicestat-chart: bad.txt:3:6: \"170\" is not a face of any die d4 to d100; "
                  "--faces names other faces\n"},
      {"binary.txt", "dicestat-chart: binary.txt:1:4: "
                     "\"1\\x01\\xff\\x22abcdefghijklmnop...\" is not a face of any die d4 to "
                     "d100; --faces names other faces\n"},
      {"huge.txt", "dicestat-chart: huge.txt: no rolls in it\n"},
      {"--independence huge.txt", "dicestat-chart: huge.txt: no rolls in it\n"},
      {shell_quote("a\x1b[2J\nb\xff\xc2\x9b.txt"), // escapes, a line end, no UTF-8, C1
       "dicestat-chart: a\\x1b[2J\\x0ab\\xff\\xc2\\x9b.txt: No such file or directory\n"},
      {"\xc3\xa9.txt", "dicestat-chart: \xc3\xa9.txt: No such file or directory\n"}, // as it is
      {"token.txt", "dicestat-chart: token.txt:1:1: " + kNuls},
      {"/dev/zero", "dicestat-chart: /dev/zero:1:1: " + kNuls}, // refused past 64 bytes
      {"--independence /dev/zero", "dicestat-chart: /dev/zero:1:1: " + kNuls},
      {"- </dev/null", "dicestat-chart: standard input: empty file\n"},
      {"--independence truncated.txt",
       "dicestat-chart: truncated.txt:1:7: \"6\" is not an outcome 11 to 66, and dicestat's roll "
       "log ends in it\n"},
      {"--log plain.txt statfile.txt",
       "dicestat-chart: plain.txt: another run's roll log: roll 1 is 11, dicestat's run of seed 1 "
       "rolled 53\n"},
      {"forged.txt", "dicestat-chart: forged.txt: line 4: reads \"11 30409 3.0409 +0.2632 !!\", "
                     "dicestat's run of seed 42 writes \"11 27909 2.7909 +0.0132\"\n"},
      {"--summary ones.txt", "dicestat-chart: ones.txt: line 5: reads \"12 1 2.7778 +0.0001\", "
                             "dicestat's run of seed 1 writes \"12 0 0.0000 -2.7777 !!\"\n"},
      {"--log sorted.txt statfile.txt", "dicestat-chart: sorted.txt: another run's roll log: roll "
                                        "1 is 11, dicestat's run of seed 1 rolled 53\n"},
      {"--log long.txt statfile.txt", "dicestat-chart: long.txt: another run's roll log: roll 37 "
                                      "is 11, dicestat's run of seed 1 made 36 rolls\n"},
      {"--log cutoff.txt statfile.txt",
       "dicestat-chart: cutoff.txt: another run's roll log: roll 3 is cut off after 5, dicestat's "
       "run of seed 1 rolled 64\n"},
  };
  for (const Case &c : cases) {
    Outcome o = run_chart(c.args);
    EXPECT_EQ(o.status, 2) << c.args;
    EXPECT_EQ(o.err, c.err) << c.args;
    EXPECT_EQ(o.out, "") << c.args << ": nothing is drawn";
    EXPECT_LT(o.peak_kib, kMaxPeakKib) << c.args;
  }
}

// The p-values of a --summary, fair dice first; empty unless the output
// begins with exactly the two lines in their form, as writing back what was
// read shows.
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
  return out.compare(0, again.size(), again) == 0 ? p : std::vector<double>{};
}

// The two lines after them: the rolls the test needs for the generator's
// split, then what it detects at the input's own rolls.
std::string power_lines(const char *detectable) {
  return "needed: 125143440 rolls to tell the generator's 911/910 split from fair dice\n"
         "detectable: " +
         std::string(detectable) + "\n";
}

// The same for rolls enough for the approximation, which says its power and level.
std::string power_lines_at(const char *detectable) {
  return power_lines((std::string(detectable) + " (80% power at the 0.05 level)").c_str());
}

TEST(ChartCommand, SummaryAndCaptionGiveBothVerdicts) {
  // The report of `printf '2147483647\n42\n' | dicestat`, kept as it is
  // because the run writes a 6.4 GB roll log.
  std::string big = shell_quote(std::string(CHART_TEST_DATA) + "/seed42-2147483647.txt");
  struct Case {
    std::string file;
    bool fair_fits;         // p at or above 0.05; else below 10^-9
    const char *fair_words; // in the chart's caption
    const char *detectable; // the percentages as scipy's non-central chi-square gives them
    const char *anytime;    // the e-value of the counts, as scipy's gammaln gives it
    const char *rolls;      // in the report, replayed
  };
  std::vector<Case> cases = {{"million.txt", true, "Consistent with fair dice (p = ",
                              "one outcome 3.02% more often than 1/36", "e=5.737e-45 p=1",
                              "1000000"}};
#ifndef DICESTAT_SANITIZED // the longest replay there is: seconds, and more under the sanitizers
  cases.push_back({big, false, "Not fair dice (p below 10\u207b\u2079)",
                   "one outcome 0.0652% more often than 1/36", "e=7.685e-14 p=1", "2147483647"});
#endif
  for (const Case &c : cases) {
    std::string summary = run_chart("--summary " + c.file).out;
    std::vector<double> p = summary_p(summary);
    ASSERT_EQ(p.size(), 2u) << c.file;
    size_t needed = summary.find("needed:"), read = summary.find("read: ");
    EXPECT_EQ(summary.substr(needed, read - needed),
              power_lines_at(c.detectable) + "anytime: " + c.anytime + "\n");
    EXPECT_NE(
        summary.find("\nread: " + std::string(c.rolls) + " rolls of two d6 (dicestat's report)\n"),
        std::string::npos)
        << summary;
    EXPECT_EQ(summary.substr(summary.rfind("\nreplayed: ")),
              "\nreplayed: seed 42, " + std::string(c.rolls) +
                  " rolls, every count as dicestat's\n");
    EXPECT_TRUE(c.fair_fits ? p[0] >= 0.05 : p[0] < 1e-9) << c.file << ": " << p[0];
    EXPECT_GE(p[1], 0.05) << c.file << ": the generator's own split fits";
    std::string svg = run_chart(c.file).out;
    EXPECT_NE(svg.find(c.fair_words), std::string::npos) << c.file;
    EXPECT_NE(svg.find("Consistent with the generator&apos;s own"), std::string::npos) << c.file;
  }
}

#ifndef DICESTAT_SANITIZED // 6.4 GB through a pipe: seconds, and minutes under the sanitizers
TEST(ChartCommand, AnEndlessListOfRollsEnds) {
  // Rolls of "11 " without end from perl, as fast as a pipe takes them; a
  // chart that reads on is stopped by timeout (status 124) at the deadline.
  Scratch scratch;
  std::string feed = "perl -e '$b = \"11 \" x 65536; print $b while 1'";
  std::string chart = shell_quote(CHART_BINARY) + " --independence - 2>" +
                      shell_quote(scratch.path("err")) + " >/dev/null";
  long peak_kib = 0;
  int status = run_measured("timeout 300 sh -c " + shell_quote(feed + " | " + chart), &peak_kib);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(read_file(scratch.path("err")),
            "dicestat-chart: standard input: more rolls than a report holds, 2147483647\n");
}
#endif

TEST(ChartCommand, SummaryOfNoRollsOrOfANonReport) {
  for (const char *file : {"none.txt", "negative.txt"})
    EXPECT_EQ(run_chart(std::string("--summary ") + file).out,
              "fair: chi2=nan p=nan\ngenerator: chi2=nan p=nan\n" +
                  power_lines("none, there were no rolls") + "anytime: e=1 p=1\n" +
                  "read: 0 rolls of two d6 (dicestat's report)\n"
                  "die 1: chi2=nan p=nan\ndie 2: chi2=nan p=nan\n"
                  "between dice: chi2=nan df=0 p=nan\n"
                  "faces of die 1: none outside\nfaces of die 2: none outside\n" +
                  "replayed: seed 1, 0 rolls, every count as dicestat's\n")
        << file;
  Outcome o = run_chart("--summary huge.txt");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out, "");
}

TEST(ChartCommand, FullOutputIsAnError) {
  Outcome o = run_chart("statfile.txt", ">/dev/full");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "dicestat-chart: standard output: No space left on device\n");
}

TEST(ChartCommand, OutputGoesWhereItIsTold) {
  struct Case {
    std::string args; // OUT stands for a file in a scratch directory of the test's
    const char *redirect;
    int status;
    const char *err;
    const char *begins; // what OUT begins with; null when it must not be made
  };
  const std::string kScript = " >/dev/null; script -qec '" + shell_quote(CHART_BINARY) +
                              " statfile.txt 2>err' /dev/null >out";
  const std::vector<Case> cases = {
      {"-o OUT statfile.txt", "", 0, "", "<?xml"},
      {"--summary --output=OUT statfile.txt", "", 0, "", "fair: "},
      {"-o dir statfile.txt", "", 2, "dicestat-chart: dir: Is a directory\n", nullptr},
      {"-o OUT missing.txt", "", 2, "dicestat-chart: missing.txt: No such file or directory\n",
       nullptr},
      // SVG at a terminal, which `script` gives it.
      {"--version", kScript.c_str(), 2,
       "dicestat-chart: standard output: a terminal; the picture is SVG for a file: add -o "
       "chart.svg, or > chart.svg\n",
       nullptr},
  };
  for (const Case &c : cases) {
    Scratch keep;
    std::string args = c.args, out = shell_quote(keep.path("out"));
    if (args.find("OUT") != std::string::npos) args.replace(args.find("OUT"), 3, out);
    Outcome o = run_chart(args, c.redirect);
    EXPECT_EQ(o.status, c.status) << c.args << ": " << o.err;
    EXPECT_EQ(o.err, c.err) << c.args;
    bool made = std::filesystem::exists(keep.path("out"));
    EXPECT_EQ(made, c.begins != nullptr) << c.args;
    if (made && c.begins != nullptr) {
      EXPECT_EQ(read_file(keep.path("out")).rfind(c.begins, 0), 0u) << c.args;
    }
  }
}

// The name before the colon of each line.
std::string line_names(const std::string &out) {
  std::string names;
  for (size_t at = 0; at < out.size(); at = out.find('\n', at) + 1)
    names += out.substr(at, out.find(':', at) - at) + ";";
  return names;
}

TEST(ChartCommand, SummariesOfAnyDiceInTheirOrder) {
  // 40 rolls of a d20, of a pair of d6 and of a pair of d20: the lines
  // of each, what was read first; dicestat's own log keeps its lines first.
  std::string d20, pair, big_pair, own_log;
  for (int r = 0; r < 40; ++r) {
    d20 += std::to_string(r % 20 + 1) + "\n";
    pair += std::to_string(r % 6 + 1) + " " + std::to_string(r / 6 % 6 + 1) + "\n";
    big_pair += std::to_string(r % 20 + 1) + "," + std::to_string(r * 7 % 20 + 1) + "\n";
  }
  dicestat_report("40\n42\n", &own_log);
  Scratch lists;
  write_file(lists.path("d20.txt"), d20);
  write_file(lists.path("pair.txt"), pair);
  write_file(lists.path("big.csv"), "first,second\n" + big_pair);
  write_file(lists.path("tally.txt"), "1 1 5\n6 6 7\n");
  write_file(lists.path("dicefile.txt"), own_log);
  const std::string kPairs = "read;fair;die 1;die 2;between dice;faces of die 1;faces of die 2;";
  struct Case {
    std::string args, names;
  };
  const std::vector<Case> cases = {
      {"d20.txt", "read;fair;faces;detectable;anytime;"},
      {"--dice 2 pair.txt", kPairs + "detectable;anytime;"},
      {"--counts tally.txt", kPairs + "detectable;anytime;"},
      // 400 combinations: no test of them all, each die's and the pair's.
      {"--die d20 --column first --column second big.csv",
       "read;die 1;die 2;between dice;faces of die 1;faces of die 2;detectable;anytime die "
       "1;anytime die 2;"},
      {"dicefile.txt", "fair;generator;needed;detectable;anytime;read;die 1;die 2;between "
                       "dice;faces of die 1;faces of die 2;"},
  };
  for (const Case &c : cases) {
    int status = run_shell("cd " + shell_quote(lists.dir) + " && " + shell_quote(CHART_BINARY) +
                           " --summary --samples 1000 " + c.args + " >out 2>err");
    Outcome o{status, read_file(lists.path("out")), read_file(lists.path("err"))};
    EXPECT_EQ(o.status, 0) << c.args << ": " << o.err;
    EXPECT_EQ(line_names(o.out), c.names) << c.args << ":\n" << o.out;
    // The tally's e-value of its counts alone, as scipy's gammaln gives it.
    if (c.args == "--counts tally.txt") {
      EXPECT_NE(o.out.find("anytime: e=1.486e+06 p=6.727e-07\n"), std::string::npos) << o.out;
    }
  }
}

TEST(ChartCommand, Arguments) {
  Outcome help = run_chart("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: dicestat-chart", 0), 0u);
  EXPECT_EQ(run_chart("--version").out, "dicestat-chart 0.1.0\n");

  for (const char *args :
       {"-x", "statfile.txt statfile.txt", "--summary --independence",
        "--independence --log dicefile.txt", "--log", "--samples 0", "--samples 999",
        "--mc-seed -1", "--summary=yes", "--log=typed.txt typed.txt", "--follow -o out.txt",
        "--die d1", "--faces 1,1", "--dice 17", "--column a --dice 2", "--counts --column a",
        "--die d6 --faces 1-6"}) {
    Outcome o = run_chart(args);
    EXPECT_EQ(o.status, 2) << args;
    EXPECT_EQ(o.out, "") << args;
    EXPECT_NE(o.err.find("usage: dicestat-chart"), std::string::npos) << args;
  }
  // In a cluster the option at fault, not the argument before it.
  EXPECT_EQ(run_chart("--summary -dx").err.rfind("dicestat-chart: unknown option -d\n", 0), 0u);
}

struct LagLine {
  long long lag = 0, pairs = 0;
  double chi2 = 0;
  int df = 0;
  double p = 0;
  int lags = 0;      // the verdict's: lags tested
  double lag_p = -1; // and its lag's own p
};

// The lines of an --independence output, the verdict's last (pairs and df
// 0), each p below 1e-300 read as 0; none unless every line is in its form,
// as writing back what was read shows.
std::vector<LagLine> independence_lines(std::string out) {
  for (size_t at = out.find("<1e-300"); at != std::string::npos; at = out.find("<1e-300"))
    out.replace(at, 7, "=0");
  std::vector<LagLine> lines;
  std::istringstream in(out);
  std::string again;
  char text[160];
  for (std::string line; std::getline(in, line); again += text) {
    LagLine l;
    if (line.rfind("anytime: e=", 0) == 0 && in.peek() != EOF) { // checked elsewhere
      std::snprintf(text, sizeof text, "%s\n", line.c_str());
      continue;
    }
    if (std::sscanf(line.c_str(), "lag=%lld pairs=%lld chi2=%lf df=%d p=%lf", &l.lag, &l.pairs,
                    &l.chi2, &l.df, &l.p) == 5)
      std::snprintf(text, sizeof text, "lag=%lld pairs=%lld chi2=%.4f df=%d p=%.4g\n", l.lag,
                    l.pairs, l.chi2, l.df, l.p);
    else if (std::sscanf(line.c_str(), "independence: lag=%lld chi2=%lf p=%lf lags=%d lag_p=%lf",
                         &l.lag, &l.chi2, &l.p, &l.lags, &l.lag_p) == 5)
      std::snprintf(text, sizeof text,
                    "independence: lag=%lld chi2=%.4f p=%.4g lags=%d lag_p=%.4g\n", l.lag, l.chi2,
                    l.p, l.lags, l.lag_p);
    else
      return {};
    lines.push_back(l);
  }
  return again == out ? lines : std::vector<LagLine>{};
}

// Pairs of the lag in n rolls, counted one roll at a time.
long long pairs_of(long long lag, long long n) {
  long long pairs = 0;
  for (long long i = 0; i + lag < n; ++i) pairs += i % (2 * lag) < lag;
  return pairs;
}

// Rolls of a good generator: std::mt19937_64 with its default seed, each
// draw below the largest multiple of 36 taken modulo 36, the others drawn
// again. When `repeat` is set each roll but the first is, on a coin flip,
// the one before instead: dice that stick.
std::string good_log(size_t rolls = 1000000, bool repeat = false) {
  std::mt19937_64 draw;
  const uint64_t kLimit = UINT64_MAX - UINT64_MAX % 36;
  std::string log;
  while (log.size() < 3 * rolls) {
    if (repeat && !log.empty() && draw() % 2 == 0) {
      log += log.substr(log.size() - 3);
      continue;
    }
    uint64_t u = draw();
    if (u >= kLimit) continue;
    log += {static_cast<char>('1' + u % 36 / 6), static_cast<char>('1' + u % 6), ' '};
  }
  return log;
}

// The picture's height, and the lowest point of what it draws outside a
// translated group: the largest baseline, or foot of a rectangle.
std::pair<int, int> height_and_lowest(const std::string &svg) {
  auto number_after = [&](size_t at) { return std::atoi(svg.c_str() + at); };
  const std::string kY = " y=\"", kHeight = " height=\"";
  int lowest = 0;
  for (size_t at = svg.find(kY); at != std::string::npos; at = svg.find(kY, at + 1)) {
    size_t height = svg.find(kHeight, at);
    int foot = number_after(at + kY.size());
    if (height < svg.find('>', at)) foot += number_after(height + kHeight.size());
    lowest = std::max(lowest, foot);
  }
  return {number_after(svg.find(kHeight) + kHeight.size()), lowest};
}

TEST(ChartCommand, IndependenceOfRollLogs) {
  // The program's own run of 131,072 rolls with seed 42, its report and
  // roll log side by side, and the good generator's log.
  Scratch logs;
  std::string own_log;
  run_shell("mkdir " + shell_quote(logs.path("own")));
  write_file(logs.path("own/statfile.txt"), dicestat_report("131072\n42\n", &own_log));
  write_file(logs.path("own/dicefile.txt"), own_log);
  write_file(logs.path("good.txt"), good_log());
  struct Case {
    std::string log;
    long long rolls;
    long long verdict_lag; // the lag of the smallest p
    bool related;          // p below 10^-9, else at least 0.05
  };
  for (const Case &c : {Case{logs.path("good.txt"), 1000000, 1, false},
                        Case{logs.path("own/dicefile.txt"), 131072, 65536, true},
                        Case{logs.path("own/statfile.txt"), 131072, 65536, true}}) { // replayed
    std::string out = run_chart("--independence " + shell_quote(c.log)).out;
    EXPECT_EQ(count_of(out, "p=0 ") + count_of(out, "p=0\n"), 0u) << "p<1e-300 in their place";
    std::vector<LagLine> lines = independence_lines(out);
    ASSERT_GE(lines.size(), 2u) << c.log;
    LagLine verdict = lines.back();
    lines.pop_back();
    double smallest = 1;
    for (size_t k = 0; k < lines.size(); ++k) {
      EXPECT_EQ(lines[k].lag, 1LL << k);
      EXPECT_EQ(lines[k].pairs, pairs_of(lines[k].lag, c.rolls)) << "lag " << lines[k].lag;
      smallest = std::min(smallest, lines[k].p);
    }
    EXPECT_LT(pairs_of(2 * lines.back().lag, c.rolls), 6480) << "the next lag is not tested";
    EXPECT_NEAR(verdict.p, smallest * lines.size(), 1e-3 * smallest) << "times the lags tested";
    EXPECT_EQ(verdict.lags, static_cast<int>(lines.size()));
    EXPECT_EQ(verdict.lag_p, smallest) << "the lag's own p beside the adjusted one";
    EXPECT_TRUE(c.related ? verdict.p < 1e-9 : verdict.p >= 0.05) << c.log << ": " << verdict.p;
    EXPECT_EQ(verdict.lag, c.verdict_lag) << c.log;
  }

  // In words: the report's own log beside it or given with --log, or the
  // report alone, replayed.
  for (std::string args : {shell_quote(logs.path("own/statfile.txt")),
                           "--log " + shell_quote(logs.path("own/dicefile.txt")) + " - <" +
                               shell_quote(logs.path("own/statfile.txt")),
                           "- <" + shell_quote(logs.path("own/statfile.txt"))})
    EXPECT_NE(run_chart(args).out.find(
                  ">Not independent: rolls 65,536 apart are related (p below 10\u207b\u2079)<"),
              std::string::npos)
        << args;
  // Its picture: a bar per lag, 1 to 65536, the map's cells, and all of it
  // within the page, which grows with what it holds.
  std::string own = run_chart(shell_quote(logs.path("own/statfile.txt"))).out;
  EXPECT_EQ(count_of(own, " data-lag=\""), 17u);
  EXPECT_EQ(count_of(own, " data-residual=\""), 1296u);
  // The e-values over the rolls: 500 points or fewer each, and the marks
  // where independence reached 20 and 1,000.
  EXPECT_LE(count_of(own, " data-rolls=\""), 2u * 500);
  EXPECT_EQ(count_of(own, "data-test=\"independence\" data-reached=\""), 2u);
  auto [height, lowest] = height_and_lowest(own);
  EXPECT_LE(lowest, height);
  std::string good = run_chart(shell_quote(logs.path("good.txt"))).out;
  EXPECT_NE(good.find(">Consistent with independent rolls (lags 1 to 524,288, p = "),
            std::string::npos);
  EXPECT_NE(
      run_chart("").out.find(">The roll log is this run&apos;s log, cut short after 10 rolls<"),
      std::string::npos)
      << "dicefile.txt beside it holds the first 10 of the report's 36 rolls";
  EXPECT_EQ(run_chart("--independence").out,
            "anytime: e=2.873e-07 p=1\n"
            "independence: not tested: 10 rolls; 72 would give lag 1 its 36 pairs\n")
      << "10 rolls: no lag has pairs enough";
}

TEST(ChartCommand, ALogBesideAReportMustBeItsOwn) {
  // Reports and logs of 1000 rolls with seeds 1 and 2: the same size, and
  // counts that differ first at outcome 11, 26 times against 23.
  Scratch runs;
  std::string log_1, log_2;
  write_file(runs.path("statfile.txt"), dicestat_report("1000\n1\n", &log_1));
  dicestat_report("1000\n2\n", &log_2);
  write_file(runs.path("dicefile.txt"), log_2);
  write_file(runs.path("own.txt"), log_1);
  std::string report = shell_quote(runs.path("statfile.txt"));
  Outcome beside = run_chart(report);
  EXPECT_EQ(beside.status, 0);
  EXPECT_NE(beside.out.find(">The roll log beside it is another run&apos;s, left out<"),
            std::string::npos);
  Outcome named = run_chart("--log " + shell_quote(runs.path("dicefile.txt")) + " " + report);
  EXPECT_EQ(named.status, 2);
  EXPECT_NE(named.err.find("dicefile.txt: another run's roll log: roll 1 is 23, dicestat's run of "
                           "seed 1 rolled 53\n"),
            std::string::npos)
      << named.err;
  Outcome own =
      run_chart("--samples 1000 --log=" + shell_quote(runs.path("own.txt")) + " " + report);
  EXPECT_NE(own.out.find(">Consistent with independent rolls ("), std::string::npos) << own.err;
}

TEST(ChartCommand, ListsOfRollsAreReadAsTheirRolls) {
  // The typed list, with every separator and a comment, and the same rolls
  // as dicestat writes them give the same picture but for its title.
  auto without_title = [](std::string svg) {
    size_t at = svg.find("<title>dicestat report");
    return svg.erase(at, svg.find('\n', at) - at);
  };
  Outcome typed = run_chart("typed.txt");
  EXPECT_EQ(typed.status, 0) << typed.err;
  EXPECT_NE(typed.out.find(">Roll log: 7 rolls<"), std::string::npos);
  EXPECT_EQ(without_title(typed.out), without_title(run_chart("plain.txt").out));
  // Two rolls: (1/36^2 + 26/(36 * 38)) / 27 over the likelihood 1/4.
  EXPECT_EQ(run_chart("--independence lines.txt").out,
            "anytime: e=0.00293 p=1\n"
            "independence: not tested: 2 rolls; 72 would give lag 1 its 36 pairs\n");
  // A log in dicestat's form that turns into a list after its first piece.
  Scratch logs;
  std::string log = good_log(70000);
  write_file(logs.path("joined.txt"), log + "\n11 # and one more\n");
  write_file(logs.path("plain.txt"), log + "11 ");
  // The same rolls, but only the bytes dicestat writes are its generator's.
  std::string joined = run_chart("--summary " + shell_quote(logs.path("joined.txt"))).out;
  std::string plain = run_chart("--summary " + shell_quote(logs.path("plain.txt"))).out;
  auto fair_line = [](const std::string &out) {
    return out.substr(out.find("fair:"), out.find('\n', out.find("fair:")) - out.find("fair:"));
  };
  EXPECT_EQ(fair_line(joined), fair_line(plain));
  EXPECT_EQ(count_of(joined, "generator:"), 0u) << joined;
  EXPECT_EQ(count_of(plain, "generator:"), 1u) << plain;

  // The grid of a run's roll log is its report's, to the last digit and colour.
  for (const char *answers : {"36\n1\n", "1000\n7\n", "99999\n3\n"}) {
    Scratch run;
    std::string log;
    write_file(run.path("statfile.txt"), dicestat_report(answers, &log));
    write_file(run.path("dicefile.txt"), log);
    auto grid = [&](const char *file) {
      std::string svg = run_chart("--samples 1000 " + shell_quote(run.path(file))).out;
      size_t from = svg.find("<g>"), to = svg.find("<g id=\"caption\">");
      return from < to && to != std::string::npos ? svg.substr(from, to - from) : "no grid";
    };
    EXPECT_EQ(grid("dicefile.txt"), grid("statfile.txt")) << answers;
  }
}

TEST(ChartCommand, FewRollsGetSimulatedPValues) {
  // 1000 rolls of dice that stick, and 1000 good ones, each test of
  // independence run twice (2000 permutations: p from 1/2001); and the fit
  // of the typed list's 7 rolls.
  Scratch lists;
  write_file(lists.path("sticky.txt"), good_log(1000, true));
  write_file(lists.path("good.txt"), good_log(1000));
  for (const char *list : {"sticky.txt", "good.txt"}) {
    std::string args = "--samples 2000 --independence " + shell_quote(lists.path(list));
    std::string out = run_chart(args).out;
    EXPECT_EQ(out, run_chart(args).out) << list << ": the same p on every run";
    EXPECT_EQ(count_of(out, " (Monte Carlo, 2000 permutations)\n"), count_of(out, "\n") - 1)
        << out << ": all but the anytime line";
    double p = std::strtod(out.c_str() + out.rfind(" p=") + 3, nullptr);
    // Rejected at the level of "Not independent", or not.
    EXPECT_EQ(p < 0.001, list[0] == 's') << list << ": " << out;
  }
  std::string summary = run_chart("--summary typed.txt").out;
  // Of all 36 outcomes, of each die's faces and of the power.
  EXPECT_EQ(count_of(summary, " (Monte Carlo, 10000 samples)\n"), 4u) << summary;
  EXPECT_EQ(count_of(run_chart("--summary --samples 1001 typed.txt").out, " 1001 samples)"), 4u);
}

// The chart run with --follow and these arguments, its standard input and
// output on pipes.
struct Following {
  pid_t pid;
  int in, out;
};

Following start_follow(const std::string &file) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return {-1, -1, -1};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0), dup2(out[1], 1);
    close(in[1]), close(out[0]);
    execl(CHART_BINARY, CHART_BINARY, "--follow", file.c_str(), static_cast<char *>(nullptr));
    _exit(127);
  }
  close(in[0]), close(out[1]);
  return {pid, in[1], out[0]};
}

// What it writes until `lines` lines have come, or 10 seconds have passed.
std::string answer(const Following &f, size_t lines) {
  std::string text;
  char buf[4096];
  while (count_of(text, "\n") < lines) {
    pollfd one = {f.out, POLLIN, 0};
    if (poll(&one, 1, 10000) <= 0) break;
    ssize_t n = read(f.out, buf, sizeof buf);
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  return text;
}

TEST(ChartCommand, FollowAnswersEachLineAsItComes) {
  // Each line is written only once the one before has been answered; the
  // e-values are scipy's for 3, 4 and 6 rolls of outcome 11.
  const std::string kValid = ", valid however often you looked\n";
  const std::string kSix = "rolls=6 fit: e=1234 p=0.0008106 independence: e=2.003e-06 p=1\n";
  struct Step {
    const char *line; // written to it; null: the end of input, or Ctrl-C
    std::string answer;
  };
  const std::vector<Step> steps = {
      {"11 11 11\n", "rolls=3 fit: e=4.538 p=0.2203 independence: e=0.0002583 p=1\n"},
      {"11\n", "rolls=4 fit: e=21.68 p=0.04612 independence: e=4.276e-05 p=1\nafter 4 rolls: "
               "doubtful as fair dice at the 0.05 level" +
                   kValid},
      {"# a comment, then two rolls\n11 11\n",
       "rolls=4 fit: e=21.68 p=0.04612 independence: e=4.276e-05 p=1\n" + kSix +
           "after 6 rolls: not fair dice at the 0.001 level" + kValid},
      {nullptr, kSix + "fit: after 6 rolls: not fair dice at the 0.001 level" + kValid +
                    "independence: consistent with independent rolls after 6 rolls" + kValid},
  };
  Scratch scratch;
  std::string grows = scratch.path("grows.txt");
  for (bool from_file : {false, true}) {
    write_file(grows, "");
    Following f = start_follow(from_file ? grows : "-");
    ASSERT_GT(f.pid, 0);
    for (const Step &step : steps) {
      if (step.line == nullptr && from_file)
        kill(f.pid, SIGINT); // a file that grows has no end
      else if (step.line == nullptr)
        close(f.in);
      else if (from_file)
        run_shell("printf '%s' " + shell_quote(step.line) + " >>" + shell_quote(grows));
      else
        EXPECT_GT(write(f.in, step.line, std::strlen(step.line)), 0);
      EXPECT_EQ(answer(f, count_of(step.answer, "\n")), step.answer)
          << (from_file ? "file" : "pipe") << ", after " << (step.line ? step.line : "the end");
    }
    int status = 0;
    waitpid(f.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    if (from_file) close(f.in);
    close(f.out);
  }
}

#endif // _WIN32

} // namespace
