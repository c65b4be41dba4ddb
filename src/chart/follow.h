// --follow: rolls read as they come, from standard input or from a file
// that grows as tail -f follows one, each line of them answered at once
// with both e-processes, which stay valid however often they are looked at.
#pragma once

#include "chart/options.h"

// Follows until the end of standard input, or Ctrl-C; then the last
// summary. Returns the exit status.
int follow_rolls(const Options &options);
