#include "platform/environment.h"

#include <cstddef>

char **environment_table;

namespace {

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

const char *find_environment(char *const *table, const char *name) {
  if (!table) return nullptr;
  for (; *table; ++table) {
    const char *entry = *table;
    size_t i = 0;
    while (name[i] && lower(entry[i]) == lower(name[i])) ++i;
    if (!name[i] && entry[i] == '=') return entry + i + 1;
  }
  return nullptr;
}
