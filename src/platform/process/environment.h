// The environment table: the process's "NAME=value" entries, taken once at
// start-up and ended by a null entry.
#pragma once

extern char **environment_table;

// The value of the first entry whose name matches `name` without regard to
// letter case, or null.
const char *find_environment(char *const *table, const char *name);
