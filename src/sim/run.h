// The simulation run: the dialogue, the two files, the rolls and the report.
#pragma once

#include <cstdint>

// Entered once at start-up; the arguments and the environment are not used.
// Returns the exit status: 0, or 1 when a file could not be written in full.
int32_t run(int argc, char **argv, char **envp);
