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

#include "chart/host_io.h"
#include "chart/options.h"
#include "chart/picture/svg.h"
#include "chart/read/replay.h"
#include "chart/read/report_from_counts.h"
#include "chart/read/report_parse.h"
#include "chart/read/roll_log.h"
#include "chart/read/run_log.h"
#include "chart/stats/fit.h"
#include "chart/stats/independence.h"
#include "chart/stats/power.h"
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

std::string summary(const Options &options, const Report &report) {
  return fit_summary(fit_report(report, options.mc)) +
         power_summary(power_for(report.total_count, options.mc));
}

int picture(const Options &options, const std::string &name, const Report &report,
            Findings &findings) {
  findings.fit = fit_report(report, options.mc);
  findings.power = power_for(report.total_count, options.mc);
  return write_out(render_svg(report, name, findings));
}

// A report is held to its run, replayed from its seed; the rolls tested
// for independence are the replay's.
int report_command(const Options &options, const char *path, const Opened &in,
                   std::string_view bytes) {
  if (bytes.size() > kMaxInputBytes)
    return fail(in.name, "larger than " + std::to_string(kMaxInputBytes) + " bytes; not a report");
  ParseResult parsed = parse_report(bytes);
  if (!parsed.ok) return fail(in.name, parsed.error);
  const Report &report = parsed.report;
  std::string difference = replay_difference(report, replay_counts(report));
  if (!difference.empty()) return fail(in.name, difference);
  Provenance provenance{run_seed(report), run_rolls(report), {}};
  if (options.mode == Mode::kSummary)
    return write_out(summary(options, report) + replay_summary(provenance));
  if (options.mode == Mode::kPicture) {
    int status = check_report_log(options, path, report, &provenance.log);
    if (status != kExitOk) return status;
  }
  PairCounts pairs = make_pair_counts();
  replay_pairs(report, &pairs);
  Independence independence = independence_of(pairs, provenance.rolls, options.mc);
  if (options.mode == Mode::kIndependence) return write_out(independence_summary(independence));
  Findings findings;
  findings.independence = &independence;
  findings.provenance = &provenance;
  return picture(options, in.name, report, findings);
}

int rolls_command(const Options &options, const Opened &in, const std::string &head) {
  if (options.log_path != nullptr) return usage_error("--log goes with a report, not with rolls");
  PairCounts pairs = make_pair_counts();
  bool tested = options.mode != Mode::kSummary;
  LogRead log = read_roll_log({in.file, head}, tested ? &pairs : nullptr);
  if (!log.ok) return fail(in.name, log.error, log.where);
  if (log.rolls == 0) return fail(in.name, "no rolls in it");
  Independence independence;
  if (tested) independence = independence_of(pairs, log.rolls, options.mc);
  if (options.mode == Mode::kIndependence) return write_out(independence_summary(independence));
  int32_t tallies[kOutcomes];
  for (int i = 0; i < kOutcomes; ++i) tallies[i] = static_cast<int32_t>(log.counts[i]);
  Report report = report_from_counts(tallies, static_cast<int32_t>(log.rolls));
  report.from_rolls = true;
  if (options.mode == Mode::kSummary) return write_out(summary(options, report));
  Findings findings;
  findings.independence = &independence;
  return picture(options, in.name, report, findings);
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
  return input_command(options);
}
