#include "platform/environment_block.h"

#include <cstring>

namespace {

// The first entry of `block` that the table keeps.
const char *first_kept(const char *block) {
  while (*block == '=') block += strlen(block) + 1;
  return block;
}

} // namespace

EnvironmentSpace measure_environment_block(const char *block) {
  EnvironmentSpace space = {0, 0};
  for (const char *entry = first_kept(block); *entry; entry += strlen(entry) + 1) {
    ++space.entries;
    space.bytes += strlen(entry) + 1;
  }
  return space;
}

void copy_environment_block(const char *block, char **table, char *text) {
  for (const char *entry = first_kept(block); *entry; entry += strlen(entry) + 1) {
    size_t size = strlen(entry) + 1;
    memcpy(text, entry, size);
    *table++ = text;
    text += size;
  }
  *table = nullptr;
}
