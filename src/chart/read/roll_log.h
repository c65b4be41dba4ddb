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
// given its state and each piece of outcome indices, which returns false
// when it wants no more of them.
struct RollSink {
  bool (*take)(void *state, const uint8_t *outcomes, size_t n) = nullptr;
  void *state = nullptr;
};

// The most rolls a list may hold: as many as a report can count. Reading
// stops at the piece that passes it, so an endless list ends too.
constexpr int64_t kMaxListRolls = std::numeric_limits<int32_t>::max();

struct LogSource {
  std::FILE *file;       // read to its end
  std::string_view head; // bytes already taken from the file, read first
  RollSink sink = {};    // given every roll read; none when take is null
};

struct LogRead {
  bool ok = false;                   // read to its end, or as far as the sink wanted
  int64_t rolls = 0;                 // rolls read
  Counts counts = Counts(kOutcomes); // of each outcome among them
  char cut_face = 0;                 // when !ok for a list that ends inside a label, as a
                                     // log cut short by a failed write may: its first face
  std::string where;                 // when !ok: "line:column" of a bad token, or empty
  std::string error;                 // when !ok: what is wrong there, or the system's reason
};

// Reads the source into *pairs, which must be fresh and of kOutcomes a
// side, or only counts its rolls when pairs is null. A list of more than
// kMaxListRolls rolls is refused.
LogRead read_roll_log(LogSource source, PairCounts *pairs);
