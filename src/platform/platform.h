// What the simulation uses from its surroundings: the console dialogue, the
// report files, the clock and the end of the process. src/sim includes only
// this header. Each section names the folder that defines it; host.h is
// what those folders ask of a backend (posix/, win32/).
#pragma once

#include <cstddef>
#include <cstdint>

struct Stream;

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

// Waits for one key on the terminal, unechoed, and returns its code 0-255;
// -1 at once when there is no terminal to read.
int wait_key();

// Report files: io/, numbers through format/ ----------------------------

// Creates or truncates `name` for writing in text mode ("w" is the only mode).
// Returns null, writing nothing, when the host refuses or no slot is free.
Stream *create_text_file(const char *name, const char *mode);

// One argument of write_formatted: a "%d" integer or a "%2.4f" double.
struct FormatArg {
  int32_t i;
  double d;
  FormatArg(int32_t value) : i(value), d(0) {}
  FormatArg(double value) : i(0), d(value) {}
};

// Writes `format` with each of "%d", "%2.4f" and "%+2.4f" replaced by the
// text of the next argument. Returns the number of characters produced, or
// -1 at the first byte the stream drops after a failed write.
int write_formatted_args(Stream *stream, const char *format, const FormatArg *args, size_t count);

template <class... Args> int write_formatted(Stream *stream, const char *format, Args... args) {
  const FormatArg list[sizeof...(Args) + 1] = {FormatArg(args)..., FormatArg(0)};
  return write_formatted_args(stream, format, list, sizeof...(Args));
}

// Appends `size` bytes as they are, with no line-end translation: for text
// without "\n". The buffer goes to the host in the same pieces, and a failed
// write silences the stream the same way, as when the bytes are written one
// by one. Returns -1 when a byte was dropped, else 0.
int write_block(Stream *stream, const char *data, size_t size);

// Flushes and closes the stream and frees its slot. Returns -1 when anything
// written to it was lost or the handle could not be closed, else 0.
int close_stream(Stream *stream);

// Clock: time/ ---------------------------------------------------------------

// The current time as a signed 32-bit count of seconds since 1970.
int32_t read_clock();

// Process: process/ ----------------------------------------------------------

// Flushes and closes every open stream and ends the process with `status`.
[[noreturn]] void end_process(int32_t status);

// The program: src/sim --------------------------------------------------------

// What the platform layer runs once at start-up, defined by the program: the
// arguments and the environment are handed on whether or not it uses them.
// Returns the exit status.
int32_t run(int argc, char **argv, char **envp);
