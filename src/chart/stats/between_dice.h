// Whether two dice of one roll fall independently of each other: Pearson's
// test of the table of their faces, over its non-empty rows and columns.
// Where an expected count is below kMinExpected (fit.h), p is the share of
// mc.samples random pairings of the second die's faces with the first's
// (the table's margins kept) whose statistic reaches the table's.
#pragma once

#include "chart/stats/counts.h"
#include "chart/stats/monte_carlo.h"
#include "chart/stats/record.h"

// The test of a side x side table, first die's face * side + second's;
// statistic and p NaN when the table holds no rolls.
Record between_dice_test(const Counts &table, int side, const MonteCarlo &mc);
