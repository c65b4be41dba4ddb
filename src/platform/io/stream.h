// Buffered byte streams over host handles, and every operation on them. The
// stream table holds standard input, output and error in slots 0 to 2 and
// files after them; stream.cc owns it and defines all but write_formatted.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/host_support.h"

constexpr int kStreamSlots = 60;
constexpr int kStdIn = 0, kStdOut = 1, kStdErr = 2;
constexpr int kFirstFileSlot = 3;
constexpr size_t kStreamBufferSize = 16384;

struct Stream {
  Handle handle;            // host handle, owned by the stream
  const StreamHooks *hooks; // how bytes reach the handle
  unsigned char *buffer;    // kStreamBufferSize bytes from the first byte, or `spare`
  size_t capacity;          // size of `buffer`; 0 until the first byte
  size_t fill;              // output: bytes waiting; input: bytes left to read
  size_t pos;               // input: next byte to read
  int pushback;             // input: a character pushed back, or -1
  int last;                 // input: the last character taken, or -1 before the first
  unsigned char spare[1];   // the buffer when a full one cannot be had
  bool open;                // the slot is in use
  bool unbuffered;          // a file that always writes at once (standard error)
  bool line_buffered;       // written out after each LF: a terminal
  bool error;               // a write or read failed; sticky
  bool ended;               // input: end of input seen; sticky
};

// Report files, as the program uses them ------------------------------------

// Creates or truncates `name` for writing in text mode ("w" is the only mode)
// in the first free file slot. Returns null, writing nothing, when the host
// refuses or no slot is free.
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

// The table and the standard streams -----------------------------------------

// Opens the standard streams on the host's handles, giving back a buffer
// that one of them still holds from before.
void start_streams();

// At the end of the process, in slot order: standard output and error
// flushed and left open, each file flushed and closed.
void end_streams();

// What the console needs of standard input and output (and write_console, in platform.h).
int take_input();            // the next character; -1 at end of input or after a read error
void push_back_input(int c); // `c` is taken next
bool input_mid_line();       // the last character taken was pushed back or ended no line
void flush_output();         // out now, whatever standard output is

// One stream's bytes ---------------------------------------------------------

// Makes `stream` an open stream on `handle`, in text mode like every stream
// here, with nothing buffered yet.
void open_stream(Stream *stream, Handle handle, const StreamHooks *hooks);

// Puts one byte into an output stream (no line-end translation). Returns
// false, dropping the byte, when the stream is or goes into the error state.
bool put_byte(Stream *stream, unsigned char byte);

// Puts `size` bytes, each "\n" as CR LF. Returns the number of characters
// taken (a "\n" counts once), or -1 at the first byte dropped.
int write_text(Stream *stream, const char *text, size_t size);
