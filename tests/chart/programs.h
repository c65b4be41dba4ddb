// The built programs run from the chart's tests, through the system's shell.
#pragma once

#include <string>
#include <string_view>

#include "support/scratch.h"

// The text quoted for sh.
std::string shell_quote(std::string_view text);

// Runs a command line in the system's shell (sh; cmd on Windows); returns
// its exit status, or -1 when it did not exit.
int run_shell(const std::string &command);

// The statistics report of a dicestat run given these answers, run in a
// scratch directory with TZ set to UTC; its roll log into *log when asked.
std::string dicestat_report(std::string_view answers, std::string *log = nullptr);

// How often needle occurs in haystack.
size_t count_of(std::string_view haystack, std::string_view needle);
