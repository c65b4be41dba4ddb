// The stream record and the stream table, shared by the console dialogue,
// the report files and the end of the process.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/host.h"

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
  bool input;               // read from, never written
  bool text;                // "\n" goes out as CR LF, CR LF comes in as "\n"
  bool unbuffered;          // a file that always writes at once (standard error)
  bool line_buffered;       // written out after each LF: a terminal
  bool error;               // a write or read failed; sticky
  bool ended;               // input: end of input seen; sticky
};

extern Stream stream_table[kStreamSlots];

// Sets up the three standard streams on the host's standard handles.
void streams_start();

// Makes `stream` an open stream on `handle`: text mode, nothing buffered yet.
void stream_open(Stream *stream, Handle handle, const StreamHooks *hooks);

// Puts one byte into an output stream (no line-end translation). Returns
// false, dropping the byte, when the stream is or goes into the error state.
bool stream_put(Stream *stream, unsigned char byte);

// Puts `size` bytes, each "\n" as CR LF in text mode. Returns the number of
// characters taken (a "\n" counts once), or -1 at the first byte dropped.
int stream_write_text(Stream *stream, const char *text, size_t size);

// Writes out what is buffered. Returns -1 when the stream is in the error
// state afterwards, else 0.
int flush_stream(Stream *stream);

// Input: the next character, or -1 at end of input or after a read error.
int stream_take(Stream *stream);

// Input: makes `c` the next character taken.
void stream_push_back(Stream *stream, int c);
