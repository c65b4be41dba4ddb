// The simulation run, handed to the start-up sequence by the process entry.
// Uses neither the arguments nor the environment. Returns the exit status:
// 0, or 1 when a file could not be created or written in full.
#pragma once

#include <cstdint>

int32_t run(int argc, char **argv, char **envp);
