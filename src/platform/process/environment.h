// The environment: the table of the process's "NAME=value" entries, taken
// once at start-up and ended by a null entry, and the one lookup of a
// variable, which TZ goes through.
#pragma once

extern char **environment_table;

// The value of the first entry whose name matches `name` without regard to
// letter case, or null.
const char *find_environment(char *const *table, const char *name);

// The value of `name`: the table's first entry of that name, even an empty
// one, else the host's own lookup; null when neither has it.
const char *environment_variable(const char *name);
