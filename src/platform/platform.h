// What the simulation uses from its surroundings: the console dialogue, the
// report files and the clock. src/sim includes only this header. Each
// section names the folder that defines it; host.h is what those folders
// ask of a backend (posix/, win32/).
#pragma once

#include <cstdint>

#include "platform/io/stream.h" // report files, and every other stream operation

// Console dialogue: io/ ---------------------------------------------------

// Writes `text` to standard output; each "\n" goes out as CR LF. On a
// terminal the text is on screen when the call returns.
void write_console(const char *text);

// Reads one decimal integer field from standard input into `target`.
// Returns 1 when a value was stored, 0 when the input holds a character that
// cannot begin an integer, -1 when the input ended first.
int read_int(int32_t *target);

// read_int for an answer that may be left blank: first passes over what is
// left of the previous answer line when that is only blanks and tabs, then
// treats a line of nothing but blanks and tabs as a blank answer, returning 0
// with `target` unchanged. Otherwise exactly read_int.
int read_int_or_blank(int32_t *target);

// Writes out what standard output holds, then waits for one key on the
// terminal, unechoed, and returns its code 0-255; -1 at once when there is
// no terminal to read.
int wait_key();

// Clock: time/ ---------------------------------------------------------------

// The current time as a signed 32-bit count of seconds since 1970.
int32_t read_clock();
