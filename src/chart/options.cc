#include "chart/options.h"

#include <getopt.h>

#include <charconv>
#include <cstdint>
#include <cstring>

#include "chart/read/die_faces.h"
#include "chart/stats/levels.h"
#include "chart/words/shown_name.h"

const char kUsage[] =
    "usage: dicestat-chart [--log LOG] [DICE] [MONTE CARLO] [FILE | -] -o chart.svg\n"
    "       dicestat-chart --summary [DICE] [MONTE CARLO] [FILE | -]\n"
    "       dicestat-chart --independence [DICE] [MONTE CARLO] [LOG | -]\n"
    "       dicestat-chart --follow [LOG | -]\n"
    "       dicestat-chart --help | --version\n"
    "FILE is a statistics report or a list of rolls (statfile.txt by default),\n"
    "LOG a list of rolls (dicefile.txt by default); -o FILE, --output FILE writes\n"
    "to FILE instead of standard output. DICE, where the rolls are not dicestat's:\n"
    "  --die dN, --die dF  the die: faces 1 to N, or Fate's -, 0, +\n"
    "  --faces LOW-HIGH, --faces A,B,...  the faces, for other dice\n"
    "  --dice N      N dice a roll, a line each\n"
    "  --column NAME a CSV column of one die's rolls; once per die\n"
    "  --counts      tallies: FACE COUNT lines, or a face per die and a count\n"
    "MONTE CARLO, for p-values simulated where there are few rolls:\n"
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

enum LongOnly {
  kSummary = 256,
  kIndependence,
  kFollow,
  kLog,
  kSamples,
  kMcSeed,
  kVersion,
  kDie,
  kFaces,
  kDice,
  kColumn,
  kCounts,
};

const option kOptions[] = {
    {"summary", no_argument, nullptr, kSummary},
    {"independence", no_argument, nullptr, kIndependence},
    {"follow", no_argument, nullptr, kFollow},
    {"log", required_argument, nullptr, kLog},
    {"samples", required_argument, nullptr, kSamples},
    {"mc-seed", required_argument, nullptr, kMcSeed},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {"die", required_argument, nullptr, kDie},
    {"faces", required_argument, nullptr, kFaces},
    {"dice", required_argument, nullptr, kDice},
    {"column", required_argument, nullptr, kColumn},
    {"counts", no_argument, nullptr, kCounts},
    {"output", required_argument, nullptr, 'o'},
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

// --die or --faces: the faces named.
void take_die(Options &options, const DieFaces &faces, const char *option) {
  if (!options.dice.labels.empty())
    options.error = "--die and --faces exclude each other";
  else if (!faces.error.empty())
    options.error = std::string(option) + ": " + faces.error;
  options.dice.labels = faces.labels;
  options.dice.die = faces.name;
}

// The options of dice.
void take_dice(Options &options, int code, const char *argument) {
  options.dice_named = true;
  DiceAsked &dice = options.dice;
  if (code == kDie) take_die(options, die_named(argument), "--die");
  if (code == kFaces) take_die(options, faces_listed(argument), "--faces");
  if (code == kDice && !whole_number<int>(argument, 1, kMaxDice, dice.dice))
    options.error = "--dice wants a whole number from 1 to " + std::to_string(kMaxDice);
  if (code == kColumn && dice.columns.size() == kMaxDice)
    options.error = "--column at most " + std::to_string(kMaxDice) + " times, a die each";
  if (code == kColumn) dice.columns.emplace_back(argument);
  if (code == kCounts) dice.tallies = true;
}

// Takes one option; false with options.error set when it is wrong.
bool take(Options &options, int code, const char *argument) {
  switch (code) {
  case kDie:
  case kFaces:
  case kDice:
  case kColumn:
  case kCounts:
    take_dice(options, code, argument);
    break;
  case 'o':
    options.output = argument;
    break;
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

// Whether a getopt code is that of a long option without a value.
bool takes_no_value(int code) {
  for (const option *o = kOptions; o->name != nullptr; ++o)
    if (o->val == code) return o->has_arg == no_argument;
  return false;
}

} // namespace

Options parse_options(int argc, char **argv) {
  Options options;
  opterr = 0; // the messages are ours
  for (;;) {
    int code = getopt_long(argc, argv, ":ho:", kOptions, nullptr);
    if (code == -1) break;
    if (code == ':') {
      options.error = shown_name(argv[optind - 1]) + " wants a value";
      return options;
    }
    if (code == '?') {
      // optopt is 0 for an unknown long option, the code of a long option
      // given a value it does not take (for --help, also the letter of -h,
      // which as a short option is never at fault), or else an unknown
      // short option's letter. Only after a long option is argv[optind - 1]
      // the one at fault: in a cluster such as -dx it may still be the
      // argument before.
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
  else if (options.mode == Mode::kFollow && (options.dice_named || options.output != nullptr))
    options.error = "--follow reads dicestat's rolls to standard output: no dice, no -o";
  else if (options.log_path != nullptr && options.dice_named)
    options.error = "--log goes with dicestat's report, which needs no dice named";
  else if (options.dice.tallies && !options.dice.columns.empty())
    options.error = "--counts reads every column in order; --column goes with rolls";
  else if (!options.dice.columns.empty() && options.dice.dice != 0 &&
           options.dice.dice != static_cast<int>(options.dice.columns.size()))
    options.error = "--dice and the columns named disagree";
  return options;
}
