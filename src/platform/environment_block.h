// The environment table from a host's environment block: "NAME=value"
// entries one after another, each ended by a zero byte, the block ended by
// an empty entry. Entries that begin with "=" (the host's own per-drive
// bookkeeping) are left out while they lead the block; further on they are
// kept. Pure: the caller provides the memory.
#pragma once

#include <cstddef>

struct EnvironmentSpace {
  size_t entries; // kept in the table
  size_t bytes;   // of their text, each with its terminating zero
};

// The space copy_environment_block needs for `block`.
EnvironmentSpace measure_environment_block(const char *block);

// Copies the kept entries into `text` (space.bytes) and fills `table`
// (space.entries + 1 entries: the copies, then a null).
void copy_environment_block(const char *block, char **table, char *text);
