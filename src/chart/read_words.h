// The `read:` line of --summary: how many rolls of which dice were read,
// and how the chart came to take them so, in words a user can act on.
#pragma once

#include <string>

#include "chart/read/dice_read.h"

// Where the rolls came from, as far as the words say.
enum class Source {
  kReport,      // dicestat's statistics report
  kDicestatLog, // dicestat's own roll log
  kRolls,       // any other list, CSV or tallies
};

// "read: 1000 rolls of one d20\n", with what was inferred in brackets.
std::string read_line(const RollsRead &read, Source source);
