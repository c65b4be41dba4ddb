// Report files: creating a text file in a free slot of the stream table and
// closing it again.
#include <cstring>

#include "platform/io/stream.h"
#include "platform/platform.h"

Stream *create_text_file(const char *name, const char *mode) {
  if (strcmp(mode, "w") != 0) return nullptr;
  for (int slot = kFirstFileSlot; slot < kStreamSlots; ++slot) {
    Stream &s = stream_table[slot];
    if (s.open) continue;
    Handle handle = host_create_file(name);
    if (handle == kNoHandle) return nullptr;
    stream_open(&s, handle, &host_file_hooks);
    return &s;
  }
  return nullptr;
}

// A stream whose writes failed reports it here even when it had no buffer
// to flush, so that a lost byte is never closed as a success.
int close_stream(Stream *s) {
  int result = flush_stream(s);
  if (!s->hooks->close(s->handle)) result = -1;
  if (s->buffer && s->buffer != s->spare) host_release(s->buffer);
  *s = Stream{};
  return result;
}
