// dicestat-chart's command line, read with getopt_long.
#pragma once

#include <string>

#include "chart/read/dice_read.h"
#include "chart/stats/monte_carlo.h"

enum class Mode { kPicture, kSummary, kIndependence, kFollow };

struct Options {
  Mode mode = Mode::kPicture;
  const char *path = nullptr;     // the input; null for the mode's default
  const char *log_path = nullptr; // --log: the report's roll log
  MonteCarlo mc;                  // --samples and --mc-seed
  DiceAsked dice;                 // --die or --faces, --dice, --column, --counts
  bool dice_named = false;        // any of those was given
  const char *output = nullptr;   // -o, --output: the file written instead of standard output
  bool help = false;              // --help: the usage and nothing else
  bool version = false;           // --version: the version and nothing else
  std::string error;              // what is wrong with the arguments; empty when nothing
};

extern const char kUsage[];

Options parse_options(int argc, char **argv);
