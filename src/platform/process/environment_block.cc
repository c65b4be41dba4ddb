#include "platform/process/environment_block.h"

#include <cstring>

namespace {

// The first entry of `block` that the table keeps.
const char *first_kept(const char *block) {
  while (*block == '=') block += strlen(block) + 1;
  return block;
}

} // namespace

TableSpace copy_environment_block(const char *block, char **table, char *text) {
  TableSpace space = {0, 0};
  for (const char *entry = first_kept(block); *entry; entry += strlen(entry) + 1) {
    size_t size = strlen(entry) + 1;
    if (table) {
      table[space.entries] = text + space.bytes;
      memcpy(text + space.bytes, entry, size);
    }
    ++space.entries;
    space.bytes += size;
  }
  if (table) table[space.entries] = nullptr;
  return space;
}
