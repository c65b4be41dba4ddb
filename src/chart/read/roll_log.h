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

#include "chart/stats/pair_counts.h"

// The most rolls a list may hold: as many as a report can count. Reading
// stops at the piece that passes it, so an endless list ends too.
constexpr int64_t kMaxListRolls = std::numeric_limits<int32_t>::max();

struct LogSource {
  std::FILE *file;       // read to its end
  std::string_view head; // bytes already taken from the file, read first
};

// Where the rolls go besides the counts, piece by piece as they are read.
struct RollSink {
  // Takes the next `count` rolls (outcome indices); false reads no further.
  bool (*take)(void *context, const uint8_t *rolls, size_t count) = nullptr;
  void *context = nullptr;
};

struct LogRead {
  bool ok = false;                // the log was read to its end, or as far as the sink wanted
  int64_t rolls = 0;              // rolls read
  int64_t counts[kOutcomes] = {}; // of each outcome among them
  char cut_face = 0;              // when !ok for a list that ends inside a label, as a log
                                  // cut short by a failed write may: the label's first face
  std::string where;              // when !ok: "line:column" of a bad token, or empty
  std::string error;              // when !ok: what is wrong there, or the system's reason
};

// Reads the source into *pairs, which must be fresh, or only counts its
// rolls when pairs is null, and hands them to the sink, if any. A list of
// more than kMaxListRolls rolls is refused.
LogRead read_roll_log(LogSource source, PairCounts *pairs, RollSink sink = {});
