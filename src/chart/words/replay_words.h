// A report's provenance in words: that its run was replayed and every count
// found as dicestat's, and what its roll log turned out to be.
#pragma once

#include <string>
#include <vector>

#include "chart/read/run_log.h"
#include "chart/words/verdict.h"

// "replayed: seed 42, 1000000 rolls, every count as dicestat's\n"
std::string replay_summary(const Provenance &provenance);

// The same for the caption, digits grouped, and a line on the roll log
// when there was one.
std::vector<FitWords> replay_words(const Provenance &provenance);
