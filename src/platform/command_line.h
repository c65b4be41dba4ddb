// The argument list of a host that hands a process one raw command line:
// word 0 is the program file's path, the others are the words of the command
// line after its first, split at blanks and tabs, with double quotes
// grouping. Quotes are dropped; nothing else is special (no escapes, no
// wildcard expansion). Pure: the caller provides the memory.
#pragma once

#include <cstddef>

struct ArgumentSpace {
  size_t words; // in the list, the program's path included
  size_t bytes; // of their text, each with its terminating zero
};

// The space split_command_line needs for these two.
ArgumentSpace measure_command_line(const char *command_line, const char *program);

// Fills `argv` (space.words + 1 entries: the words, then a null) with
// pointers into `text` (space.bytes), where the words are copied.
void split_command_line(const char *command_line, const char *program, char **argv, char *text);
