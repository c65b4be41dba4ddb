// A dicestat run drawn again from its report's header, by the program's own
// generator and outcome mapping: what the run counted and rolled, so that a
// report can be held to its run and a roll log to its rolls.
#pragma once

#include <cstdint>
#include <string>

#include "chart/read/report_parse.h"
#include "chart/stats/pair_counts.h"
#include "sim/roll/roll.h"

// The seed the run drew with: the one answered, or the clock's value when
// the answer was 0.
int32_t run_seed(const Report &report);

// The rolls the run drew: as many as asked, none for 0 or a negative number.
int32_t run_rolls(const Report &report);

// The run's generator, seeded as the run seeded it.
Generator run_generator(const Report &report);

// The run's 36 counts, drawn again; nothing is kept of the rolls.
Tallies replay_counts(const Report &report);

// Where the report's counts part from its run's: empty when all 36 agree,
// else the first statistics line that differs, as it reads and as the run
// writes it.
std::string replay_difference(const Report &report, const Tallies &replayed);

// The run's first rolls, at most kMaxAnalysedRolls, into fresh pair tables.
void replay_pairs(const Report &report, PairCounts *pairs);
