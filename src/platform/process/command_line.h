// The argument list of a host that hands a process one raw command line:
// word 0 is the program file's path, the others are the words of the command
// line after its first, split at blanks and tabs, with double quotes
// grouping. Quotes are dropped; nothing else is special (no escapes, no
// wildcard expansion). Pure: the caller provides the memory.
#pragma once

#include "platform/process/string_table.h"

// Fills `argv` (the words, then a null) with pointers into `text`, where the
// words are copied, and returns their space; with both null, only measures.
TableSpace split_command_line(const char *command_line, const char *program, char **argv,
                              char *text);
