// The lines of `--summary` for any dice, printed from DiceFindings; they
// compute and judge nothing. Numbers are written as fit_summary's are.
#pragma once

#include <string>
#include <vector>

#include "chart/stats/any_dice.h"
#include "chart/stats/independence.h"

// "fair: chi2=X p=P\n" of the combinations or faces; nothing where they
// were not tested.
std::string dice_fair_line(const DiceFindings &findings);

// The lines the rolls of any dice add, in this order:
//   die 1: chi2=X p=P                      (each die, for several)
//   between dice: chi2=X df=D p=P          (two dice; for more,
//   between dice 1 and 3: chi2=X df=D p=P   one line per pair)
//   faces: 20 high, 1 low                  (or "faces: none outside"; for
//   faces of die 2: none outside            several, one line per die)
//   detectable: one face X% more often than 1/K
std::string dice_summary(const DiceFindings &findings);

// The picture's headline lines beyond the counts and the rolls: the faces
// outside ("Faces off: 20 high, 1 low."), and the pairs of dice whose test
// doubts or rejects that they fall independently ("Dice 1 and 2: related.");
// none where nothing is off.
std::vector<std::string> dice_headline(const DiceFindings &findings);

// The test of independence of one sequence (see independence_summary),
// each line after `prefix` ("die 2: " for one die of several, or ""); where
// no lag has pairs enough, one line saying so and how many rolls would do.
std::string independence_lines(const Independence &test, const std::string &prefix);

// "independence: not tested: tallies hold no order of the rolls\n".
std::string tallies_have_no_order();
