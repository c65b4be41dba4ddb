// The console dialogue: prompts on standard output, answers from standard
// input, and the single-key wait on the terminal.
#include <cstring>

#include "platform/platform.h"
#include "platform/read_int.h"
#include "platform/stream.h"

void write_console(const char *text) {
  Stream *out = &stream_table[kStdOut];
  stream_write_text(out, text, strlen(text));
  // On a terminal a prompt must be on screen before the program waits.
  if (out->line_buffered) flush_stream(out);
}

int read_int(int32_t *target) {
  return read_int_field(&stream_table[kStdIn], target);
}

int read_int_or_blank(int32_t *target) {
  return read_int_field_or_blank(&stream_table[kStdIn], target);
}

int wait_key() {
  return host_read_key();
}
