// Reads a roll log: any plain list of rolls (roll_tokens.h), of which
// dicestat's own dicefile.txt, three-byte entries of two faces and a blank
// on one line, is the common case and has a fast path. Read once, in
// pieces; every roll is counted, and the first kMaxAnalysedRolls go into
// the pair tables as they come.
#pragma once

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "chart/stats/counts.h"
#include "chart/stats/pair_counts.h"
#include "sim/file_facts.h"

// Where the rolls go as they are read, besides the counts: a procedure
// given its state and each piece of outcome indices.
struct RollSink {
  void (*take)(void *state, const uint8_t *outcomes, size_t n) = nullptr;
  void *state = nullptr;
};

struct LogSource {
  std::FILE *file;       // read to its end
  std::string_view head; // bytes already taken from the file, read first
  RollSink sink = {};    // given every roll read; none when take is null
};

struct LogRead {
  bool ok = false;                   // the log was read to its end, or past the limit
  int64_t rolls = 0;                 // rolls read
  Counts counts = Counts(kOutcomes); // of each outcome among them
  std::string where;                 // when !ok: "line:column" of a bad token, or empty
  std::string error;                 // when !ok: what is wrong there, or the system's reason
};

// Reads the source into *pairs, which must be fresh and of kOutcomes a
// side, or only counts its
// rolls when pairs is null; stops once it has read more than `limit` rolls,
// with the counts of those.
LogRead read_roll_log(LogSource source, PairCounts *pairs,
                      int64_t limit = std::numeric_limits<int64_t>::max());
