// dicestat-chart: reads a statistics report, or rolls of any dice (a list,
// CSV columns or tallies), and writes them as an SVG picture to a file or
// standard output; with --summary its tests of fit and their power as
// lines of text; with --independence it tests the order of the rolls alone.
// A report is held to its run, drawn again from its seed.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>

#include "chart/dice.h"
#include "chart/dice_run.h"
#include "chart/follow.h"
#include "chart/host_io.h"
#include "chart/options.h"
#include "chart/picture/svg.h"
#include "chart/read/dice_read.h"
#include "chart/read/replay.h"
#include "chart/read/report_from_counts.h"
#include "chart/read/report_parse.h"
#include "chart/read/roll_log.h"
#include "chart/read/run_log.h"
#include "chart/read_words.h"
#include "chart/stats/any_dice.h"
#include "chart/stats/anytime_fit.h"
#include "chart/stats/anytime_independence.h"
#include "chart/stats/independence.h"
#include "chart/words/anytime_words.h"
#include "chart/words/dice_words.h"
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
// for rolls, the line and column of what is wrong after the name, as a
// compiler gives them.
int fail(std::string_view name, std::string_view what, std::string_view where = "") {
  std::string line = "dicestat-chart: " + shown_name(name) + (where.empty() ? "" : ":") +
                     std::string(where) + ": " + std::string(what) + "\n";
  std::fputs(line.c_str(), stderr);
  return kExitFailure;
}

// Rolls that could not be read: the system's reason, or where they went wrong.
int fail_read(const std::string &name, const RollsRead &read) {
  return fail(name, read.error, read.where);
}

bool is_report(std::string_view head) {
  if (head.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    head.remove_prefix(kByteOrderMark.size());
  return head.substr(0, kReportStart.size()) == kReportStart;
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

// The output goes to --output's file, made only now that there is
// something to write, or to standard output.
int write_out(const Options &options, const std::string &out) {
  bool to_file = options.output != nullptr;
  const char *name = to_file ? options.output : "standard output";
  std::FILE *file = to_file ? std::fopen(options.output, "wb") : stdout;
  if (file == nullptr) return fail(name, std::strerror(errno));
  errno = 0;
  bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size() && std::fflush(file) == 0;
  if (to_file) ok = std::fclose(file) == 0 && ok;
  if (!ok) return fail(name, errno != 0 ? std::strerror(errno) : "write failed");
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

// The lines of --independence of rolls of dicestat's pair, the
// e-process's before the verdict's.
std::string pair_independence(const PairCounts &pairs, int64_t rolls, const MonteCarlo &mc) {
  Anytime order = anytime_independence_of(pairs.outcomes.data(),
                                          static_cast<int64_t>(pairs.outcomes.size()), kOutcomes);
  return before_last_line(independence_summary(independence_of(pairs, rolls, mc)),
                          anytime_summary(order));
}

// The summary of dicestat's own files: the lines it has always had, then
// what is read and the tests of any dice. findings.anytime_fit is the
// e-process of fit, of the rolls in order or of the counts alone.
int write_summary(const Options &options, const Findings &findings, const RollsRead &read,
                  Source source, const std::string &after = "") {
  DiceFindings dice = test_dice(read.counts, read.labels, options.mc);
  return write_out(options, fit_summary(findings.fair, findings.generator) +
                                power_summary(findings.power) +
                                anytime_summary(*findings.anytime_fit) + read_line(read, source) +
                                without_detectable(dice_summary(dice)) + after);
}

// The summary of any other rolls: what was read, then the tests in their order.
int write_dice_summary(const Options &options, const RollsRead &read, const Anytime *fit) {
  DiceFindings dice = test_dice(read.counts, read.labels, options.mc);
  std::string out = read_line(read, Source::kRolls) + dice_fair_line(dice) + dice_summary(dice);
  return write_out(options,
                   out + (fit != nullptr ? anytime_summary(*fit) : dice_anytime_summary(read)));
}

// The report dicestat writes for a list's rolls, whose number fits the
// report's fields: the grid shows its lines.
Report report_of_rolls(const Counts &counts, int64_t rolls) {
  Report report = report_from_counts(counts, static_cast<int32_t>(rolls));
  report.from_rolls = true;
  return report;
}

// A report is held to its run, replayed from its seed; the rolls tested
// for independence are the replay's.
int report_command(const Options &options, const char *path, const Opened &in,
                   const std::string &bytes) {
  if (bytes.size() > kMaxInputBytes)
    return fail(in.name, "larger than " + std::to_string(kMaxInputBytes) + " bytes; not a report");
  if (options.dice_named) return usage_error("a report holds dicestat's pair of d6: name no dice");
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
    RollsRead read;
    read.dice = 2;
    read.faces = kFaces;
    read.labels = {"1", "2", "3", "4", "5", "6"};
    read.die = "d6";
    read.rolls = std::max(rolls_in(counts), int64_t{0});
    read.counts = pair_counts_of(counts);
    return write_summary(options, findings, read, Source::kReport, replay_summary(provenance));
  }
  if (options.mode == Mode::kPicture) {
    int status = check_report_log(options, path, report, &provenance.log);
    if (status != kExitOk) return status;
  }
  PairCounts pairs = make_pair_counts(kOutcomes);
  replay_pairs(report, &pairs);
  if (options.mode == Mode::kIndependence)
    return write_out(options, pair_independence(pairs, provenance.rolls, options.mc));
  Findings findings = test_fit(counts, options.mc);
  Independence independence = independence_of(pairs, provenance.rolls, options.mc);
  findings.independence = &independence;
  findings.provenance = &provenance;
  AnytimeRun run;
  test_as_rolled(pairs, run, findings);
  return write_out(options, render_svg(report, in.name, findings));
}

// Labels 11 to 66, a pair of d6 a roll: tested and drawn as they always were.
int pair_labels_command(const Options &options, const Opened &in, RollsRead &read,
                        const FitProcess &fit) {
  if (read.rolls > std::numeric_limits<int32_t>::max())
    return fail(in.name, "more rolls than a report holds, " +
                             std::to_string(std::numeric_limits<int32_t>::max()));
  Findings findings = test_fit(read.counts.combinations, options.mc);
  findings.anytime_fit = &fit.found;
  if (options.mode == Mode::kSummary && read.dicestat_log)
    return write_summary(options, findings, read, Source::kDicestatLog);
  if (options.mode == Mode::kSummary) return write_dice_summary(options, read, &fit.found);
  Counts counts = read.counts.combinations;
  PairCounts pairs = pairs_in_order(std::move(read.order), kOutcomes);
  Independence independence = independence_of(pairs, read.rolls, options.mc);
  findings.independence = &independence;
  AnytimeRun run;
  test_as_rolled(pairs, run, findings);
  return write_out(options, render_svg(report_of_rolls(counts, read.rolls), in.name, findings));
}

// Dice that dicestat's form does not name: their summary or their picture.
int dice_command(const Options &options, const Opened &in, RollsRead &read) {
  if (options.mode == Mode::kSummary) return write_dice_summary(options, read, nullptr);
  return write_out(options, dice_picture(read, options.mc, in.name));
}

int rolls_command(const Options &options, const Opened &in, const std::string &head) {
  if (options.log_path != nullptr) return usage_error("--log goes with a report, not with rolls");
  bool picture = options.mode == Mode::kPicture;
  // In order: the picture tests the rolls it keeps, the summary each roll as it is read.
  FitProcess fit = start_fit_process(fair_chances());
  RollSink sink = {picture ? nullptr : take_fit_rolls, &fit};
  RollsRead read = read_rolls({in.file, head, sink}, options.dice);
  if (!read.ok) return fail_read(in.name, read);
  if (read.rolls == 0) return fail(in.name, "no rolls in it");
  return read.pair_labels ? pair_labels_command(options, in, read, fit)
                          : dice_command(options, in, read);
}

// The picture or the summary of a report or of rolls, told apart by how
// they begin.
int input_command(const Options &options) {
  const char *path = options.path != nullptr ? options.path : kDefaultPath;
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

// A report's run replayed, or rolls in order, tested for independence.
int independence_command(const Options &options) {
  const char *path = options.path != nullptr ? options.path : kDefaultLog;
  Opened in = open_input(path);
  if (in.file == nullptr) return fail(in.name, std::strerror(errno));
  Input head = read_head(in.file);
  if (head.ok && !head.bytes.empty() && is_report(head.bytes)) {
    int status = report_command(options, path, in, head.bytes);
    close_input(in);
    return status;
  }
  RollsRead read = head.ok ? read_rolls({in.file, head.bytes, {}}, options.dice) : RollsRead{};
  close_input(in);
  if (!head.ok) return fail(in.name, head.error);
  if (!read.ok) return fail_read(in.name, read);
  if (read.rolls == 0) return fail(in.name, "no rolls in it");
  if (!read.pair_labels) return write_out(options, dice_independence(read, options.mc));
  PairCounts pairs = pairs_in_order(std::move(read.order), kOutcomes);
  return write_out(options, pair_independence(pairs, read.rolls, options.mc));
}

} // namespace

int main(int argc, char **argv) {
  use_binary_stdio();
  Options options = parse_options(argc, argv);
  if (!options.error.empty()) return usage_error(options.error);
  if (options.help) return write_out(options, kUsage);
  if (options.version) return write_out(options, "dicestat-chart " DICESTAT_VERSION "\n");
  // SVG is a file's text: at a terminal it would scroll by as markup.
  if (options.mode == Mode::kPicture && options.output == nullptr && is_terminal(1))
    return fail("standard output",
                "a terminal; the picture is SVG for a file: add -o chart.svg, or > chart.svg");
  if (options.mode == Mode::kFollow) return follow_rolls(options);
  return options.mode == Mode::kIndependence ? independence_command(options)
                                             : input_command(options);
}
