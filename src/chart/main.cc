// dicestat-chart: reads a statistics report, or a list of rolls, and writes
// it as an SVG picture to standard output; with --summary its tests of fit
// and their power as lines of text; with --independence its test of
// independence alone. A report is held to its run, drawn again from its
// seed.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "chart/dice.h"
#include "chart/follow.h"
#include "chart/host_io.h"
#include "chart/options.h"
#include "chart/picture/svg.h"
#include "chart/read/replay.h"
#include "chart/read/report_from_counts.h"
#include "chart/read/report_parse.h"
#include "chart/read/roll_log.h"
#include "chart/read/run_log.h"
#include "chart/stats/anytime_fit.h"
#include "chart/stats/anytime_independence.h"
#include "chart/stats/independence.h"
#include "chart/words/anytime_words.h"
#include "chart/words/replay_words.h"
#include "chart/words/shown_name.h"
#include "chart/words/verdict.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 2;

// A report is about 1.3 KB; reading stops well past that, so a huge or
// endless input is turned away without being held in memory.
constexpr size_t kMaxInputBytes = 64 * 1024;

constexpr const char *kDefaultPath = "statfile.txt";
constexpr const char *kDefaultLog = "dicefile.txt";
// How a report begins, and a list of rolls never does; an editor may put a
// byte-order mark before it.
constexpr std::string_view kReportStart = "Number of rolls:";
constexpr std::string_view kByteOrderMark = "\xef\xbb\xbf";

// One line on standard error: the name, shown safely, and what is wrong;
// for a list, the line and column of its bad token after the name, as a
// compiler gives them.
int fail(std::string_view name, std::string_view what, std::string_view where = "") {
  std::string line = "dicestat-chart: " + shown_name(name) + (where.empty() ? "" : ":") +
                     std::string(where) + ": " + std::string(what) + "\n";
  std::fputs(line.c_str(), stderr);
  return kExitFailure;
}

// A log that could not be read: the system's reason, or its bad token.
int fail_log(const std::string &name, const LogRead &log) {
  return fail(name, log.error, log.where);
}

int usage_error(std::string_view what) {
  std::fprintf(stderr, "dicestat-chart: %.*s\n%s", static_cast<int>(what.size()), what.data(),
               kUsage);
  return kExitFailure;
}

struct Input {
  bool ok = false;   // read without an error
  std::string bytes; // the first bytes, at most kMaxInputBytes + 1
  std::string error; // the system's reason when !ok
};

Input read_head(std::FILE *file) {
  Input in;
  in.bytes.resize(kMaxInputBytes + 1);
  in.bytes.resize(std::fread(in.bytes.data(), 1, in.bytes.size(), file));
  in.ok = !std::ferror(file);
  if (!in.ok) in.error = std::strerror(errno);
  return in;
}

bool is_report(std::string_view head) {
  if (head.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    head.remove_prefix(kByteOrderMark.size());
  return head.substr(0, kReportStart.size()) == kReportStart;
}

// The file at path, or standard input for "-"; name is what messages call it.
struct Opened {
  std::FILE *file;
  std::string name;
};

Opened open_input(const char *path) {
  if (std::strcmp(path, "-") == 0) return {stdin, "standard input"};
  return {std::fopen(path, "rb"), path};
}

void close_input(const Opened &in) {
  if (in.file != stdin) std::fclose(in.file);
}

int write_out(const std::string &out) {
  errno = 0;
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
    return fail("standard output", errno != 0 ? std::strerror(errno) : "write failed");
  return kExitOk;
}

// The roll log dicestat writes beside the report at report_path; empty
// when there is none.
std::string log_beside(const char *report_path) {
  if (std::strcmp(report_path, "-") == 0) return "";
  // The report's directory, whichever separator the system uses.
  std::filesystem::path path = std::filesystem::path(report_path).replace_filename(kDefaultLog);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) ? path.string() : "";
}

// Each outcome's chance with fair dice, for the e-processes.
const std::vector<double> &fair_chances() {
  static const std::vector<double> fair(kOutcomes, 1.0 / kOutcomes);
  return fair;
}

// Both e-processes over the rolls in order, into `run` and findings.
struct AnytimeRun {
  Anytime fit, order;
};

void test_as_rolled(const PairCounts &counts, AnytimeRun &run, Findings &findings) {
  int64_t n = static_cast<int64_t>(counts.outcomes.size());
  run.fit = anytime_fit_of_rolls(counts.outcomes.data(), n, fair_chances());
  run.order = anytime_independence_of(counts.outcomes.data(), n, kOutcomes);
  findings.anytime_fit = &run.fit;
  findings.anytime_order = &run.order;
}

// Each roll of a list into the e-process of fit, as it is read.
bool take_fit_rolls(void *state, const uint8_t *outcomes, size_t n) {
  auto *process = static_cast<FitProcess *>(state);
  for (size_t i = 0; i < n; ++i) add_fit_roll(*process, outcomes[i]);
  return true;
}

// The report's roll log, named or beside it, held to the replayed run into
// *match. A log that cannot be read, or a named log that is another run's,
// is an error; one beside the report that is another run's is left out,
// and the caption says so.
int check_report_log(const Options &options, const char *report_path, const Report &report,
                     LogMatch *match) {
  bool named = options.log_path != nullptr;
  std::string path = named ? options.log_path : log_beside(report_path);
  if (path.empty()) return kExitOk;
  Opened in = open_input(path.c_str());
  if (in.file == nullptr) return fail(in.name, std::strerror(errno));
  *match = match_run_log({in.file, {}}, report);
  close_input(in);
  if (!match->ok) return fail(in.name, match->error, match->where);
  if (named && match->kin == LogKin::kOther) return fail(in.name, match->difference);
  return kExitOk;
}

// The summary's lines, and any after them; findings.anytime_fit is the
// e-process of fit, of the rolls in order or of the counts alone.
int write_summary(const Findings &findings, const std::string &after = "") {
  return write_out(fit_summary(findings.fair, findings.generator) + power_summary(findings.power) +
                   anytime_summary(*findings.anytime_fit) + after);
}

// The report dicestat writes for a list's rolls, whose number fits the
// report's fields: the grid shows its lines.
Report report_of_rolls(const Counts &counts, int64_t rolls) {
  Report report = report_from_counts(counts, static_cast<int32_t>(rolls));
  report.from_rolls = true;
  return report;
}

// The lines of --independence, the e-process's before the verdict's.
int write_independence(const PairCounts &pairs, int64_t rolls, const MonteCarlo &mc) {
  Anytime order = anytime_independence_of(pairs.outcomes.data(),
                                          static_cast<int64_t>(pairs.outcomes.size()), kOutcomes);
  return write_out(before_last_line(independence_summary(independence_of(pairs, rolls, mc)),
                                    anytime_summary(order)));
}

// A report is held to its run, replayed from its seed; the rolls tested
// for independence are the replay's.
int report_command(const Options &options, const char *path, const Opened &in,
                   const std::string &bytes) {
  if (bytes.size() > kMaxInputBytes)
    return fail(in.name, "larger than " + std::to_string(kMaxInputBytes) + " bytes; not a report");
  ParseResult parsed = parse_report(bytes);
  if (!parsed.ok) return fail(in.name, parsed.error);
  const Report &report = parsed.report;
  std::string difference = replay_difference(report, replay_counts(report));
  if (!difference.empty()) return fail(in.name, difference);
  Provenance provenance{run_seed(report), run_rolls(report), {}};
  Counts counts = counts_of(report);
  if (options.mode == Mode::kSummary) {
    Findings findings = test_fit(counts, options.mc);
    Anytime from_counts = anytime_fit_of_counts(counts, fair_chances());
    findings.anytime_fit = &from_counts;
    return write_summary(findings, replay_summary(provenance));
  }
  if (options.mode == Mode::kPicture) {
    int status = check_report_log(options, path, report, &provenance.log);
    if (status != kExitOk) return status;
  }
  PairCounts pairs = make_pair_counts(kOutcomes);
  replay_pairs(report, &pairs);
  if (options.mode == Mode::kIndependence)
    return write_independence(pairs, provenance.rolls, options.mc);
  Findings findings = test_fit(counts, options.mc);
  Independence independence = independence_of(pairs, provenance.rolls, options.mc);
  findings.independence = &independence;
  findings.provenance = &provenance;
  AnytimeRun run;
  test_as_rolled(pairs, run, findings);
  return write_out(render_svg(report, in.name, findings));
}

int rolls_command(const Options &options, const Opened &in, const std::string &head) {
  if (options.log_path != nullptr) return usage_error("--log goes with a report, not with rolls");
  PairCounts pairs = make_pair_counts(kOutcomes);
  bool summary = options.mode == Mode::kSummary;
  // In order: the picture tests the rolls it keeps, the summary each roll as it is read.
  FitProcess fit = start_fit_process(fair_chances());
  RollSink sink = {summary ? take_fit_rolls : nullptr, &fit};
  LogRead log = read_roll_log({in.file, head, sink}, summary ? nullptr : &pairs);
  if (!log.ok) return fail_log(in.name, log);
  if (log.rolls == 0) return fail(in.name, "no rolls in it");
  if (options.mode == Mode::kIndependence) return write_independence(pairs, log.rolls, options.mc);
  Findings findings = test_fit(log.counts, options.mc);
  findings.anytime_fit = &fit.found;
  if (summary) return write_summary(findings);
  Independence independence = independence_of(pairs, log.rolls, options.mc);
  findings.independence = &independence;
  AnytimeRun run;
  test_as_rolled(pairs, run, findings);
  return write_out(render_svg(report_of_rolls(log.counts, log.rolls), in.name, findings));
}

// Any mode's input, a report or a list of rolls, told apart by how they
// begin.
int input_command(const Options &options) {
  bool log_first = options.mode == Mode::kIndependence;
  const char *path = options.path != nullptr ? options.path
                     : log_first             ? kDefaultLog
                                             : kDefaultPath;
  Opened in = open_input(path);
  if (in.file == nullptr) return fail(in.name, std::strerror(errno));
  Input head = read_head(in.file);
  int status;
  if (!head.ok)
    status = fail(in.name, head.error);
  else if (head.bytes.empty())
    status = fail(in.name, "empty file");
  else if (is_report(head.bytes))
    status = report_command(options, path, in, head.bytes);
  else
    status = rolls_command(options, in, head.bytes);
  close_input(in);
  return status;
}

} // namespace

int main(int argc, char **argv) {
  use_binary_stdio();
  Options options = parse_options(argc, argv);
  if (!options.error.empty()) return usage_error(options.error);
  if (options.help) return write_out(kUsage);
  if (options.version) return write_out("dicestat-chart " DICESTAT_VERSION "\n");
  if (options.mode == Mode::kFollow) return follow_rolls(options);
  return input_command(options);
}
