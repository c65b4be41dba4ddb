// Rolls of any dice, as people keep them: one value a roll of one die, or
// several dice a roll (a line each, or a CSV column each), or tallies of
// each face; the die named on the command line or taken as the smallest
// common die that holds every value. What is read is handed to the
// statistics as counts and as the order of the rolls, by face index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "chart/read/roll_log.h"
#include "chart/stats/counts.h"
#include "chart/stats/dice_counts.h"

// Faces a die may have, and dice a roll.
constexpr int kMinFaces = 2;
constexpr int kMaxFaces = 100;
constexpr int kMaxDice = 16;

// Counts of every combination of the dice's faces are kept, and tested as
// one distribution, only where there are at most this many: 2d6, 2d10,
// 4dF; not 2d20.
constexpr int kMaxCombinations = 100;

// Bytes of a face's label, as --faces names it.
constexpr size_t kMaxLabelBytes = 32;

// What the command line says of the dice.
struct DiceAsked {
  std::vector<std::string> labels;  // the faces --die or --faces names, in order; empty: inferred
  std::string die;                  // how the die is named in messages: "d20", "die -, 0, +"
  int dice = 0;                     // --dice N: N values a line; 0 when not given
  std::vector<std::string> columns; // --column NAME, one die each, in order
  bool tallies = false;             // --counts: FACE... COUNT lines
};

struct RollsRead {
  bool ok = false;   // read to its end, every value a face
  std::string where; // when !ok: "line:column" of what is wrong, or empty
  std::string error; // when !ok: what is wrong there, or the system's reason

  int dice = 0;                    // D, the dice a roll
  int faces = 0;                   // K, the faces of each die
  std::vector<std::string> labels; // the K faces as written, in order
  std::string die;                 // the die's name: "d20", "d6", "dF", "die -, 0, +"
  bool inferred = false;           // the die was not named: the smallest common die holding
                                   // every value read, its faces from 0 if a 0 was read
  bool tallies = false;            // read as counts: the order of the rolls is unknown
  bool pair_labels = false;        // dicestat's form: two faces 1 to 6 written as one label
                                   // 11 to 66, a pair of d6 a roll
  bool dicestat_log = false;       // and every byte as dicestat writes its roll log, so that
                                   // dicestat's generator made the rolls

  int64_t rolls = 0;          // rolls read (for tallies, the counts' sum)
  DiceCounts counts;          // by face index: each die's, the combinations', each pair's
  std::vector<uint8_t> order; // the first `analysed` rolls in order: each roll's combination
                              // index where counts.combinations is kept, else its D face
                              // indices; empty for tallies
  int64_t analysed = 0;       // rolls in `order`: all, or those of the first
                              // kMaxAnalysedRolls values
};

// Whether `order` holds one combination index a roll (else D face indices).
inline bool order_by_combination(const RollsRead &read) {
  return !read.counts.combinations.empty();
}

// Reads the source as `asked` says; the first error ends the reading.
RollsRead read_rolls(LogSource source, const DiceAsked &asked);
