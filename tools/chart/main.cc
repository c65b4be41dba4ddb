// dicestat-chart: reads a statistics report and writes it as an SVG picture
// to standard output, or with --summary the report's two tests of fit as two
// lines of text.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "fit.h"
#include "report_parse.h"
#include "svg.h"
#include "verdict.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 2;

// A report is about 1.3 KB; reading stops well past that, so a huge or
// endless input is turned away without being held in memory.
constexpr size_t kMaxInputBytes = 64 * 1024;

constexpr const char *kDefaultPath = "statfile.txt";
constexpr const char *kUsage = "usage: dicestat-chart [FILE | -] > chart.svg\n"
                               "       dicestat-chart --summary [FILE | -]\n";

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

} // namespace

int main(int argc, char **argv) {
  const char *path = nullptr;
  bool summary = false;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (!options_done && (arg == "-h" || arg == "--help")) {
      std::fputs(kUsage, stdout);
      return kExitOk;
    }
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg == "--summary") {
      summary = true;
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      return usage_error("unknown option " + std::string(arg));
    } else if (path != nullptr) {
      return usage_error("more than one file");
    } else {
      path = argv[i];
    }
  }
  if (path == nullptr) path = kDefaultPath;

  bool from_stdin = std::strcmp(path, "-") == 0;
  const char *name = from_stdin ? "standard input" : path;
  std::FILE *file = from_stdin ? stdin : std::fopen(path, "rb");
  if (file == nullptr) return fail(name, std::strerror(errno));
  Input in = read_all(file);
  if (!from_stdin) std::fclose(file);
  if (!in.ok) return fail(name, in.error);

  ParseResult parsed = parse_report(in.bytes);
  if (!parsed.ok) return fail(name, parsed.error);

  std::string out =
      summary ? fit_summary(fit_report(parsed.report)) : render_svg(parsed.report, name);
  errno = 0;
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
    return fail("standard output", errno != 0 ? std::strerror(errno) : "write failed");
  return kExitOk;
}
