// What the chart does with rolls of any dice once they are read: the
// tests of their order, and their picture and test of independence as
// text; and the pieces dicestat's own files share with them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chart/read/dice_read.h"
#include "chart/stats/counts.h"
#include "chart/stats/dice_counts.h"
#include "chart/stats/monte_carlo.h"
#include "chart/stats/pair_counts.h"

// The order of the rolls as the tests of independence take it: these
// outcomes, each below `side`, with their pairs at every lag counted.
PairCounts pairs_in_order(std::vector<uint8_t> order, int side);

// dicestat's pair of d6 from its 36 outcomes' counts.
DiceCounts pair_counts_of(const Counts &outcomes);

// The lines of dice_summary without the last, "detectable:", which
// dicestat's own files give as power_summary has it.
// The `anytime:` line of fit against fair dice of any dice's rolls: of the
// combinations where they are kept, else one `anytime die N:` line a die;
// of the counts alone for tallies. Of the rolls kept in order: all, or the
// first kMaxAnalysedRolls values.
std::string dice_anytime_summary(const RollsRead &read);

std::string without_detectable(const std::string &lines);

// The picture of the rolls, titled with `source`; their order is handed
// on to the tests of independence, and `read` keeps none of it.
std::string dice_picture(RollsRead &read, const MonteCarlo &mc, std::string_view source);

// The lines of --independence: of the combinations where they are few
// enough, else each die's own after "die N: "; for tallies, that their
// order is unknown. `read` keeps none of its order.
std::string dice_independence(RollsRead &read, const MonteCarlo &mc);
