#include "platform/process/environment.h"

#include <cstddef>

#include "platform/ascii.h"
#include "platform/host.h"

char **environment_table;

const char *find_environment(char *const *table, const char *name) {
  if (!table) return nullptr;
  for (; *table; ++table) {
    const char *entry = *table;
    size_t i = 0;
    while (name[i] && to_lower(entry[i]) == to_lower(name[i])) ++i;
    if (!name[i] && entry[i] == '=') return entry + i + 1;
  }
  return nullptr;
}

const char *environment_variable(const char *name) {
  const char *value = find_environment(environment_table, name);
  return value ? value : host_environment_variable(name);
}
