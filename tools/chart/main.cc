// dicestat-chart: reads a statistics report and writes it as an SVG picture
// to standard output, or with --summary the report's two tests of fit as two
// lines of text; with --independence it tests a roll log instead.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "fit.h"
#include "host_io.h"
#include "independence.h"
#include "report_parse.h"
#include "roll_log.h"
#include "svg.h"
#include "verdict.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 2;

// A report is about 1.3 KB; reading stops well past that, so a huge or
// endless input is turned away without being held in memory.
constexpr size_t kMaxInputBytes = 64 * 1024;

constexpr const char *kDefaultPath = "statfile.txt";
constexpr const char *kDefaultLog = "dicefile.txt";
constexpr const char *kUsage = "usage: dicestat-chart [--log LOG] [FILE | -] > chart.svg\n"
                               "       dicestat-chart --summary [FILE | -]\n"
                               "       dicestat-chart --independence [LOG | -]\n";

enum class Mode { kPicture, kSummary, kIndependence };

int fail(std::string_view where, std::string_view what) {
  std::fprintf(stderr, "dicestat-chart: %.*s: %.*s\n", static_cast<int>(where.size()), where.data(),
               static_cast<int>(what.size()), what.data());
  return kExitFailure;
}

struct Input {
  bool ok = false;   // read to its end
  std::string bytes; // what was read, at most kMaxInputBytes + 1
  std::string error; // the reason when !ok
};

Input read_all(std::FILE *file) {
  Input in;
  char buf[4096];
  while (in.bytes.size() <= kMaxInputBytes) {
    size_t n = std::fread(buf, 1, sizeof buf, file);
    in.bytes.append(buf, n);
    if (n < sizeof buf) break;
  }
  if (std::ferror(file)) {
    in.error = std::strerror(errno);
  } else if (in.bytes.size() > kMaxInputBytes) {
    in.error = "larger than " + std::to_string(kMaxInputBytes) + " bytes; not a report";
  } else {
    in.ok = true;
  }
  return in;
}

int usage_error(std::string_view what) {
  std::fprintf(stderr, "dicestat-chart: %.*s\n%s", static_cast<int>(what.size()), what.data(),
               kUsage);
  return kExitFailure;
}

// The file at path, or standard input for "-"; *name is what messages call it.
std::FILE *open_input(const char *path, const char **name) {
  bool from_stdin = std::strcmp(path, "-") == 0;
  *name = from_stdin ? "standard input" : path;
  return from_stdin ? stdin : std::fopen(path, "rb");
}

void close_input(std::FILE *file) {
  if (file != stdin) std::fclose(file);
}

// Reads the roll log at path and tests it; on failure says why.
int test_log(const char *path, Independence &result) {
  const char *name;
  std::FILE *file = open_input(path, &name);
  if (file == nullptr) return fail(name, std::strerror(errno));
  PairCounts counts = make_pair_counts();
  LogRead log = read_roll_log(file, counts);
  close_input(file);
  if (!log.ok) return fail(name, log.error);
  result = test_independence(counts, log.rolls);
  return kExitOk;
}

// The roll log that dicestat wrote beside the report at report_path, when
// it holds exactly `rolls` rolls; empty when there is none.
std::string log_beside(const char *report_path, int64_t rolls) {
  if (std::strcmp(report_path, "-") == 0) return "";
  std::string path = report_path;
  path = path.substr(0, path.find_last_of(kPathSeparators) + 1) + kDefaultLog;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return "";
  auto size = std::filesystem::file_size(path, error);
  if (error || size != static_cast<uintmax_t>(rolls * kLogEntryBytes)) return "";
  return path;
}

int write_out(const std::string &out) {
  errno = 0;
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
    return fail("standard output", errno != 0 ? std::strerror(errno) : "write failed");
  return kExitOk;
}

int independence_command(const char *path) {
  Independence result;
  int status = test_log(path == nullptr ? kDefaultLog : path, result);
  return status == kExitOk ? write_out(independence_summary(result)) : status;
}

int report_command(const char *path, Mode mode, const char *log_path) {
  if (path == nullptr) path = kDefaultPath;
  const char *name;
  std::FILE *file = open_input(path, &name);
  if (file == nullptr) return fail(name, std::strerror(errno));
  Input in = read_all(file);
  close_input(file);
  if (!in.ok) return fail(name, in.error);

  ParseResult parsed = parse_report(in.bytes);
  if (!parsed.ok) return fail(name, parsed.error);
  const Report &report = parsed.report;
  if (mode == Mode::kSummary) return write_out(fit_summary(fit_report(report)));

  std::string beside;
  if (log_path == nullptr) {
    beside = log_beside(path, report.total_count);
    if (!beside.empty()) log_path = beside.c_str();
  }
  Independence independence;
  if (log_path != nullptr) {
    if (int status = test_log(log_path, independence); status != kExitOk) return status;
    if (independence.rolls != report.total_count)
      return fail(log_path, "holds " + std::to_string(independence.rolls) +
                                " rolls, not the report's " + std::to_string(report.total_count));
  }
  return write_out(render_svg(report, name, log_path != nullptr ? &independence : nullptr));
}

} // namespace

int main(int argc, char **argv) {
  use_binary_stdio();
  const char *path = nullptr;
  const char *log_path = nullptr;
  Mode mode = Mode::kPicture;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (!options_done && (arg == "-h" || arg == "--help")) {
      std::fputs(kUsage, stdout);
      return kExitOk;
    }
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && (arg == "--summary" || arg == "--independence")) {
      Mode chosen = arg == "--summary" ? Mode::kSummary : Mode::kIndependence;
      if (mode != Mode::kPicture && mode != chosen)
        return usage_error("--summary and --independence exclude each other");
      mode = chosen;
    } else if (!options_done && arg == "--log") {
      if (++i == argc) return usage_error("--log wants a file");
      log_path = argv[i];
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      return usage_error("unknown option " + std::string(arg));
    } else if (path != nullptr) {
      return usage_error("more than one file");
    } else {
      path = argv[i];
    }
  }
  if (log_path != nullptr && mode != Mode::kPicture)
    return usage_error("--log goes with the picture only");
  return mode == Mode::kIndependence ? independence_command(path)
                                     : report_command(path, mode, log_path);
}
