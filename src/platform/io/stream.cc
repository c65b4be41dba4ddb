// Buffered byte streams over host handles: the stream table, writing with
// full or line buffering and a sticky error state, and the input side with
// one character of push-back.
#include "platform/io/stream.h"

#include <cstring>

#include "platform/platform.h"

Stream stream_table[kStreamSlots];

void stream_open(Stream *s, Handle handle, const StreamHooks *hooks) {
  *s = Stream{};
  s->handle = handle;
  s->hooks = hooks;
  s->pushback = -1;
  s->last = -1;
  s->open = true;
  s->text = true;
}

void streams_start() {
  for (int slot = kStdIn; slot <= kStdErr; ++slot) {
    Stream &s = stream_table[slot];
    stream_open(&s, host_std_handle(slot), &host_file_hooks);
    s.input = slot == kStdIn;
    s.unbuffered = slot == kStdErr;
  }
}

// Takes a buffer at the first byte. A terminal is written line by line; a
// stream that cannot have a full buffer works through a one-byte one.
static void settle_buffer(Stream *s) {
  s->line_buffered = host_is_char_device(s->handle);
  void *block = s->unbuffered ? nullptr : host_allocate(kStreamBufferSize);
  s->buffer = block ? static_cast<unsigned char *>(block) : s->spare;
  s->capacity = block ? kStreamBufferSize : sizeof s->spare;
}

// Hands the buffered bytes to the host in one write. The buffer is empty
// afterwards whatever happened; a failed or short write is sticky.
static bool write_out(Stream *s) {
  size_t size = s->fill;
  s->fill = 0;
  if (size == 0) return true;
  if (write_all(*s->hooks, s->handle, s->buffer, size)) return true;
  s->error = true;
  return false;
}

bool stream_put(Stream *s, unsigned char byte) {
  if (s->error) return false;
  if (s->capacity == 0) settle_buffer(s);
  if (s->fill == s->capacity && !write_out(s)) return false;
  s->buffer[s->fill++] = byte;
  if (s->capacity == 1 || (s->line_buffered && byte == '\n')) return write_out(s);
  return true;
}

// Whole runs of bytes at a time, with stream_put's order of events: a full
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

int stream_write_text(Stream *s, const char *text, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' && s->text && !stream_put(s, '\r')) return -1;
    if (!stream_put(s, c)) return -1;
  }
  return static_cast<int>(size);
}

int flush_stream(Stream *s) {
  if (s->input) return 0;
  if (!s->error) write_out(s);
  s->fill = 0;
  return s->error ? -1 : 0;
}

// Text-mode input: a Ctrl+Z ends the text of this read, CR LF becomes LF.
static size_t convert_text(unsigned char *data, size_t size) {
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
static bool refill(Stream *s) {
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
  if (s->text) s->fill = convert_text(s->buffer, s->fill);
  if (s->fill == 0) s->ended = true;
  return s->fill != 0;
}

int stream_take(Stream *s) {
  int c = s->pushback;
  if (c >= 0) {
    s->pushback = -1;
  } else {
    if (s->fill == 0 && !refill(s)) return -1;
    --s->fill;
    c = s->buffer[s->pos++];
  }
  s->last = c;
  return c;
}

void stream_push_back(Stream *s, int c) {
  s->pushback = c;
}
