// Reads a roll log, dicestat's dicefile.txt: one three-byte entry per roll,
// two faces 1 to 6 and a blank, and nothing else. Read once, in pieces; the
// first kMaxAnalysedRolls rolls go into the pair tables as they come, the
// rest is only checked and counted.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "pair_counts.h"

constexpr int kLogEntryBytes = 3; // two faces and a blank

struct LogRead {
  bool ok = false;   // the whole file is a roll log
  int64_t rolls = 0; // rolls in it, when ok
  std::string error; // when !ok: the system's reason, or the byte offset and what is wrong there
};

// Reads `file` to its end into `counts`, which must be fresh.
LogRead read_roll_log(std::FILE *file, PairCounts &counts);
