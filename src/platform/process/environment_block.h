// The environment table from a host's environment block: "NAME=value"
// entries one after another, each ended by a zero byte, the block ended by
// an empty entry. Entries that begin with "=" (the host's own per-drive
// bookkeeping) are left out while they lead the block; further on they are
// kept. Pure: the caller provides the memory.
#pragma once

#include "platform/process/string_table.h"

// Copies the kept entries into `text` and fills `table` (the copies, then a
// null), and returns their space; with both null, only measures.
TableSpace copy_environment_block(const char *block, char **table, char *text);
