#include "chart/options.h"

#include <getopt.h>

#include <charconv>
#include <cstdint>
#include <cstring>

#include "chart/stats/levels.h"
#include "chart/words/shown_name.h"

const char kUsage[] = "usage: dicestat-chart [--log LOG] [MONTE CARLO] [FILE | -] > chart.svg\n"
                      "       dicestat-chart --summary [MONTE CARLO] [FILE | -]\n"
                      "       dicestat-chart --independence [MONTE CARLO] [LOG | -]\n"
                      "       dicestat-chart --follow [LOG | -]\n"
                      "       dicestat-chart --help | --version\n"
                      "FILE is a statistics report or a list of rolls (statfile.txt by default),\n"
                      "LOG a list of rolls (dicefile.txt by default). MONTE CARLO, for p-values\n"
                      "simulated where there are few rolls:\n"
                      "  --samples N   samples or permutations per test, 1000 to 1000000 (10000)\n"
                      "  --mc-seed N   seed of their random numbers (1)\n";

namespace {

// The fewest samples --samples takes: with B samples no simulated p,
// (1 + c) / (B + 1), falls below 1 / (B + 1), so with fewer than
// kRejectOdds none could say "not fair" or "not independent".
constexpr int64_t kMinSamples = kRejectOdds;
// The most: the permutation test keeps each permutation's statistics, about
// 100 MiB at this many, and takes minutes.
constexpr int64_t kMaxSamples = 1000000;

enum LongOnly { kSummary = 256, kIndependence, kFollow, kLog, kSamples, kMcSeed, kVersion };

const option kOptions[] = {
    {"summary", no_argument, nullptr, kSummary},
    {"independence", no_argument, nullptr, kIndependence},
    {"follow", no_argument, nullptr, kFollow},
    {"log", required_argument, nullptr, kLog},
    {"samples", required_argument, nullptr, kSamples},
    {"mc-seed", required_argument, nullptr, kMcSeed},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

// A whole decimal number, digits only, in range.
template <typename Int> bool whole_number(const char *text, Int low, Int high, Int &value) {
  const char *end = text + std::strlen(text);
  Int v;
  if (*text < '0' || *text > '9') return false;
  auto [stop, ec] = std::from_chars(text, end, v);
  if (ec != std::errc() || stop != end || v < low || v > high) return false;
  value = v;
  return true;
}

// Whether a getopt code is that of a long option without a value.
bool takes_no_value(int code) {
  for (const option *o = kOptions; o->name != nullptr; ++o)
    if (o->val == code) return o->has_arg == no_argument;
  return false;
}

// Takes one option; false with options.error set when it is wrong.
bool take(Options &options, int code, const char *argument) {
  switch (code) {
  case kSummary:
  case kIndependence:
  case kFollow: {
    Mode chosen = code == kSummary        ? Mode::kSummary
                  : code == kIndependence ? Mode::kIndependence
                                          : Mode::kFollow;
    if (options.mode != Mode::kPicture && options.mode != chosen)
      options.error = "--summary, --independence and --follow exclude each other";
    options.mode = chosen;
    break;
  }
  case kLog:
    options.log_path = argument;
    break;
  case kSamples:
    if (!whole_number<int64_t>(argument, kMinSamples, kMaxSamples, options.mc.samples))
      options.error = "--samples wants a whole number from " + std::to_string(kMinSamples) +
                      " to " + std::to_string(kMaxSamples) +
                      "; with fewer, no simulated p can fall below 1/" +
                      std::to_string(kRejectOdds);
    break;
  case kMcSeed:
    if (!whole_number<uint64_t>(argument, 0, UINT64_MAX, options.mc.seed))
      options.error = "--mc-seed wants a whole number from 0 to " + std::to_string(UINT64_MAX);
    break;
  case 'h':
    options.help = true;
    break;
  case kVersion:
    options.version = true;
    break;
  }
  return options.error.empty();
}

} // namespace

Options parse_options(int argc, char **argv) {
  Options options;
  opterr = 0; // the messages are ours
  for (;;) {
    int code = getopt_long(argc, argv, ":h", kOptions, nullptr);
    if (code == -1) break;
    if (code == ':') {
      options.error = shown_name(argv[optind - 1]) + " wants a value";
      return options;
    }
    if (code == '?') {
      // optopt is 0 for an unknown long option, the code of a long option
      // given a value it does not take (one that is also a short option's
      // letter can only be that, as no short option takes a value), or else
      // an unknown short option's letter. Only after a long option is
      // argv[optind - 1] the one at fault: in a cluster such as -dx it may
      // still be the argument before.
      std::string given = shown_name(argv[optind - 1]);
      if (optopt == 0)
        options.error = "unknown option " + given;
      else if (takes_no_value(optopt))
        options.error = given + ": the option takes no value";
      else
        options.error = "unknown option -" + shown_name(std::string(1, static_cast<char>(optopt)));
      return options;
    }
    if (!take(options, code, optarg)) return options;
  }
  if (optind < argc) options.path = argv[optind++];
  if (optind < argc)
    options.error = "more than one file";
  else if (options.log_path != nullptr && options.mode != Mode::kPicture)
    options.error = "--log goes with the picture only";
  return options;
}
