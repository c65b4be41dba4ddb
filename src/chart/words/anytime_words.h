// The e-processes in words: the `anytime:` lines of --summary and
// --independence, the caption's sentence and the lines of --follow. They
// print what the processes found and compute nothing.
#pragma once

#include <cstdint>
#include <string>

#include "chart/stats/e_value.h"
#include "chart/words/verdict.h"

// An e-value to four significant digits, or as 10^X, X to one decimal,
// beyond 1e300 (and below 1e-300).
std::string e_text(EValue e);

// "e=E p=P", P to four significant digits, or "p<1e-300" below that.
std::string e_and_p(const Anytime &found);

// "anytime: e=E p=P\n".
std::string anytime_summary(const Anytime &found);

// The text with `line` put before its last line.
std::string before_last_line(const std::string &text, const std::string &line);

// The caption's sentence on both processes; `order` may be null (no rolls
// in order to test).
FitWords anytime_words(const Anytime &fit, const Anytime *order);

// "rolls=N fit: e=E p=P independence: e=E p=P\n".
std::string follow_line(const Anytime &fit, const Anytime &order);

// Level k of kAnytimeOdds first reached at roll `rolls`: "after 412
// rolls: not fair dice at the 0.001 level, valid however often you looked\n".
std::string reached_line(bool independence, int level, int64_t rolls);

// Where a process ended, for the last summary of --follow: its verdict at
// the highest level it reached, and since when.
std::string verdict_line(bool independence, const Anytime &found);
