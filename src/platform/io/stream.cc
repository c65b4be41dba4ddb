// The streams and their table, owned here. Output is fully or line buffered
// with a sticky error state; input is read a buffer at a time in text mode,
// with one character of push-back.
#include "platform/io/stream.h"

#include <cstring>

namespace {

Stream table[kStreamSlots];
Stream *const in = &table[kStdIn];
Stream *const out = &table[kStdOut];

// Takes a buffer at the first byte. A terminal is written line by line; a
// stream that cannot have a full buffer works through a one-byte one.
void settle_buffer(Stream *s) {
  s->line_buffered = host_is_char_device(s->handle);
  void *block = s->unbuffered ? nullptr : host_allocate(kStreamBufferSize);
  s->buffer = block ? static_cast<unsigned char *>(block) : s->spare;
  s->capacity = block ? kStreamBufferSize : sizeof s->spare;
}

void release_buffer(Stream *s) {
  if (s->buffer && s->buffer != s->spare) host_release(s->buffer);
}

// Hands the buffered bytes to the host in one write. The buffer is empty
// afterwards whatever happened; a failed or short write is sticky.
bool write_out(Stream *s) {
  size_t size = s->fill;
  s->fill = 0;
  if (size == 0) return true;
  if (write_all(*s->hooks, s->handle, s->buffer, size)) return true;
  s->error = true;
  return false;
}

// Writes out what is buffered: -1 when the stream is in the error state
// afterwards, else 0.
int flush_stream(Stream *s) {
  if (!s->error) write_out(s);
  s->fill = 0;
  return s->error ? -1 : 0;
}

// Text-mode input: a Ctrl+Z ends the text of this read, CR LF becomes LF.
size_t convert_text(unsigned char *data, size_t size) {
  const void *stop = memchr(data, 0x1A, size);
  if (stop) size = static_cast<size_t>(static_cast<const unsigned char *>(stop) - data);
  size_t kept = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') continue;
    data[kept++] = data[i];
  }
  return kept;
}

// One read from the host into the empty buffer. False, with the stream in
// its end or error state, when nothing arrived.
bool refill(Stream *s) {
  if (s->ended || s->error) return false;
  if (s->capacity == 0) settle_buffer(s);
  size_t got = 0;
  ReadStatus status =
      retry_interrupted([&] { return s->hooks->read(s->handle, s->buffer, s->capacity, &got); },
                        [](ReadStatus result) { return result == ReadStatus::kInterrupted; });
  if (status == ReadStatus::kFailed) {
    s->error = true;
    return false;
  }
  s->pos = 0;
  s->fill = status == ReadStatus::kOk ? got : 0;
  s->fill = convert_text(s->buffer, s->fill);
  if (s->fill == 0) s->ended = true;
  return s->fill != 0;
}

} // namespace

void open_stream(Stream *s, Handle handle, const StreamHooks *hooks) {
  *s = Stream{};
  s->handle = handle;
  s->hooks = hooks;
  s->pushback = -1;
  s->last = -1;
  s->open = true;
}

bool put_byte(Stream *s, unsigned char byte) {
  if (s->error) return false;
  if (s->capacity == 0) settle_buffer(s);
  if (s->fill == s->capacity && !write_out(s)) return false;
  s->buffer[s->fill++] = byte;
  if (s->capacity == 1 || (s->line_buffered && byte == '\n')) return write_out(s);
  return true;
}

// Whole runs of bytes at a time, with put_byte's order of events: a full
// buffer is written out only when the next byte arrives, and a one-byte
// buffer after every byte.
int write_block(Stream *s, const char *data, size_t size) {
  while (size > 0) {
    if (s->error) return -1;
    if (s->capacity == 0) settle_buffer(s);
    if (s->fill == s->capacity && !write_out(s)) return -1;
    size_t run = s->capacity - s->fill < size ? s->capacity - s->fill : size;
    memcpy(s->buffer + s->fill, data, run);
    s->fill += run;
    data += run;
    size -= run;
    if (s->capacity == 1 && !write_out(s)) return -1;
  }
  return 0;
}

int write_text(Stream *s, const char *text, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' && !put_byte(s, '\r')) return -1;
    if (!put_byte(s, c)) return -1;
  }
  return static_cast<int>(size);
}

// No slot is taken, and no file made, unless both can be had.
Stream *create_text_file(const char *name, const char *mode) {
  Stream *s = table + kFirstFileSlot;
  while (s < table + kStreamSlots && s->open) ++s;
  if (s == table + kStreamSlots || strcmp(mode, "w") != 0) return nullptr;
  Handle handle = host_create_file(name);
  if (handle == kNoHandle) return nullptr;
  open_stream(s, handle, &host_file_hooks);
  return s;
}

// A stream whose writes failed reports it here even when it had no buffer
// to flush, so that a lost byte is never closed as a success.
int close_stream(Stream *s) {
  int result = flush_stream(s);
  if (!s->hooks->close(s->handle)) result = -1;
  release_buffer(s);
  *s = Stream{};
  return result;
}

void start_streams() {
  for (int slot = kStdIn; slot <= kStdErr; ++slot) {
    Stream &s = table[slot];
    release_buffer(&s);
    open_stream(&s, host_std_handle(slot), &host_file_hooks);
    s.unbuffered = slot == kStdErr;
  }
}

// Standard input has nothing to write.
void end_streams() {
  for (int slot = kStdOut; slot < kFirstFileSlot; ++slot) flush_stream(&table[slot]);
  for (int slot = kFirstFileSlot; slot < kStreamSlots; ++slot)
    if (table[slot].open) close_stream(&table[slot]);
}

int take_input() {
  int c = in->pushback;
  in->pushback = -1;
  if (c < 0) {
    if (in->fill == 0 && !refill(in)) return -1;
    --in->fill;
    c = in->buffer[in->pos++];
  }
  in->last = c;
  return c;
}

void push_back_input(int c) {
  in->pushback = c;
}

bool input_mid_line() {
  return in->pushback >= 0 || (in->last >= 0 && in->last != '\n');
}

void write_console(const char *text) {
  write_text(out, text, strlen(text));
  // On a terminal a prompt must be on screen before the program waits.
  if (out->line_buffered) flush_stream(out);
}

void flush_output() {
  flush_stream(out);
}
